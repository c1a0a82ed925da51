#!/usr/bin/env bash
# A real client: the xboard GUI, under a virtual X server, plays a short
# match of torlo against Fairy-Max (colours alternating, one second per
# move) and saves it as PGN. Every game must end with a normal result: a
# mate, a resignation, a draw claim or an adjudication; none with an
# illegal move, a crash, a time forfeit by torlo or a protocol error. (The
# opponent losing on time is reported and accepted.) torlo declares a
# game with at most one knight or bishop a side and nothing else drawn by
# insufficient material; xboard, which knows that such a position can still
# be mated, calls that claim false and forfeits it. The final position of
# every game is saved, and such a claim in such a position is accepted as
# torlo's rule: the check replays the moves torlo exchanged in xboard's
# debug log (where that claim is made) and looks at the material.
# With PROTOCOL uci, xboard drives the engine in UCI mode through the
# polyglot adapter.
#
#   .ci/gui_match.sh [ENGINE] [GAMES] [PROTOCOL]   (defaults: build/torlo, 2, xboard)
#
# An ENGINE without a slash is a command found on the PATH, as an installed
# engine is given to xboard (-fcp torlo): no engine directory (-fd) and no
# book beside it; xboard starts it in an empty directory. GUI_MATCH_WORK
# names a work directory to use and keep (its xboard.debug holds every line
# the engines sent), GUI_MATCH_KEEP=1 keeps a temporary one. GUI_MATCH_TC
# and GUI_MATCH_INC set the clock (default 0:30 a game, 1 s a move);
# GUI_MATCH_SAVE_SETTINGS=1 has xboard save its settings in
# WORK/xboard.settings on exit. GUI_MATCH_WRAPPER, when set, is a command
# xboard puts before the engine: GUI_MATCH_WRAPPER=/usr/lib/wine/wine64
# plays the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
engine=${1:-build/torlo}
[[ $engine == */* ]] && engine=$(realpath "$engine")
games=${2:-2}
protocol=${3:-xboard}
uci_flags=()
packages=(xboard xvfb xauth fairymax)
if [[ $protocol == uci ]]; then
  uci_flags=(-fUCI)
  packages+=(polyglot)
fi
export PATH=/usr/games:$PATH  # xboard starts polyglot by name
match_timeout=${GUI_MATCH_TIMEOUT:-1500}
clock=(-tc "${GUI_MATCH_TC:-0:30}" -inc "${GUI_MATCH_INC:-1}")
ponder=false
[[ -n ${GUI_MATCH_PONDER:-} ]] && ponder=true  # both engines think on the opponent's time
save_settings=false
[[ -n ${GUI_MATCH_SAVE_SETTINGS:-} ]] && save_settings=true
engine_command=${GUI_MATCH_WRAPPER:+$GUI_MATCH_WRAPPER }$engine

need_packages=()
for pkg in "${packages[@]}"; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need_packages+=("$pkg")
done
if ((${#need_packages[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need_packages[@]}" >/dev/null
fi

if [[ -n ${GUI_MATCH_WORK:-} ]]; then
  work=$GUI_MATCH_WORK
  mkdir -p "$work"
else
  work=$(mktemp -d)
  [[ -n ${GUI_MATCH_KEEP:-} ]] && echo "work directory: $work" || trap 'rm -rf "$work"' EXIT
fi
# Each program gets a directory of its own; an engine given by path runs
# beside its book, one given by name finds its installed book itself.
mkdir -p "$work/torlo" "$work/fairymax"
engine_dir=()
if [[ $engine == */* ]]; then
  cp TORLO.opn "$work/torlo/"
  engine_dir=(-fd "$work/torlo")
fi
pgn=$work/match.pgn
# xboard saves its settings on exit only into a settings file that exists.
[[ $save_settings == true && ! -e $work/xboard.settings ]] && : >"$work/xboard.settings"

# Fairy-Max is driven in protocol version 1, without signals: xboard starts
# it only when the first game begins and does not wait for its features, so
# on a busy machine they arrived after torlo's first (book) move; xboard
# then interrupted Fairy-Max (SIGINT) or its "accepted" answers reached it
# in the middle of its first search, and it never moved again while xboard
# waited for it. Without features there is nothing to answer. It is
# started through .ci/fairymax.py, which keeps from it the one command
# xboard sends that it does not know and may crash on, and keeps from
# xboard a move of a search that the end of its game cut short (protocol 1
# has no ping to tell it from the next game's first move).
status=0
(cd "$work/torlo" && HOME=$work timeout --kill-after=30 "$match_timeout" \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  /usr/games/xboard \
    -settingsFile "$work/xboard.settings" -saveSettingsOnExit "$save_settings" \
    -fcp "$engine_command" "${engine_dir[@]}" "${uci_flags[@]}" \
    -scp "$root/.ci/fairymax.py" -sn Fairy-Max -sd "$work/fairymax" -secondProtocolVersion 1 -secondFeatures "sigint=0" \
    -matchGames "$games" "${clock[@]}" -ponderNextMove "$ponder" \
    -saveGameFile "$pgn" -autoCallFlag true -popupExitMessage false -noGUI \
    -testClaims true -checkMates true -materialDraws true -ruleMoves 51 -repeatsToDraw 3 \
    -adjudicateDrawMoves 100 \
    -debugMode true -nameOfDebugFile "$work/xboard.debug" \
  >"$work/xboard.out" 2>&1) || status=$?

show_debug() {
  echo "--- xboard output:"; tail -20 "$work/xboard.out" || true
  echo "--- end of the xboard debug log:"; tail -60 "$work/xboard.debug" 2>/dev/null || true
}

if ((status != 0)); then
  echo "FAIL: xboard exited with status $status (124: the match took longer than ${match_timeout}s)"
  show_debug
  exit 1
fi
if [[ ! -s $pgn ]]; then
  echo "FAIL: no PGN saved"
  show_debug
  exit 1
fi

python3 - "$pgn" "$games" "$work/xboard.out" "$work/xboard.debug" <<'PY' || { show_debug; exit 1; }
import re
import sys

path, games_expected, xboard_out, debug_log = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
text = open(path, encoding="latin-1").read()
games = [g for g in re.split(r"\n(?=\[Event )", text.strip()) if g.strip()]
MATERIAL_CLAIM = "False draw claim: 'Draw by insufficient material'"


def material_claims():
    """The placement (8 rows of piece letters) at each of torlo's
    insufficient-material claims, replayed from the coordinate moves torlo
    sent and received in xboard's debug log since the last 'new'."""
    claims = []
    board = None
    try:
        lines = open(debug_log, encoding="latin-1").read().splitlines()
    except OSError:
        return claims
    for line in lines:
        m = re.match(r"\d+ ([<>])first : (.*)$", line)
        if not m:
            continue
        word = m.group(2).strip()
        if m.group(1) == ">" and word == "new":
            board = [list(r) for r in ["RNBQKBNR", "PPPPPPPP"] + ["."*8]*4 + ["pppppppp", "rnbqkbnr"]]
            continue
        move = re.fullmatch(r"(?:\d+\.(?: \.\.\.)? )?([a-h][1-8])([a-h][1-8])([qrbn]?)", word)
        if board is not None and move and (m.group(1) == ">" or word[0].isdigit()):
            (ff, fr), (tf, tr) = [(ord(sq[0]) - 97, int(sq[1]) - 1) for sq in move.group(1, 2)]
            piece = board[fr][ff]
            if piece in "Pp" and ff != tf and board[tr][tf] == ".":
                board[fr][tf] = "."  # en passant
            if piece in "Kk" and abs(tf - ff) == 2:  # castling moves the rook too
                rook_from, rook_to = (7, 5) if tf > ff else (0, 3)
                board[fr][rook_to], board[fr][rook_from] = board[fr][rook_from], "."
            if move.group(3):
                piece = move.group(3).upper() if piece.isupper() else move.group(3)
            board[tr][tf], board[fr][ff] = piece, "."
        elif board is not None and m.group(1) == "<" and "Draw by insufficient material" in word:
            claims.append("".join("".join(r) for r in board))
    return claims


def minors_only(placement):
    """At most one knight or bishop a side beside the kings, nothing else:
    the material torlo declares a draw."""
    return (not re.search(r"[pPrRqQ]", placement) and len(re.findall(r"[NB]", placement)) <= 1
            and len(re.findall(r"[nb]", placement)) <= 1)


claims = material_claims()
claims_by_rule = bool(claims) and all(minors_only(c) for c in claims)


def minors_only(fen):
    """At most one knight or bishop a side beside the kings, nothing else:
    the material torlo declares a draw."""
    placement = fen.split()[0]
    if re.search(r"[pPrRqQ]", placement):
        return False
    return len(re.findall(r"[NB]", placement)) <= 1 and len(re.findall(r"[nb]", placement)) <= 1


# Words of the result comments that mean the game did not end by the rules.
ABNORMAL = re.compile(r"illegal|time|forfeit|flag|crash|connection|disconnect|exited|error|false|protocol|abort",
                      re.IGNORECASE)
# xboard's comment when the side to move ran out of time. A loss on time by
# the opponent says nothing about torlo (on a loaded machine Fairy-Max can
# overstep); one by torlo fails the match like any other abnormal ending.
WINS_ON_TIME = re.compile(r"^(White|Black) wins on time$")
failures = []
torlo_white = []
torlo_wins = 0
for n, game in enumerate(games, 1):
    tags = dict(re.findall(r'^\[(\w+) "(.*)"\]$', game, re.MULTILINE))
    movetext = "\n".join(l for l in game.splitlines() if not l.startswith("["))
    ending = re.search(r"\{([^{}]*)\}\s*(1-0|0-1|1/2-1/2|\*)\s*$", movetext)
    result = tags.get("Result", "?")
    comment = ending.group(1) if ending else "(no result comment)"
    plies = len(re.findall(r"(?<![\d.])\b[a-hKQRBNO][\w+#=-]*", re.sub(r"\{[^}]*\}", "", movetext))) - 1
    print("game %d: %s - %s  %s {%s}  (about %d plies)" % (n, tags.get("White"), tags.get("Black"), result,
                                                           comment, plies))
    torlo_white.append("TORLO" in tags.get("White", ""))
    torlo_wins += result == ("1-0" if torlo_white[-1] else "0-1")
    if result not in ("1-0", "0-1", "1/2-1/2"):
        failures.append("game %d: result %s" % (n, result))
    if not ending or ending.group(2) != result:
        failures.append("game %d: no result comment matching %s" % (n, result))
    elif ABNORMAL.search(comment):
        on_time = WINS_ON_TIME.match(comment.strip())
        if on_time and "TORLO" in tags.get(on_time.group(1), ""):
            print("  game %d: the opponent lost on time, torlo's play ended normally" % n)
        elif comment.strip() == MATERIAL_CLAIM and claims_by_rule:
            print("  game %d: torlo declared one minor piece a side drawn by its material rule;"
                  " xboard counts that a false claim" % n)
        else:
            failures.append("game %d ended abnormally: {%s}" % (n, comment))
    if "TORLO" not in tags.get("White", "") + tags.get("Black", ""):
        failures.append("game %d: torlo did not play" % n)
# xboard saves no game without a move: one the opponent lost before its
# first move (on time, or forfeited for a move left over from the game
# before) is missing from the PGN. xboard's final score, torlo's wins first,
# still counts it; games missing beyond torlo's extra wins fail the match.
if len(games) != games_expected:
    score = re.search(r"final score (\d+)-(\d+)-(\d+)", open(xboard_out, encoding="latin-1").read())
    wins, losses, draws = map(int, score.groups()) if score else (0, 0, 0)
    missing = games_expected - len(games)
    if score and wins + losses + draws == games_expected and wins - torlo_wins == missing:
        print("  %d game(s) without a move not saved; xboard's final score %d-%d-%d counts them as torlo's wins"
              % (missing, wins, losses, draws))
    else:
        failures.append("%d games saved, %d expected (xboard's final score: %s)"
                        % (len(games), games_expected, score.group(0) if score else "none"))
if len(games) >= 2 and torlo_white[0] == torlo_white[1]:
    failures.append("colours did not alternate")
if failures:
    print("FAIL: " + "; ".join(failures))
    sys.exit(1)
print("gui match: %d games, all ended normally" % games_expected)
PY
