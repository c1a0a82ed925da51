#!/usr/bin/env python3
"""Generate TORLO's opening book, TORLO.opn, from the ECO opening list.

    python3 tools/make_book.py            # writes TORLO.opn at the repository root
    python3 tools/make_book.py -o FILE    # writes elsewhere
    python3 tools/make_book.py --stats    # also prints the move shares at the weighted nodes

Source: /usr/share/pgn-extract/eco.pgn from Debian's pgn-extract package
(apt-get install pgn-extract), about 2000 named opening lines.  The script
runs pgn-extract itself to turn the SAN moves into coordinate moves and
post-processes its output.  Only the standard library is used.

Selection
  * First moves: only 1.e4, 1.d4, 1.c4 and 1.Nf3.  1.g3 and 1.b3 are left
    out: they are respectable, but the ECO list has only a handful of lines
    for them (several of them jokes such as 1.g3 h5), so they would add
    little but noise.  Everything else (1.b4, 1.f4, 1.g4, ...) is irregular.
  * Lines named as a trap, and lines that end in checkmate, are dropped:
    they show one side blundering, which is not theory to play from.
  * Every line is replayed with the legality checker in check_book.py; a
    line with an illegal move or a promotion is dropped and reported on
    stderr.
  * Lines are cut to 20 moves (plies).  Lines shorter than 4 moves are
    dropped: their moves are covered by longer lines anyway, and the short
    ones are mostly odd replies such as 1.e4 f6 or 1.c4 b5.
  * Identical lines (after the cut) are kept once before weighting.

Weighting
  The engine chooses among the book lines that continue the current game,
  each line being one equal chance for its next move, so repeating a line
  gives its moves more weight.  The raw ECO list is lopsided (1.e4 e5 alone
  has a third of all lines, most of them old gambits), so the repetitions
  are handed out top-down:
  * A line that is the beginning of a longer line is dropped: the longer
    line plays the same moves, so nothing is lost.
  * TARGET_TOTAL repetitions (the number of lines in the book) start at the
    initial position.  At each node of the move tree the repetitions that
    reach it are split over the moves that continue from it: where SHARES
    below lists the node, listed moves get the listed fraction and unlisted
    moves share what is left in proportion to the number of lines behind
    them; elsewhere every move gets a part in proportion to the number of
    lines behind it.  Whole numbers are handed out by the largest-remainder
    method, so a thin side branch (for instance the many King's Gambit
    sub-lines) may get nothing and is left out.
  * A line is written as many times as the repetitions reaching its end.
  So the shares in SHARES are followed exactly at the top of the tree
  (1.e4/1.d4 most, then 1.c4 and 1.Nf3; main defences such as the Sicilian,
  1...e5, French, Caro-Kann, Queen's Gambit and the Indian defences above
  rare ones), and deeper down every line behind a node counts the same.

Output is sorted and contains no randomness, so the same input always gives
a byte-identical file.
"""

import argparse
import os
import shutil
import subprocess
import sys
from collections import Counter

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_book  # noqa: E402  (the legality checker lives beside this script)

ECO_PGN = "/usr/share/pgn-extract/eco.pgn"
REPO_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_OUTPUT = os.path.join(REPO_ROOT, "TORLO.opn")

ALLOWED_FIRST_MOVES = ("e2e4", "d2d4", "c2c4", "g1f3")
MAX_MOVES = check_book.MAX_BOOK_MOVES   # 20 moves (plies) = 80 characters
MIN_MOVES = 4
TARGET_TOTAL = 3000

# Node (moves from the start, SAN) -> {next move: fraction of the weight
# reaching that node}.  Moves not listed share the rest by line count.
SHARES = {
    "": {"e4": 0.42, "d4": 0.38, "c4": 0.11, "Nf3": 0.09},

    # 1.e4: Sicilian, 1...e5, French and Caro-Kann first.
    "e4": {"c5": 0.36, "e5": 0.28, "e6": 0.13, "c6": 0.10,
           "Nf6": 0.03, "d6": 0.03, "d5": 0.03, "g6": 0.02},
    "e4 c5": {"Nf3": 0.80, "Nc3": 0.08, "c3": 0.05},
    "e4 c5 Nf3": {"d6": 0.42, "Nc6": 0.28, "e6": 0.22},
    "e4 e5": {"Nf3": 0.82, "Bc4": 0.05, "Nc3": 0.05, "f4": 0.05, "d4": 0.03},
    "e4 e5 Nf3": {"Nc6": 0.85, "Nf6": 0.10},
    "e4 e5 Nf3 Nc6": {"Bb5": 0.55, "Bc4": 0.25, "d4": 0.12, "Nc3": 0.05},
    "e4 e5 Nf3 Nc6 Bb5": {"a6": 0.72, "Nf6": 0.18},
    "e4 e6": {"d4": 0.94},
    "e4 e6 d4 d5": {"Nc3": 0.45, "Nd2": 0.30, "e5": 0.20, "exd5": 0.05},
    "e4 c6": {"d4": 0.88},
    "e4 c6 d4 d5": {"Nc3": 0.30, "e5": 0.30, "Nd2": 0.20, "exd5": 0.15},

    # 1.d4: Indian defences and the Queen's Gambit first.
    "d4": {"Nf6": 0.60, "d5": 0.30, "f5": 0.04},
    "d4 Nf6": {"c4": 0.80, "Nf3": 0.14, "Bg5": 0.03},
    "d4 Nf6 c4": {"e6": 0.50, "g6": 0.30, "c5": 0.08, "d6": 0.03, "e5": 0.02},
    "d4 Nf6 c4 e6": {"Nc3": 0.45, "Nf3": 0.40, "g3": 0.15},
    "d4 d5": {"c4": 0.78, "Nf3": 0.14},
    "d4 d5 c4": {"e6": 0.45, "c6": 0.35, "dxc4": 0.10},

    # 1.c4 and 1.Nf3: the ECO list has few lines; split them by the main replies.
    "c4": {"Nf6": 0.35, "e5": 0.25, "c5": 0.20, "e6": 0.10, "c6": 0.08},
    "Nf3": {"d5": 0.60},
}


def find_pgn_extract():
    for cand in (shutil.which("pgn-extract"), "/usr/games/pgn-extract"):
        if cand and os.access(cand, os.X_OK):
            return cand
    sys.exit("pgn-extract not found: apt-get install -y pgn-extract")


def read_eco(pgn_extract, eco_file):
    """Run pgn-extract and return a list of (tags, [coordinate moves])."""
    cmd = [pgn_extract, "-Wuci", "-C", "-N", "-V", "--noresults",
           "-w100000", "-s", "--quiet", eco_file]
    proc = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if proc.returncode != 0:
        sys.stderr.write(proc.stderr.decode("utf-8", "replace"))
        sys.exit("pgn-extract failed (exit %d)" % proc.returncode)
    games = []
    tags, moves = {}, []
    text = proc.stdout.decode("latin-1").replace("\r", "")
    for line in text.split("\n") + [""]:
        line = line.strip()
        if line.startswith("["):
            if moves:  # a tag after moves starts the next game
                games.append((tags, moves))
                tags, moves = {}, []
            name, _, value = line[1:-1].partition(" ")
            tags[name] = value.strip().strip('"')
        elif line:
            moves.extend(tok for tok in line.split() if tok != "*")
        elif moves:
            games.append((tags, moves))
            tags, moves = {}, []
    return games


def san_to_coord(san_line):
    """'e4 e5 Nf3' -> ('e2e4', 'e7e5', 'g1f3'), via the legality checker."""
    b = check_book.Board()
    out = []
    for san in san_line.split():
        m = b.find_san(san)
        if m is None:
            raise ValueError("bad move %r in %r" % (san, san_line))
        out.append(m.coord())
        b = b.make(m)
    return tuple(out), b


def coord_shares():
    """SHARES with coordinate keys: {prefix tuple: {coord move: share}}."""
    table = {}
    for node, children in SHARES.items():
        prefix, board = san_to_coord(node)
        row = {}
        for san, share in children.items():
            m = board.find_san(san)
            if m is None:
                raise ValueError("bad move %r after %r" % (san, node))
            row[m.coord()] = share
        if sum(row.values()) > 1.0 + 1e-9:
            raise ValueError("shares after %r add up to more than 1" % node)
        table[prefix] = row
    return table


def select_lines(games, log):
    """Apply the selection rules; return sorted distinct lines (tuples of moves)."""
    dropped = Counter()
    kept = set()
    for tags, moves in games:
        name = " ".join(tags.get(t, "") for t in ("Opening", "Variation", "SubVariation"))
        label = "%s %s" % (tags.get("ECO", "?"), name.strip())
        if moves[0] not in ALLOWED_FIRST_MOVES:
            dropped["irregular first move"] += 1
            continue
        if "trap" in name.lower():
            dropped["trap"] += 1
            continue
        ok, reason, board = check_book.check_line(moves)
        if not ok:
            dropped["illegal or promotion"] += 1
            log("dropped (%s): %s: %s\n" % (reason, label, " ".join(moves)))
            continue
        if board.is_checkmate():
            dropped["ends in checkmate"] += 1
            continue
        line = tuple(moves[:MAX_MOVES])
        if len(line) < MIN_MOVES:
            dropped["shorter than %d moves" % MIN_MOVES] += 1
            continue
        if line in kept:
            dropped["duplicate"] += 1
            continue
        kept.add(line)
    return sorted(kept), dropped


def drop_prefixes(lines):
    """Keep only lines that are not the beginning of another line."""
    inner = set()
    for l in lines:
        for k in range(1, len(l)):
            inner.add(l[:k])
    return [l for l in lines if l not in inner]


def apportion(budget, wants):
    """Split an integer budget in proportion to `wants` ({key: weight}).

    Largest-remainder method; ties go to the larger weight, then to the
    smaller key, so the result is deterministic.  Keys may get 0.
    """
    total = sum(wants.values())
    quotas = {k: budget * w / total for k, w in wants.items()}
    got = {k: int(q) for k, q in quotas.items()}
    left = budget - sum(got.values())
    order = sorted(wants, key=lambda k: (-(quotas[k] - got[k]), -wants[k], k))
    for k in order[:left]:
        got[k] += 1
    return got


def assign_counts(lines, shares, total):
    """Top-down split of `total` repetitions over the move tree.

    `lines` must be prefix-free (every line ends at a leaf of the tree).
    Returns {line: repetitions}; lines that get 0 are left out.
    """
    counts = {}

    def split(prefix, budget, group):
        if budget == 0:
            return
        depth = len(prefix)
        if len(group) == 1 and len(group[0]) == depth:
            counts[group[0]] = budget
            return
        children = {}
        for l in group:
            children.setdefault(l[depth], []).append(l)
        row = shares.get(prefix, {})
        listed = {m: s for m, s in row.items() if m in children}
        unlisted = [m for m in children if m not in listed]
        wants = dict(listed)
        if unlisted:
            left = max(0.0, 1.0 - sum(listed.values()))
            n = sum(len(children[m]) for m in unlisted)
            for m in unlisted:
                wants[m] = left * len(children[m]) / n
        got = apportion(budget, wants)
        for m in sorted(children):
            split(prefix + (m,), got[m], children[m])

    split((), total, list(lines))
    return counts


def print_stats(out_lines, shares, log):
    """Effective share of each next move at the nodes listed in SHARES."""
    for prefix in sorted(shares, key=lambda p: (len(p), p)):
        counts = Counter(l[len(prefix)] for l in out_lines
                         if len(l) > len(prefix) and l[:len(prefix)] == prefix)
        n = sum(counts.values())
        parts = ", ".join("%s %.0f%%" % (m, 100.0 * c / n) for m, c in counts.most_common())
        log("  [%s] (%d): %s\n" % (" ".join(prefix) or "start", n, parts))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("-o", "--output", default=DEFAULT_OUTPUT)
    ap.add_argument("--eco", default=ECO_PGN, help="ECO PGN file (default %(default)s)")
    ap.add_argument("--pgn-extract", default=None, help="path of the pgn-extract program")
    ap.add_argument("--stats", action="store_true", help="print move shares at weighted nodes")
    args = ap.parse_args()

    log = sys.stderr.write
    if not os.path.exists(args.eco):
        sys.exit("%s not found: apt-get install -y pgn-extract" % args.eco)
    games = read_eco(args.pgn_extract or find_pgn_extract(), args.eco)
    lines, dropped = select_lines(games, log)
    shares = coord_shares()
    leaves = drop_prefixes(lines)
    counts = assign_counts(leaves, shares, TARGET_TOTAL)

    out_lines = []
    for line in leaves:
        out_lines.extend([line] * counts.get(line, 0))
    out_lines.sort()

    # Final check of what is about to be written.
    for line in set(out_lines):
        ok, reason, _ = check_book.check_line(list(line))
        assert ok and MIN_MOVES <= len(line) <= MAX_MOVES, (line, reason)

    data = "".join("".join(l) + "\n" for l in out_lines).encode("ascii")
    with open(args.output, "wb") as fh:
        fh.write(data)

    log("read %d ECO lines, kept %d distinct lines\n" % (len(games), len(lines)))
    for reason, n in sorted(dropped.items()):
        log("  dropped %d: %s\n" % (n, reason))
    log("  %d lines are the beginning of a longer line, %d remain\n"
        % (len(lines) - len(leaves), len(leaves)))
    log("  %d of these get no weight, %d distinct lines written\n"
        % (len(leaves) - len(counts), len(counts)))
    first = Counter(l[0] for l in out_lines)
    log("wrote %d lines to %s\n" % (len(out_lines), args.output))
    log("  first moves: %s\n" % ", ".join("%s %d" % mc for mc in first.most_common()))
    if args.stats:
        print_stats(out_lines, shares, log)
    return 0


if __name__ == "__main__":
    sys.exit(main())
