#!/usr/bin/env bash
# A match that measures a strength level on a public scale: TORLO at
# UCI_Elo E (or at full strength) against Debian's Stockfish 15.1 with
# UCI_LimitStrength at UCI_Elo S, or against TORLO at another level, played
# by the real xboard under a virtual X server at 10 s + 0.1 s a game (TC and
# INC change it), colours alternating. Both engines speak UCI through
# polyglot, which passes xboard's clock on as wtime/btime/winc/binc. The
# openings come from tools/elo_openings.pgn (30), each played twice (once with
# each colour; xboard ends the match when they run out, so at most 60
# games), and TORLO's own book may continue them.
# Prints each game, W/D/L for the first engine, its score with the 95%
# error bar and the Elo difference with its interval.
#
#   tools/elo_match.sh GAMES LEVEL OPPONENT
#     LEVEL:    TORLO's rating (800..1800) or "full"
#     OPPONENT: "sf:S" (Stockfish at UCI_Elo S, 1350..2850) or "torlo:E"
#               (TORLO at another level, or torlo:full)
#   environment: ENGINE (default build/torlo), TC (default 0:10), INC (0.1),
#                KEEP=1 keeps the work folder
# Not part of the test suite: 60 games take 15 to 30 minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
games=${1:?games} level=${2:?level} opponent=${3:?opponent}
engine=$(realpath "${ENGINE:-build/torlo}")
openings=$(realpath tools/elo_openings.pgn)
for pkg in xboard xvfb xauth polyglot stockfish; do
  dpkg -s "$pkg" >/dev/null 2>&1 || { echo "elo_match: install $pkg (apt-get install xboard xvfb xauth polyglot stockfish)"; exit 1; }
done

work=$(mktemp -d)
[[ -n ${KEEP:-} ]] && echo "work folder: $work" || trap 'rm -rf "$work"' EXIT

# An xboard engine command for TORLO at a level, beside its book.
torlo_command() {  # LEVEL FOLDER
  mkdir -p "$2"
  cp TORLO.opn "$2/"
  local options=""
  [[ $1 != full ]] && options=" -uci UCI_LimitStrength=true -uci UCI_Elo=$1"
  echo "/usr/games/polyglot -noini -ec $engine -ed $2$options"
}
first=$(torlo_command "$level" "$work/first")
first_name="TORLO $level"
case $opponent in
  sf:*) second="/usr/games/polyglot -noini -ec /usr/games/stockfish -uci UCI_LimitStrength=true -uci UCI_Elo=${opponent#sf:}"
        second_name="Stockfish ${opponent#sf:}" ;;
  torlo:*) second=$(torlo_command "${opponent#torlo:}" "$work/second")
           second_name="TORLO ${opponent#torlo:} (opponent)" ;;
  *) echo "elo_match: OPPONENT is sf:ELO or torlo:LEVEL"; exit 2 ;;
esac

HOME=$work timeout $((games * 120)) xvfb-run -a -s "-screen 0 1280x1024x24" \
  /usr/games/xboard -settingsFile "$work/xboard.settings" -saveSettingsOnExit false \
    -fcp "$first" -fd "$work/first" -fn "$first_name" \
    -scp "$second" -sd "$work" -sn "$second_name" \
    -matchGames "$games" -tc "${TC:-0:10}" -inc "${INC:-0.1}" -ponderNextMove false \
    -loadGameFile "$openings" -loadGameIndex -2 \
    -saveGameFile "$work/match.pgn" -popupExitMessage false -noGUI \
    -testClaims true -checkMates true -materialDraws true -ruleMoves 51 -repeatsToDraw 3 \
    -adjudicateDrawMoves 200 >"$work/xboard.out" 2>&1 || true

python3 tools/match_score.py "$work/match.pgn" "$first_name"
