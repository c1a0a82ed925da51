#!/usr/bin/env python3
"""Bad input, class by class, through the real program.

Every case runs the program in a fresh empty directory (no book; the files a
case names are created there), feeds it the case's input on standard input
and compares what follows the start-up lines with the answer the case pins.
Every run must also end with exit code 0 and an empty standard error: bad
input is answered on standard output and never stops the program.

An expected answer is either the exact text or a check function (for answers
that hold an engine move, which must be legal, or that must equal the answer
to an equivalent well-formed input).

The robustness table in doc/testing.md summarises these cases.

Usage: robustness_test.py ENGINE
"""
import os
import re
import subprocess
import sys
import tempfile

from engine_command import ENGINE_NAME, engine_command, engine_stderr

STARTUP = (ENGINE_NAME + "\n"
           "===============================================\n\n"
           "Hash size: 16383 Kbytes -> 699050 entries\n\n")
RULE = "   +---+---+---+---+---+---+---+---+\n"
THINKING = re.compile(r"^  [ \d]\d [ \d-]{6} [ \d]{6} [ \d]{7}  ")
RUN_TIMEOUT = 60
# `board` toggles the display: the first one shows the board, the second
# only switches it off again.


def unknown(word):
    return "Error (unknown command): %s\n" % word


def illegal(word):
    return "Illegal move: %s\n" % word


def board(rows, castle="0", ep=0, kings=(114, 30), side="White"):
    """The board display of a position: rows from rank 8 down, eight
    characters each (FEN letters, "." empty)."""
    text = "\n"
    for i, row in enumerate(rows):
        text += RULE + "%d  " % (8 - i) + "".join("| %s " % c for c in row) + "|\n"
    text += RULE
    text += "\n     a   b   c   d   e   f   g   h\n\n"
    text += "Castling status: %s   En-passant: %d\n" % (castle, ep)
    text += "White King in: %3d   Black King in: %3d\n" % kings
    text += "%s on move\n\n" % side
    return text


START_ROWS = ["rnbqkbnr", "pppppppp", "........", "........", "........", "........", "PPPPPPPP", "RNBQKBNR"]
EMPTY_ROWS = ["........"] * 8
KINGS_ONLY = ["....k...", "........", "........", "........", "........", "........", "........", "....K..."]
EMPTY_LISTING = "\nLegal Moves\n-------------------------------\n\n-------------------------------\n\n"


def run(engine, data, files=None):
    with tempfile.TemporaryDirectory() as workdir:
        for name, content in (files or {}).items():
            path = os.path.join(workdir, name)
            if content is None:
                os.mkdir(path)
            else:
                with open(path, "wb") as f:
                    f.write(content)
        proc = subprocess.run(engine_command(engine), input=data, cwd=workdir, capture_output=True, timeout=RUN_TIMEOUT)
    return proc


def answer_of(engine, data, files=None):
    proc = run(engine, data, files)
    out = proc.stdout.decode("latin-1")
    return out[len(STARTUP):] if out.startswith(STARTUP) else out


def listing_moves(text):
    return re.findall(r"\[\s*\d+\] (\S+)", text)


# Check functions: (answer, engine) -> problem text or None.

def same_as(other_input):
    def check(answer, engine):
        expected = answer_of(engine, other_input)
        return None if answer == expected else "differs from the answer to %r: %r" % (other_input, expected)
    return check


def first_listed_move_without_search(answer, engine):
    # A depth limit below 1: no search (no thinking line), the first legal move.
    head, _, tail = answer.rpartition("-------------------------------\n\n")
    moves = listing_moves(head)
    if not moves:
        return "no listing"
    if tail != "1. %s\n" % moves[0]:
        return "expected the first listed move %s, got %r" % (moves[0], tail)
    return None


def searched_then_moved(answer, engine):
    # A depth limit beyond the 32-bit range is clamped to the largest one,
    # not wrapped to 0: the engine searches (thinking lines) before moving.
    lines = answer.splitlines()
    if not lines or not all(THINKING.match(l) for l in lines[:-1]) or len(lines) < 2:
        return "expected thinking lines and a move line"
    return legal_engine_move(b"", "1. ")("\n".join(lines[-1:]) + "\n", engine)


def legal_engine_move(position_input, prefix):
    """The answer is one move line whose move is legal in the position that
    position_input sets up (read from the engine's own `llist`)."""
    def check(answer, engine):
        m = re.fullmatch(re.escape(prefix) + r"(\S+)\n", answer)
        if not m:
            return "expected one move line %r..., got %r" % (prefix, answer)
        legal = listing_moves(answer_of(engine, b"force\n" + position_input + b"llist\n"))
        legal = [{"O-O": "e1g1", "O-O-O": "e1c1"}.get(x, x) for x in legal]
        return None if m.group(1) in legal else "%s is not among the legal moves %s" % (m.group(1), legal)
    return check


POS_FILE = (b"4k3/8/8/8/8/8/8/4K3 w - - " + b"x" * 300 + b"\n"   # longer than a line buffer
            b"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -\r\n"                 # CR LF line end
            b"\n"                                                  # empty line
            b"   \t\n")                                            # blanks only

# (class, name, input, expected answer, files)
CASES = [
    # --- malformed moves
    ("malformed move", "illegal_move_of_move_shape", b"force\ne2e5\na7a8q\ne1g1\n",
     illegal("e2e5") + illegal("a7a8q") + illegal("e1g1"), None),
    ("malformed move", "not_move_shaped_is_a_command_word", b"e9e4\ni2i4\ne2e\nE2E4\nO-O\ne2-e4\n",
     unknown("e9e4") + unknown("i2i4") + unknown("e2e") + unknown("E2E4") + unknown("O-O") + unknown("e2-e4"), None),
    ("malformed move", "text_after_four_characters_ignored", b"force\ne2e4xyz\ne7e5!!\nllist\n",
     same_as(b"force\ne2e4\ne7e5\nllist\n"), None),
    # --- unknown words
    ("unknown word", "unknown_words", b"xyzzy\nNEW\nQuit\nusermove e2e4\n\txyzzy\t\n",
     unknown("xyzzy") + unknown("NEW") + unknown("Quit") + unknown("usermove") + unknown("xyzzy"), None),
    ("unknown word", "empty_and_blank_lines_ignored", b"\n   \n\t\n \t \n", "", None),
    ("unknown word", "argument_pattern_must_start_the_line", b" st 5\n sd 5\n", "", None),
    # --- numbers
    ("out-of-range number", "numbers_out_of_range_and_malformed_accepted_silently",
     b"st 99999999999999\nst -99999999999\nst abc\nst\nsd 99999999999999\nsd -99999999999\nsd x\n"
     b"time 99999999999999\ntime -99999999999\ntime abc\ntime\notim -5\nlevel 99999999999 0 0\nprotover 99999999999\n",
     "feature setboard=1 playother=1 draw=0 sigint=0 sigterm=0 reuse=0 analyze=0 "
     "myname=\"" + ENGINE_NAME + "\" variants=\"normal\" colors=0 done=1\n", None),
    ("out-of-range number", "depth_below_range_plays_first_legal_move", b"force\nllist\nsd -99999999999\ngo\n",
     first_listed_move_without_search, None),
    ("out-of-range number", "negative_depth_beyond_32_bits_clamped_not_wrapped",
     b"force\nllist\nsd -4294967295\ngo\n", first_listed_move_without_search, None),
    ("out-of-range number", "depth_beyond_32_bits_clamped_not_wrapped", b"sd 4294967296\nst 0\ngo\n",
     searched_then_moved, None),
    ("out-of-range number", "huge_move_time_bounded_by_depth", b"st 99999999999999\nsd 2\nnopost\ngo\n",
     legal_engine_move(b"", "1. "), None),
    ("out-of-range number", "negative_move_time_moves_at_once", b"st -99999999999\nnopost\ngo\n",
     legal_engine_move(b"", "1. "), None),
    ("out-of-range number", "huge_negative_clock_moves_at_once", b"time -99999999999\nnopost\ngo\n",
     legal_engine_move(b"", "1. "), None),
    # --- FEN
    ("malformed FEN", "setboard_junk_places_only_piece_letters", b"setboard junk\nboard\n",
     # "j" and "u" are skipped; "n" fills a8 and "k" b8, moving Black's king
     # there (a side has one king); the rest keeps its pieces; no side field
     # (White), no castling field (none).
     board(["nkbq.bnr"] + START_ROWS[1:], kings=(114, 27)), None),
    ("illegal FEN", "a_second_king_replaces_the_first",
     b"setboard K7/8/8/8/8/8/8/4K3 w - -\nboard\nedit\n#\nKe1\nKg1\nc\nKe8\n.\nboard\nboard\n",
     # The FEN's second white king (e1) replaces the first (a8); the
     # placement empties every other square, Black's king too (Black's
     # recorded square stays). In edit, Kg1 moves the king from e1.
     board(["........", "........", "........", "........", "........", "........", "........", "....K..."])
     + board(["....k...", "........", "........", "........", "........", "........", "........", "......K."],
             kings=(116, 30)), None),
    ("illegal FEN", "no_kings_is_a_stalemate_when_asked_to_move",
     b"setboard 8/8/8/8/8/8/8/8 w - -\nllist\ngo\nllist\n",
     EMPTY_LISTING + "1/2-1/2 {Stalemate}\n" + EMPTY_LISTING, None),
    ("malformed FEN", "digit_9_is_skipped", b"force\nsetboard 99999999999999999 b KQkq e3\nboard\n",
     # Nothing of the placement is read; the rights all stand; e3 has no
     # white pawn in front of it.
     board(START_ROWS, castle="f", side="Black"), None),
    ("illegal FEN", "digits_past_h1_stop_there", b"force\nsetboard 888888888 b KQkq e3\nboard\n",
     # Kings keep their recorded squares; no rights without kings and rooks.
     board(EMPTY_ROWS, side="Black"), None),
    ("over-long line", "fen_line_longer_than_255_characters",
     b"setboard 4k3/8/8/8/8/8/8/4K3 w - - " + b"x" * 300 + b"\nboard\n",
     # The first 255 characters are one line; the other 80 x are the next.
     unknown("x" * 80) + board(KINGS_ONLY), None),
    # --- files
    ("missing file", "loadpos_of_a_missing_file", b"loadpos missing.epd\nloadpos missing.epd 2\nloadpos\n",
     "Unable to open file!\n" * 3, None),
    ("missing file", "loadpos_line_not_in_the_file",
     b"loadpos pos.epd 5\nloadpos pos.epd 0\nloadpos pos.epd -3\nloadpos pos.epd 3\nloadpos pos.epd 4\n"
     b"loadpos pos.epd 99999999999\nboard\n",
     "Error (position not found): loadpos\n" * 6 + board(START_ROWS, castle="f"), {"pos.epd": POS_FILE}),
    ("missing file", "loadpos_of_a_directory", b"loadpos dir.epd\n",
     "Error (position not found): loadpos\n", {"dir.epd": None}),
    ("over-long line", "loadpos_long_file_line_and_crlf", b"force\nloadpos pos.epd 2\nboard\nboard\nloadpos pos.epd\nboard\n",
     board(["r...k..r", "........", "........", "........", "........", "........", "........", "R...K..R"],
           castle="f", side="Black") + board(KINGS_ONLY), {"pos.epd": POS_FILE}),
    # --- over-long lines
    ("over-long line", "line_of_300_characters", b"x" * 300 + b"\n", unknown("x" * 255) + unknown("x" * 45), None),
    ("over-long line", "line_of_10001_characters", b"x" * 10001 + b"\n",
     unknown("x" * 255) * 39 + unknown("x" * 56), None),
    ("over-long line", "long_blank_line_ignored", b" " * 300 + b"\nst 5" + b" " * 300 + b"\n", "", None),
    ("over-long line", "word_cut_at_the_255th_character", b" " * 254 + b"e2e4\n", unknown("e") + unknown("2e4"), None),
    ("over-long line", "long_edit_words_read_safely",
     b"edit\n#\nKe1" + b"y" * 300 + b"\nc\nKe8" + b"z" * 5000 + b"\nQz9\nK\n.\nboard\n", board(KINGS_ONLY), None),
    # --- NUL bytes and line ends
    ("NUL byte", "nul_ends_the_text_of_a_line", b"e2\x00e4\nxyz\x00zy\n\x00xyzzy\n", unknown("e2") + unknown("xyz"), None),
    ("line end", "crlf_line_ends", b"force\r\ne2e4\r\nxyzzy\r\nllist\r\n", same_as(b"force\ne2e4\nxyzzy\nllist\n"), None),
    # --- end of input
    ("end of input", "no_input_at_all", b"", "", None),
    ("end of input", "in_the_middle_of_edit", b"edit\n#\nKe1\nc\nKe8", "", None),
    ("end of input", "in_the_middle_of_a_line", b"xyzzy", unknown("xyzzy"), None),
    ("end of input", "right_after_setboard", b"setboard 4k3/8/8/8/8/8/8/4K3 w - -", "", None),
    ("end of input", "with_the_engine_to_move", b"sd 1\nnopost\ne2e4\n", legal_engine_move(b"e2e4\n", "1. ... "), None),
    ("end of input", "right_after_go", b"sd 1\nnopost\ngo\n", legal_engine_move(b"", "1. "), None),
    ("end of input", "after_a_mate_with_the_engine_to_move",
     # The engine plays Black and is mated at once: it announces the result
     # and goes to force mode; `go` gives it the move again, same answer.
     b"setboard 7k/6Q1/6K1/8/8/8/8/8 b - -\ngo\n", "1-0 {White mates}\n" * 2, None),
    ("end of input", "in_force_mode", b"force\ne2e4\n", "", None),
    ("end of input", "after_quit_nothing_more_is_read", b"quit\nxyzzy\n", "", None),
]


def main():
    engine = os.path.abspath(sys.argv[1])
    failures = 0
    for klass, name, data, expected, files in CASES:
        try:
            proc = run(engine, data, files)
        except subprocess.TimeoutExpired:
            print("FAIL %s: no end within %d s" % (name, RUN_TIMEOUT))
            failures += 1
            continue
        out = proc.stdout.decode("latin-1")
        problems = []
        if proc.returncode != 0:
            problems.append("exit code %d" % proc.returncode)
        stderr = engine_stderr(proc.stderr)
        if stderr:
            problems.append("standard error: %r" % stderr[:200])
        if not out.startswith(STARTUP):
            problems.append("start-up lines: %r" % out[:200])
        answer = out[len(STARTUP):]
        if callable(expected):
            problem = expected(answer, engine)
            if problem:
                problems.append(problem)
        elif answer != expected:
            problems.append("expected %r\n     got %r" % (expected[:600], answer[:600]))
        if problems:
            failures += 1
            print("FAIL %s (%s): %s" % (name, klass, "; ".join(problems)))
    print("%d passed, %d failed" % (len(CASES) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
