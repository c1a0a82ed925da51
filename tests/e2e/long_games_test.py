#!/usr/bin/env python3
"""Long games through the real program over pipes.

The engine plays complete games against itself at a small fixed depth (sd 1 or 2, st 1000), with
random legal moves (fixed seed) mixed in, for several thousand plies in all:

  * short games, played until a mate or stalemate ends them;
  * one long game that opens with a knight shuffle (a threefold repetition
    at once), keeps going past every draw result (fifty moves, repetition,
    insufficient material), takes back any move that would end the game
    (mate or stalemate) and plays another, up to the game-history limit
    (ply 3968; what the engine answers there is pinned by its unit test).

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
import sys
import tempfile
import time

from engine_command import ENGINE_NAME
from pipes_engine import Engine

GAME_PLY_LIMIT = 4096 - 128
DEPTHS = (1, 2)          # short games alternate; the long game uses the last
RANDOM_SHARE = 0.35
SEED = 20261206
SHORT_GAME_PLIES = 4000   # plies of short games before the long one

LISTING_ENTRY = re.compile(r"\[\s*\d+\] (\S+)")
MOVE_LINE = re.compile(r"^(\d+)\. \.\.\. (\S+)$")
MATE_OR_STALEMATE = ("{White mates}", "{Black mates}", "{Stalemate}")


def legal_moves(engine, white_to_move):
    """The moves of `llist`, castling mapped to the king's move."""
    answer = engine.ask("llist")
    if "Legal Moves" not in answer:
        raise AssertionError("no listing: %r" % answer)
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
            raise AssertionError("new game printed %r" % answer)

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
            raise AssertionError("ply %d: typed legal move %s refused: %r" % (self.ply, move, answer))
        self.ply += 1
        self.note_results(answer)
        return move, answer

    def engine_move(self, legal):
        answer = self.engine.ask("go", "force")
        played = [MOVE_LINE.match(line) for line in answer]
        played = [m for m in played if m]
        if len(played) != 1:
            raise AssertionError("ply %d: expected one move line, got %r" % (self.ply, answer))
        number, text = int(played[0].group(1)), castling_move(played[0].group(2), self.white_to_move())
        if text not in legal:
            raise AssertionError("ply %d: engine played %s, not among the legal moves %s" % (self.ply, text, sorted(legal)))
        self.ply += 1
        if number != (self.ply + 1) // 2:
            raise AssertionError("ply %d: move number %d" % (self.ply, number))
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
                    raise AssertionError("go without a legal move answered %r" % answer)
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
        raise AssertionError("knight shuffle: no repetition result: %r" % answer)
    while game.ply < GAME_PLY_LIMIT:
        legal = legal_moves(engine, game.white_to_move())
        if not legal:
            raise AssertionError("ply %d: no legal move in the long game" % game.ply)
        move, answer = game.step(legal)
        tried = set()
        while game.ends_game(answer):
            # Keep the game alive: take the move back and try another.
            if engine.ask("undo"):
                raise AssertionError("undo printed something")
            game.ply -= 1
            tried.add(move)
            choices = sorted(legal - tried)
            if not choices:
                raise AssertionError("ply %d: every move ends the game" % game.ply)
            move, answer = game.type_move(rng.choice(choices))
    return game.ply


def main():
    rng = random.Random(SEED)
    stats = {}
    started = time.monotonic()
    with tempfile.TemporaryDirectory() as workdir:
        engine = Engine(os.path.abspath(sys.argv[1]), workdir)
        try:
            startup = engine.ask("xboard")
            assert startup and startup[0] == ENGINE_NAME, "start-up lines: %r" % startup
            short_plies, games = play_short_games(engine, rng, stats)
            long_plies = play_long_game(engine, rng, stats)
            # The end of input ends the program, with nothing more printed.
            engine.proc.stdin.close()
            engine.finish(timeout=30)
            rest = []
            while (line := engine.lines.get(timeout=5)) is not None:
                rest.append(line)
            assert not rest, "output after the last answer: %r" % rest[:5]
            for result in ("1/2-1/2 {Draw by fifty move rule}", "1/2-1/2 {Draw by three fold repetition}"):
                assert stats.get(result), "the games never went past %r" % result
            assert any(stats.get(r) for r in ("1-0 {White mates}", "0-1 {Black mates}")), "no short game ended in a mate"
        except AssertionError as failure:
            engine.proc.kill()
            print("FAIL:", failure)
            return 1
    print("%d short games (%d plies), long game to ply %d, %.0f s; results seen: %s" % (
        games, short_plies, long_plies, time.monotonic() - started,
        ", ".join("%s x%d" % kv for kv in sorted(stats.items()))))
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
