#!/usr/bin/env python3
"""Fairy-Max as the matches' opponent, with two of its faults kept out.

1. Debian's Fairy-Max 5.0b crashes (segmentation fault) on about half of the
   commands it does not know, and xboard sends it one at the start of every
   game: `computer`. The line is dropped on its way in.
2. xboard drives Fairy-Max in protocol version 1, which has no ping, so a
   move Fairy-Max sends after its game has ended cannot be told from a move
   of the next game. On a loaded machine Fairy-Max can overstep its clock in
   a long search and send that search's move only after the next game has
   begun; xboard then forfeits it for an illegal move and ends the match
   without saving the game. A move that answers a search the game's end
   interrupted (a `result`, `force` or `new` while Fairy-Max was thinking)
   is dropped on its way out, up to Fairy-Max's answer to `result`.

Everything else passes unchanged, both ways.
"""
import os
import re
import subprocess
import sys
import threading

MOVE = re.compile(r"^[a-h][1-8][a-h][1-8][a-z]?$")
RESULT = re.compile(r"^(1-0|0-1|1/2-1/2|resign)\b")

# FAIRYMAX names another program to run in its place (a test of this filter).
engine = subprocess.Popen([os.environ.get("FAIRYMAX", "/usr/games/fairymax")] + sys.argv[1:], stdin=subprocess.PIPE,
                          stdout=subprocess.PIPE, text=True, bufsize=1)
lock = threading.Lock()
thinking = False  # Fairy-Max is searching for a move of the current game
forced = False    # force mode: the moves it is given start no search
stale = 0         # moves still to come from searches of ended games


def to_engine():
    global thinking, forced, stale
    for line in sys.stdin:
        words = line.split()
        command = words[0] if words else ""
        if command == "computer":
            continue
        with lock:
            if command in ("result", "force", "new") and thinking:
                stale += 1
                thinking = False
            if command == "force":
                forced = True
            elif command == "new":
                forced = False
            elif command == "go":
                forced = False
                thinking = True
            elif MOVE.match(command) and not forced:
                thinking = True
        try:
            engine.stdin.write(line)
            engine.stdin.flush()
        except BrokenPipeError:
            break
    try:
        engine.stdin.close()
    except BrokenPipeError:
        pass


threading.Thread(target=to_engine, daemon=True).start()
for line in engine.stdout:
    with lock:
        if line.startswith("move "):
            if stale:
                stale -= 1
                sys.stderr.write("fairymax.py: kept from xboard, a move of an ended game: " + line)
                continue
            thinking = False
        elif RESULT.match(line):
            thinking = False
        elif line.startswith("Error (unknown command): result"):
            # Fairy-Max answers `result` only after the search it cut short
            # has sent its move, if it sends one at all: none is still due.
            stale = 0
    sys.stdout.write(line)
    sys.stdout.flush()
sys.exit(engine.wait())
