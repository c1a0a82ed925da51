#!/usr/bin/env python3
"""Long games through the real program over pipes.

The engine plays complete games against itself at a small fixed depth (sd 1 or 2, st 1000), with
random legal moves (fixed seed) mixed in, for several thousand plies in all:

  * short games, played until a mate or stalemate ends them;
  * one long game that opens with a knight shuffle (a threefold repetition
    at once), keeps going past every draw result (fifty moves, repetition,
    insufficient material), takes back any move that would end the game
    (mate or stalemate) and plays another, up to the game-history limit:
    at ply 3968 a typed move and `go` are both refused with
    "Error (game too long): <word>".

Before every move the engine's own `llist` is read, and every move the
engine plays must be one of those legal moves; every typed move must be
accepted silently. The engine runs in force mode and is asked to move with
`go` (then `force` again), so it plays whichever side is to move, also after
a result. Each request is followed by the unknown word `xyzzy`, whose error
line marks the end of the answer. The program must stay alive until its
input ends and then exit with code 0, with nothing on standard error.

Usage: long_games_test.py ENGINE
"""
import os
import random
import re
import select
import subprocess
import sys
import tempfile
import time

from engine_command import ENGINE_NAME, engine_command, engine_stderr

MARKER = "xyzzy"
MARKER_LINE = "Error (unknown command): xyzzy"
GAME_PLY_LIMIT = 4096 - 128
DEPTHS = (1, 2)          # short games alternate; the long game uses the last
RANDOM_SHARE = 0.35
SEED = 20261206
SHORT_GAME_PLIES = 4000   # plies of short games before the long one
ANSWER_TIMEOUT = 60.0     # seconds for one answer

LISTING_ENTRY = re.compile(r"\[\s*\d+\] (\S+)")
MOVE_LINE = re.compile(r"^(\d+)\. \.\.\. (\S+)$")
MATE_OR_STALEMATE = ("{White mates}", "{Black mates}", "{Stalemate}")


class Failure(Exception):
    pass


class Engine:
    def __init__(self, path, workdir):
        self.proc = subprocess.Popen(engine_command(path), cwd=workdir, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE)
        self.buffer = b""

    def _read_line(self, deadline):
        while b"\n" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise Failure("no answer within %.0f s" % ANSWER_TIMEOUT)
            ready, _, _ = select.select([self.proc.stdout], [], [], left)
            if not ready:
                continue
            chunk = os.read(self.proc.stdout.fileno(), 65536)
            if not chunk:
                raise Failure("the program ended early (exit code %s)" % self.proc.poll())
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.decode("latin-1")

    def ask(self, *lines):
        """Sends the lines and the marker; returns the answer's lines."""
        self.proc.stdin.write(("".join(l + "\n" for l in lines) + MARKER + "\n").encode())
        self.proc.stdin.flush()
        deadline = time.monotonic() + ANSWER_TIMEOUT
        answer = []
        while True:
            line = self._read_line(deadline)
            if line == MARKER_LINE:
                return answer
            answer.append(line)

    def finish(self):
        self.proc.stdin.close()
        rest = self.proc.stdout.read()
        err = engine_stderr(self.proc.stderr.read())
        code = self.proc.wait(timeout=30)
        return code, self.buffer + rest, err


def legal_moves(engine, white_to_move):
    """The moves of `llist`, castling mapped to the king's move."""
    answer = engine.ask("llist")
    if "Legal Moves" not in answer:
        raise Failure("no listing: %r" % answer)
    moves = set()
    for line in answer:
        for text in LISTING_ENTRY.findall(line):
            moves.add(castling_move(text, white_to_move))
    return moves


def castling_move(text, white_to_move):
    if text == "O-O":
        return "e1g1" if white_to_move else "e8g8"
    if text == "O-O-O":
        return "e1c1" if white_to_move else "e8c8"
    return text


class Game:
    """One game in force mode; tracks the ply to check move numbers."""

    def __init__(self, engine, rng, stats, depth):
        self.engine, self.rng, self.stats = engine, rng, stats
        self.ply = 0
        answer = engine.ask("new", "force", "sd %d" % depth, "st 1000", "nopost")
        if answer:
            raise Failure("new game printed %r" % answer)

    def white_to_move(self):
        return self.ply % 2 == 0

    def note_results(self, answer):
        for line in answer:
            if line.startswith(("1-0", "0-1", "1/2-1/2")):
                self.stats.setdefault(line, 0)
                self.stats[line] += 1

    def type_move(self, move):
        answer = self.engine.ask(move)
        if any(line.startswith(("Illegal move", "Error")) for line in answer):
            raise Failure("ply %d: typed legal move %s refused: %r" % (self.ply, move, answer))
        self.ply += 1
        self.note_results(answer)
        return move, answer

    def engine_move(self, legal):
        answer = self.engine.ask("go", "force")
        played = [MOVE_LINE.match(line) for line in answer]
        played = [m for m in played if m]
        if len(played) != 1:
            raise Failure("ply %d: expected one move line, got %r" % (self.ply, answer))
        number, text = int(played[0].group(1)), castling_move(played[0].group(2), self.white_to_move())
        if text not in legal:
            raise Failure("ply %d: engine played %s, not among the legal moves %s" % (self.ply, text, sorted(legal)))
        self.ply += 1
        if number != (self.ply + 1) // 2:
            raise Failure("ply %d: move number %d" % (self.ply, number))
        self.note_results(answer)
        return text, answer

    def ends_game(self, answer):
        return any(any(word in line for word in MATE_OR_STALEMATE) for line in answer)

    def step(self, legal):
        if self.rng.random() < RANDOM_SHARE:
            return self.type_move(self.rng.choice(sorted(legal)))
        return self.engine_move(legal)


def play_short_games(engine, rng, stats):
    plies, games = 0, 0
    while plies < SHORT_GAME_PLIES:
        game = Game(engine, rng, stats, DEPTHS[games % len(DEPTHS)])
        while True:
            legal = legal_moves(engine, game.white_to_move())
            if not legal:
                # Mate or stalemate: `go` announces it again and plays nothing.
                answer = engine.ask("go", "force")
                if not game.ends_game(answer) or any(MOVE_LINE.match(l) for l in answer):
                    raise Failure("go without a legal move answered %r" % answer)
                break
            if game.ends_game(game.step(legal)[1]):
                continue  # the listing of the next pass is empty
            if game.ply >= 600:
                break
        plies += game.ply
        games += 1
    return plies, games


def play_long_game(engine, rng, stats):
    game = Game(engine, rng, stats, DEPTHS[-1])
    for move in ("g1f3", "g8f6", "f3g1", "f6g8") * 2:
        _, answer = game.type_move(move)
    if "1/2-1/2 {Draw by three fold repetition}" not in answer:
        raise Failure("knight shuffle: no repetition result: %r" % answer)
    while game.ply < GAME_PLY_LIMIT:
        legal = legal_moves(engine, game.white_to_move())
        if not legal:
            raise Failure("ply %d: no legal move in the long game" % game.ply)
        move, answer = game.step(legal)
        tried = set()
        while game.ends_game(answer):
            # Keep the game alive: take the move back and try another.
            if engine.ask("undo"):
                raise Failure("undo printed something")
            game.ply -= 1
            tried.add(move)
            choices = sorted(legal - tried)
            if not choices:
                raise Failure("ply %d: every move ends the game" % game.ply)
            move, answer = game.type_move(rng.choice(choices))
    # The history is full: neither a typed move nor the engine may move.
    legal = legal_moves(engine, game.white_to_move())
    move = sorted(legal)[0]
    answer = engine.ask(move)
    if answer != ["Error (game too long): %s" % move]:
        raise Failure("typed move at ply %d answered %r" % (game.ply, answer))
    answer = engine.ask("go")
    if answer != ["Error (game too long): go"]:
        raise Failure("go at ply %d answered %r" % (game.ply, answer))
    # Taking a move back makes room for exactly one more.
    if engine.ask("undo"):
        raise Failure("undo printed something")
    game.ply -= 1
    legal = legal_moves(engine, game.white_to_move())
    game.engine_move(legal)
    return game.ply


def main():
    engine_path = os.path.abspath(sys.argv[1])
    rng = random.Random(SEED)
    stats = {}
    started = time.monotonic()
    with tempfile.TemporaryDirectory() as workdir:
        engine = Engine(engine_path, workdir)
        try:
            startup = engine.ask("xboard")
            if not startup or startup[0] != ENGINE_NAME:
                raise Failure("start-up lines: %r" % startup)
            short_plies, games = play_short_games(engine, rng, stats)
            long_plies = play_long_game(engine, rng, stats)
        except Failure as failure:
            engine.proc.kill()
            print("FAIL:", failure)
            return 1
        code, rest, err = engine.finish()
    problems = []
    if code != 0:
        problems.append("exit code %d at the end of input" % code)
    if rest.strip():
        problems.append("output after the last answer: %r" % rest[:200])
    if err:
        problems.append("standard error: %r" % err[:200])
    for result in ("1/2-1/2 {Draw by fifty move rule}", "1/2-1/2 {Draw by three fold repetition}"):
        if not stats.get(result):
            problems.append("the games never went past %r" % result)
    if not any(stats.get(r) for r in ("1-0 {White mates}", "0-1 {Black mates}")):
        problems.append("no short game ended in a mate")
    summary = "%d short games (%d plies), long game to ply %d, %.0f s; results seen: %s" % (
        games, short_plies, long_plies, time.monotonic() - started,
        ", ".join("%s x%d" % kv for kv in sorted(stats.items())))
    print(summary)
    if problems:
        print("FAIL:", "; ".join(problems))
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
