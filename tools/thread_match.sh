#!/usr/bin/env bash
# A match of torlo with N threads against torlo with one thread, played by
# the real xboard (under a virtual X server) at a fixed time per move,
# colours alternating, each engine beside its book (so the openings vary).
# Prints each game, the score of the N-thread engine with its 95% error bar
# (from the spread of the game results) and the Elo difference it means.
# Not part of the test suite (40 games of a second a move take about an
# hour and a half).
#
# xboard's fixed time per move (-searchTime) reaches the engine as its clock
# before every move (`time`, in centiseconds), of which the engine takes a
# thirtieth in whole seconds: the match gives xboard thirty times the
# seconds per move asked for, so the engine thinks exactly that long. (A
# clock under 30 seconds would give it 0 seconds: one node check a move.)
#
#   tools/thread_match.sh [GAMES] [THREADS] [SECONDS]   (defaults: 40, 2, 1)
#   environment: ENGINE (default build/torlo), KEEP=1 keeps the work folder
set -euo pipefail
cd "$(dirname "$0")/.."
games=${1:-40}
threads=${2:-2}
move_seconds=${3:-1}
[[ $move_seconds =~ ^[1-9][0-9]*$ ]] || { echo "thread_match: SECONDS is a whole number of seconds, 1 or more"; exit 2; }
search_seconds=$((30 * move_seconds))
search_time=$(printf "%d:%02d" $((search_seconds / 60)) $((search_seconds % 60)))
engine=$(realpath "${ENGINE:-build/torlo}")

for pkg in xboard xvfb xauth; do
  dpkg -s "$pkg" >/dev/null 2>&1 || { echo "thread_match: install $pkg (apt-get install xboard xvfb xauth)"; exit 1; }
done

work=$(mktemp -d)
[[ -n ${KEEP:-} ]] && echo "work folder: $work" || trap 'rm -rf "$work"' EXIT
mkdir -p "$work/many" "$work/one"
cp TORLO.opn "$work/many/"
cp TORLO.opn "$work/one/"

HOME=$work timeout $((games * 400 * move_seconds)) xvfb-run -a -s "-screen 0 1280x1024x24" \
  /usr/games/xboard -settingsFile "$work/xboard.settings" -saveSettingsOnExit false \
    -fcp "$engine --threads $threads" -fd "$work/many" -fn "TORLO ${threads} threads" \
    -scp "$engine" -sd "$work/one" -sn "TORLO 1 thread" \
    -matchGames "$games" -searchTime "$search_time" -ponderNextMove false \
    -saveGameFile "$work/match.pgn" -popupExitMessage false -noGUI \
    -testClaims true -checkMates true -materialDraws true -ruleMoves 51 -repeatsToDraw 3 \
    -adjudicateDrawMoves 150 >"$work/xboard.out" 2>&1

python3 tools/match_score.py "$work/match.pgn" "TORLO ${threads} threads" "against TORLO 1 thread"
