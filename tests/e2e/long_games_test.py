#!/usr/bin/env python3
"""Games in force mode, `go` at sd 1-2 mixed with random legal moves (fixed seed): short games
(4000 plies), then one that takes back every move ending it, up to the history limit."""
import random
import re
import sys

from engine_command import ENGINE_NAME, Engine, coordinates, run_tests

MOVE_LINE = re.compile(r"^(\d+)\. \.\.\. (\S+)$")
GAME_ENDS = ("{White mates}", "{Black mates}", "{Stalemate}")


class Game:
    def __init__(self, engine, rng, results, depth):
        self.engine, self.rng, self.results, self.ply = engine, rng, results, 0
        answer = engine.ask("new", "force", "sd %d" % depth, "st 1000", "nopost")
        assert not answer, "new game printed %r" % answer

    def legal_moves(self):
        answer = self.engine.ask("llist")
        assert "Legal Moves" in answer, "no listing: %r" % answer
        return {coordinates(m, self.ply % 2 == 0) for line in answer for m in re.findall(r"\[\s*\d+\] (\S+)", line)}

    def played(self, move, answer):
        self.ply += 1
        self.results.update(l for l in answer if l.startswith(("1-0", "0-1", "1/2-1/2")))
        return move, any(word in line for line in answer for word in GAME_ENDS)

    def type_move(self, move):
        answer = self.engine.ask(move)
        assert not any(l.startswith(("Illegal move", "Error")) for l in answer), \
            "ply %d: legal move %s refused: %r" % (self.ply, move, answer)
        return self.played(move, answer)

    def step(self, legal):
        if self.rng.random() < 0.35:
            return self.type_move(self.rng.choice(sorted(legal)))
        answer = self.engine.ask("go", "force")
        moves = [m for m in map(MOVE_LINE.match, answer) if m]
        assert len(moves) == 1, "ply %d: expected one move line, got %r" % (self.ply, answer)
        move = coordinates(moves[0].group(2), self.ply % 2 == 0)
        assert move in legal, "ply %d: engine played %s, not among %s" % (self.ply, move, sorted(legal))
        assert int(moves[0].group(1)) == self.ply // 2 + 1, "ply %d: move number %s" % (self.ply, moves[0].group(1))
        return self.played(move, answer)


def play_short_games(engine, rng, results):
    plies = games = 0
    while plies < 4000:
        game = Game(engine, rng, results, 1 + games % 2)
        while game.ply < 600:
            legal = game.legal_moves()
            if not legal:
                # Mate or stalemate: `go` announces it again and plays nothing.
                answer = engine.ask("go", "force")
                assert any(w in l for l in answer for w in GAME_ENDS) and not any(map(MOVE_LINE.match, answer)), \
                    "go without a legal move answered %r" % answer
                break
            game.step(legal)
        plies, games = plies + game.ply, games + 1
    return plies, games


def play_long_game(engine, rng, results):
    game = Game(engine, rng, results, 2)
    while game.ply < 4096 - 128:  # the history limit
        legal = game.legal_moves()
        assert legal, "ply %d: no legal move in the long game" % game.ply
        move, ends = game.step(legal)
        tried = set()
        while ends:  # keep the game alive: take the move back and try another
            assert not engine.ask("undo"), "undo printed something"
            game.ply -= 1
            tried.add(move)
            assert legal - tried, "ply %d: every move ends the game" % game.ply
            move, ends = game.type_move(rng.choice(sorted(legal - tried)))
    return game.ply


def test_long_games(path, cwd):
    rng, results, engine = random.Random(20261206), set(), Engine(path, cwd)
    assert engine.ask("xboard")[:1] == [ENGINE_NAME], "start-up lines"
    plies, games = play_short_games(engine, rng, results)
    long_plies = play_long_game(engine, rng, results)
    engine.proc.stdin.close()
    engine.finish(timeout=30, quit=False)
    assert engine.lines.get(timeout=5) is None, "output after the last answer"
    for result in ("1/2-1/2 {Draw by fifty move rule}", "1/2-1/2 {Draw by three fold repetition}"):
        assert result in results, "the games never went past %r" % result
    assert results & {"1-0 {White mates}", "0-1 {Black mates}"}, "no short game ended in a mate"
    print("%d short games (%d plies), long game to ply %d; results: %s" % (games, plies, long_plies, sorted(results)))


if __name__ == "__main__":
    sys.exit(run_tests(globals()))
