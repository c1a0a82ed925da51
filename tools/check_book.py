#!/usr/bin/env python3
"""Move legality checker for TORLO's opening book (standard library only).

Used as a module by make_book.py, and as a command-line checker:

    python3 tools/check_book.py [TORLO.opn]   # verify format and legality of a book
    python3 tools/check_book.py --selftest    # perft self-test of the move generator

Book format: one line per opening, LF line ends, moves from the initial
position written as 4 characters each (from-file, from-rank, to-file,
to-rank), castling as the king's two-square move, no promotions, at most
20 moves per line.

The move generator is a plain mailbox one: pseudo-legal generation, then
moves that leave the own king attacked are rejected.  Castling needs the
right, empty squares between king and rook, and a king that is not in check
and does not pass through or land on an attacked square.  En passant is
only possible right after the double pawn step.
"""

import os
import sys

FILES = "abcdefgh"
START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"

KNIGHT_STEPS = ((1, 2), (2, 1), (2, -1), (1, -2), (-1, -2), (-2, -1), (-2, 1), (-1, 2))
KING_STEPS = ((1, 0), (1, 1), (0, 1), (-1, 1), (-1, 0), (-1, -1), (0, -1), (1, -1))
ROOK_DIRS = ((1, 0), (-1, 0), (0, 1), (0, -1))
BISHOP_DIRS = ((1, 1), (1, -1), (-1, 1), (-1, -1))

MAX_BOOK_MOVES = 20


def sq(file, rank):
    return rank * 8 + file


def sq_name(s):
    return FILES[s % 8] + str(s // 8 + 1)


def parse_sq(text):
    if len(text) != 2 or text[0] not in FILES or text[1] not in "12345678":
        raise ValueError("bad square %r" % text)
    return sq(FILES.index(text[0]), int(text[1]) - 1)


def on_board(f, r):
    return 0 <= f < 8 and 0 <= r < 8


def color_of(piece):
    if piece == ".":
        return None
    return "w" if piece.isupper() else "b"


class Move:
    __slots__ = ("frm", "to", "promo", "castle", "ep")

    def __init__(self, frm, to, promo=None, castle=False, ep=False):
        self.frm = frm
        self.to = to
        self.promo = promo      # lower-case piece letter or None
        self.castle = castle
        self.ep = ep

    def coord(self):
        return sq_name(self.frm) + sq_name(self.to) + (self.promo or "")

    def __repr__(self):
        return "Move(%s)" % self.coord()


class Board:
    def __init__(self, fen=START_FEN):
        self.set_fen(fen)

    # ---- setup -------------------------------------------------------
    def set_fen(self, fen):
        parts = fen.split()
        rows = parts[0].split("/")
        if len(rows) != 8:
            raise ValueError("bad FEN board: %r" % fen)
        self.sqs = ["."] * 64
        for i, row in enumerate(rows):
            rank = 7 - i
            f = 0
            for ch in row:
                if ch.isdigit():
                    f += int(ch)
                else:
                    if ch not in "PNBRQKpnbrqk" or f > 7:
                        raise ValueError("bad FEN board: %r" % fen)
                    self.sqs[sq(f, rank)] = ch
                    f += 1
            if f != 8:
                raise ValueError("bad FEN rank: %r" % row)
        self.side = parts[1] if len(parts) > 1 else "w"
        castling = parts[2] if len(parts) > 2 else "-"
        self.castling = set(c for c in castling if c in "KQkq")
        ep = parts[3] if len(parts) > 3 else "-"
        self.ep = None if ep == "-" else parse_sq(ep)

    def copy(self):
        b = Board.__new__(Board)
        b.sqs = self.sqs[:]
        b.side = self.side
        b.castling = set(self.castling)
        b.ep = self.ep
        return b

    # ---- attacks -----------------------------------------------------
    def king_square(self, color):
        k = "K" if color == "w" else "k"
        for i, p in enumerate(self.sqs):
            if p == k:
                return i
        return None

    def attacked(self, s, by):
        """True if square s is attacked by a piece of colour `by`."""
        f, r = s % 8, s // 8
        up = by == "w"
        pawn, knight, bishop, rook, queen, king = (
            ("P", "N", "B", "R", "Q", "K") if up else ("p", "n", "b", "r", "q", "k"))
        # pawns: a white pawn attacks upwards, so it sits one rank below
        pr = r - 1 if up else r + 1
        for df in (-1, 1):
            if on_board(f + df, pr) and self.sqs[sq(f + df, pr)] == pawn:
                return True
        for df, dr in KNIGHT_STEPS:
            if on_board(f + df, r + dr) and self.sqs[sq(f + df, r + dr)] == knight:
                return True
        for df, dr in KING_STEPS:
            if on_board(f + df, r + dr) and self.sqs[sq(f + df, r + dr)] == king:
                return True
        for dirs, sliders in ((ROOK_DIRS, (rook, queen)), (BISHOP_DIRS, (bishop, queen))):
            for df, dr in dirs:
                nf, nr = f + df, r + dr
                while on_board(nf, nr):
                    p = self.sqs[sq(nf, nr)]
                    if p != ".":
                        if p in sliders:
                            return True
                        break
                    nf += df
                    nr += dr
        return False

    def in_check(self, color=None):
        color = color or self.side
        k = self.king_square(color)
        return k is not None and self.attacked(k, "b" if color == "w" else "w")

    # ---- move generation --------------------------------------------
    def pseudo_moves(self):
        us = self.side
        them = "b" if us == "w" else "w"
        out = []
        for s, p in enumerate(self.sqs):
            if color_of(p) != us:
                continue
            f, r = s % 8, s // 8
            kind = p.lower()
            if kind == "p":
                step = 1 if us == "w" else -1
                start_rank = 1 if us == "w" else 6
                last_rank = 7 if us == "w" else 0
                targets = []
                if on_board(f, r + step) and self.sqs[sq(f, r + step)] == ".":
                    targets.append((sq(f, r + step), False))
                    if r == start_rank and self.sqs[sq(f, r + 2 * step)] == ".":
                        targets.append((sq(f, r + 2 * step), False))
                for df in (-1, 1):
                    if not on_board(f + df, r + step):
                        continue
                    t = sq(f + df, r + step)
                    if color_of(self.sqs[t]) == them:
                        targets.append((t, False))
                    elif t == self.ep:
                        targets.append((t, True))
                for t, ep in targets:
                    if t // 8 == last_rank:
                        for promo in "qrbn":
                            out.append(Move(s, t, promo=promo))
                    else:
                        out.append(Move(s, t, ep=ep))
            elif kind == "n" or kind == "k":
                for df, dr in (KNIGHT_STEPS if kind == "n" else KING_STEPS):
                    nf, nr = f + df, r + dr
                    if on_board(nf, nr) and color_of(self.sqs[sq(nf, nr)]) != us:
                        out.append(Move(s, sq(nf, nr)))
                if kind == "k":
                    out.extend(self._castling_moves(s))
            else:
                dirs = {"b": BISHOP_DIRS, "r": ROOK_DIRS, "q": BISHOP_DIRS + ROOK_DIRS}[kind]
                for df, dr in dirs:
                    nf, nr = f + df, r + dr
                    while on_board(nf, nr):
                        t = sq(nf, nr)
                        c = color_of(self.sqs[t])
                        if c == us:
                            break
                        out.append(Move(s, t))
                        if c == them:
                            break
                        nf += df
                        nr += dr
        return out

    def _castling_moves(self, ksq):
        us = self.side
        them = "b" if us == "w" else "w"
        rank = 0 if us == "w" else 7
        king, rook = ("K", "R") if us == "w" else ("k", "r")
        out = []
        if ksq != sq(4, rank) or self.sqs[ksq] != king:
            return out
        # (right, rook file, squares that must be empty, squares the king crosses, king target)
        options = (
            ("K" if us == "w" else "k", 7, (5, 6), (5, 6), 6),
            ("Q" if us == "w" else "q", 0, (1, 2, 3), (3, 2), 2),
        )
        for right, rook_file, empty, crossed, target in options:
            if right not in self.castling:
                continue
            if self.sqs[sq(rook_file, rank)] != rook:
                continue
            if any(self.sqs[sq(x, rank)] != "." for x in empty):
                continue
            if self.attacked(ksq, them):
                continue
            if any(self.attacked(sq(x, rank), them) for x in crossed):
                continue
            out.append(Move(ksq, sq(target, rank), castle=True))
        return out

    def make(self, m):
        """Return the position after move m (m assumed pseudo-legal)."""
        b = self.copy()
        p = b.sqs[m.frm]
        us = self.side
        b.sqs[m.to] = p
        b.sqs[m.frm] = "."
        if m.ep:
            b.sqs[m.to + (-8 if us == "w" else 8)] = "."
        if m.promo:
            b.sqs[m.to] = m.promo.upper() if us == "w" else m.promo
        if m.castle:
            rank = m.frm // 8
            if m.to % 8 == 6:
                b.sqs[sq(5, rank)] = b.sqs[sq(7, rank)]
                b.sqs[sq(7, rank)] = "."
            else:
                b.sqs[sq(3, rank)] = b.sqs[sq(0, rank)]
                b.sqs[sq(0, rank)] = "."
        b.ep = None
        if p.lower() == "p" and abs(m.to - m.frm) == 16:
            b.ep = (m.to + m.frm) // 2
        # a king move or anything touching a rook corner ends castling rights
        for corner, right in ((0, "Q"), (7, "K"), (56, "q"), (63, "k")):
            if m.frm == corner or m.to == corner:
                b.castling.discard(right)
        if p == "K":
            b.castling -= {"K", "Q"}
        elif p == "k":
            b.castling -= {"k", "q"}
        b.side = "b" if us == "w" else "w"
        return b

    def legal_moves(self):
        out = []
        for m in self.pseudo_moves():
            after = self.make(m)
            if not after.in_check(self.side):
                out.append(m)
        return out

    def is_checkmate(self):
        return self.in_check() and not self.legal_moves()

    # ---- notation ----------------------------------------------------
    def find_coord(self, text):
        """Return the legal move written as `text` (4 or 5 chars), or None."""
        for m in self.legal_moves():
            if m.coord() == text:
                return m
        return None

    def san(self, m, legal=None):
        """Standard algebraic notation of a legal move, without +/#."""
        p = self.sqs[m.frm]
        if m.castle:
            return "O-O" if m.to % 8 == 6 else "O-O-O"
        capture = self.sqs[m.to] != "." or m.ep
        dest = sq_name(m.to)
        if p.lower() == "p":
            s = (FILES[m.frm % 8] + "x" if capture else "") + dest
            if m.promo:
                s += "=" + m.promo.upper()
            return s
        legal = self.legal_moves() if legal is None else legal
        rivals = [o for o in legal
                  if o.to == m.to and o.frm != m.frm and self.sqs[o.frm] == p]
        dis = ""
        if rivals:
            if all(o.frm % 8 != m.frm % 8 for o in rivals):
                dis = FILES[m.frm % 8]
            elif all(o.frm // 8 != m.frm // 8 for o in rivals):
                dis = str(m.frm // 8 + 1)
            else:
                dis = sq_name(m.frm)
        return p.upper() + dis + ("x" if capture else "") + dest

    def find_san(self, text):
        """Return the legal move written in SAN as `text`, or None."""
        want = text.rstrip("+#!?").replace("0", "O")
        legal = self.legal_moves()
        for m in legal:
            if self.san(m, legal) == want:
                return m
        return None


def split_moves(line):
    """Split a book line into its 4-character moves."""
    return [line[i:i + 4] for i in range(0, len(line), 4)]


def check_line(moves):
    """Play coordinate moves from the start position.

    Returns (ok, reason, final_board). A move is accepted only if it is a
    legal non-promotion move of the side to move.
    """
    b = Board()
    for i, text in enumerate(moves):
        ply = "ply %d (%s)" % (i + 1, text)
        if len(text) != 4:
            return False, "%s: not a 4-character move" % ply, b
        try:
            frm = parse_sq(text[:2])
            parse_sq(text[2:])
        except ValueError:
            return False, "%s: bad square" % ply, b
        if color_of(b.sqs[frm]) != b.side:
            return False, "%s: from-square holds no piece of the side to move" % ply, b
        m = b.find_coord(text)
        if m is None:
            if any(x.coord()[:4] == text for x in b.legal_moves()):
                return False, "%s: promotion" % ply, b
            return False, "%s: illegal move" % ply, b
        b = b.make(m)
    return True, "", b


def check_book(path):
    """Verify format and legality of a book file. Returns a list of problems."""
    problems = []
    with open(path, "rb") as fh:
        data = fh.read()
    if not data:
        return ["file is empty"]
    if b"\r" in data:
        problems.append("file contains CR characters")
    if not data.endswith(b"\n"):
        problems.append("file does not end with LF")
    lines = data.split(b"\n")[:-1] if data.endswith(b"\n") else data.split(b"\n")
    for n, raw in enumerate(lines, 1):
        line = raw.decode("ascii", "replace")
        if not line:
            problems.append("line %d: empty" % n)
            continue
        if len(line) % 4 != 0:
            problems.append("line %d: length %d is not a multiple of 4" % (n, len(line)))
            continue
        if len(line) > 4 * MAX_BOOK_MOVES:
            problems.append("line %d: more than %d moves" % (n, MAX_BOOK_MOVES))
        ok, reason, _ = check_line(split_moves(line))
        if not ok:
            problems.append("line %d: %s" % (n, reason))
    return problems


# ---- self-test ----------------------------------------------------------
def perft(b, depth):
    if depth == 0:
        return 1
    moves = b.legal_moves()
    if depth == 1:
        return len(moves)
    return sum(perft(b.make(m), depth - 1) for m in moves)


# Well-known perft counts (start position, "Kiwipete", and the endgame,
# promotion and castling positions commonly used to test move generators).
PERFT_CASES = (
    (START_FEN, (20, 400, 8902)),
    ("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", (48, 2039, 97862)),
    ("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", (14, 191, 2812)),
    ("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", (6, 264, 9467)),
    ("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", (44, 1486, 62379)),
)


def selftest():
    failed = 0
    for fen, counts in PERFT_CASES:
        b = Board(fen)
        for depth, want in enumerate(counts, 1):
            got = perft(b, depth)
            status = "ok" if got == want else "FAIL"
            if got != want:
                failed += 1
            print("%-4s perft(%d)=%d expected %d  %s" % (status, depth, got, want, fen))
    # notation round trip on a short game with castling, en passant and a check
    b = Board()
    sans = "e4 e6 e5 d5 exd6 Bxd6 Nf3 Nf6 Bc4 O-O O-O Bxh2+".split()
    for s in sans:
        m = b.find_san(s)
        if m is None:
            print("FAIL SAN %s not found" % s)
            failed += 1
            break
        b = b.make(m)
    else:
        print("ok   SAN sequence replayed")
    # a mate is recognised as such
    ok, _, b = check_line("f2f3 e7e5 g2g4 d8h4".split())
    if ok and b.is_checkmate():
        print("ok   fool's mate detected")
    else:
        print("FAIL fool's mate not detected")
        failed += 1
    # illegal things are refused
    for bad, why in ((["e2e5"], "pawn triple step"),
                     (["e7e5"], "black piece moved first"),
                     (["e2e4", "e7e5", "e1g1"], "castling through pieces"),
                     (["e2e4", "d7d5", "e4e5", "f7f5", "d2d4", "a7a6", "e5f6"],
                      "en passant one move too late")):
        ok, reason, _ = check_line(bad)
        print(("ok   refused %s: %s" % (why, reason)) if not ok
              else "FAIL accepted %s" % why)
        failed += ok
    print("self-test %s" % ("FAILED" if failed else "passed"))
    return 1 if failed else 0


def main(argv):
    if len(argv) > 1 and argv[1] == "--selftest":
        return selftest()
    path = argv[1] if len(argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "TORLO.opn")
    problems = check_book(path)
    for p in problems:
        print(p)
    with open(path, "rb") as fh:
        count = fh.read().count(b"\n")
    print("%s: %d lines, %d problems" % (path, count, len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
