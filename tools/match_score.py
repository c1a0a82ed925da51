#!/usr/bin/env python3
"""The score of one engine in a match's PGN file, as the match scripts print it.

Prints every game, then the engine's W/D/L, its score with the 95% error
bar (from the spread of the game results) and the Elo difference it means,
with its interval.

Usage: match_score.py MATCH.pgn PLAYER [OPPONENT-TEXT]
"""
import math
import re
import statistics
import sys


def elo(s):
    s = min(max(s, 1e-3), 1 - 1e-3)
    return -400 * math.log10(1 / s - 1)


def main():
    path, me = sys.argv[1], sys.argv[2]
    against = " " + sys.argv[3] if len(sys.argv) > 3 else ""
    text = open(path, encoding="latin-1").read()
    points = []
    for n, game in enumerate([g for g in re.split(r"\n(?=\[Event )", text.strip()) if g.strip()], 1):
        tags = dict(re.findall(r'^\[(\w+) "(.*)"\]$', game, re.MULTILINE))
        result = tags.get("Result", "*")
        if result not in ("1-0", "0-1", "1/2-1/2"):
            print("game %d: no result (%s)" % (n, result))
            continue
        white = tags.get("White") == me
        points.append(0.5 if result == "1/2-1/2" else float((result == "1-0") == white))
        print("game %2d: %s - %s %s" % (n, tags.get("White"), tags.get("Black"), result))
    if not points:
        sys.exit("match_score: no game was finished")
    n = len(points)
    wins, draws = points.count(1.0), points.count(0.5)
    score = sum(points) / n
    error = 1.96 * statistics.pstdev(points) / math.sqrt(n)
    print("%s%s: +%d =%d -%d in %d games, score %.1f%% +- %.1f%% (95%%), Elo %+.0f [%+.0f, %+.0f]"
          % (me, against, wins, draws, n - wins - draws, n, 100 * score, 100 * error, elo(score),
             elo(score - error), elo(score + error)))


if __name__ == "__main__":
    main()
