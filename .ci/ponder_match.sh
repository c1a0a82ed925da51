#!/usr/bin/env bash
# The real xboard plays torlo against Fairy-Max with pondering on for both
# (xboard's -ponder: it sends `hard`). The match must end normally (no
# illegal move, no forfeit, no hang: .ci/gui_match.sh checks that), and
# torlo's replies to the move it predicted must come sooner than its time
# per move: from xboard's debug log, the delay between each move xboard
# sends torlo and torlo's answer, against the time per move the clock gives
# (a thirtieth of it, whole seconds).
#
#   .ci/ponder_match.sh [ENGINE] [GAMES]   (defaults: build/torlo, 1)
set -euo pipefail
cd "$(dirname "$0")/.."
engine=${1:-build/torlo}
games=${2:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

GUI_MATCH_PONDER=1 GUI_MATCH_WORK="$work" GUI_MATCH_TC=${GUI_MATCH_TC:-0:40} GUI_MATCH_INC=${GUI_MATCH_INC:-1} \
  bash .ci/gui_match.sh "$engine" "$games" xboard

python3 - "$work/xboard.debug" <<'PY'
import re
import sys

sent = None        # when xboard sent torlo the opponent's move (debug log time, ms)
budget_ms = None   # torlo's time per move, from the last `time` xboard sent it
book = False
fast, slow, hard = [], [], False
for line in open(sys.argv[1], encoding="latin-1"):
    m = re.match(r"(\d+) ([<>])first : (.*)", line.rstrip("\n"))
    if not m:
        continue
    t, direction, text = int(m.group(1)), m.group(2), m.group(3)
    if direction == ">":
        hard = hard or text == "hard"
        if text.startswith("time "):
            budget_ms = int(text.split()[1]) // 3000 * 1000
        elif re.match(r"[a-h][1-8][a-h][1-8]", text):
            sent, book = t, False
    elif "(book move)" in text:
        book = True
    elif re.match(r"\d+\. \.\.\. ", text) and sent is not None and not book and budget_ms:
        (fast if t - sent < 0.9 * budget_ms else slow).append((t - sent, budget_ms))
        sent = None
print("ponder match: %d replies sooner than the time per move (ponder hits), %d after a full search"
      % (len(fast), len(slow)))
if not hard:
    sys.exit("FAIL: xboard did not send hard")
if not fast:
    sys.exit("FAIL: no reply came sooner than the time per move")
PY
