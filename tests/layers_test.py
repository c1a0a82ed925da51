#!/usr/bin/env python3
"""The source folders include one another one way only:

    types.h, output/  <-  board/  <-  eval/, book/  <-  search/  <-  interface/  <-  web/

Each folder includes only the folders to its left (and its own), eval/ and
book/ know nothing of each other, and board/ reads nothing of eval/ but its
constant tables (eval/tables.h, the square values make/unmake keep summed).
Fails with the offending lines.

Usage: layers_test.py SOURCE_DIR
"""
import os
import re
import sys

BELOW = {
    "output": {"output"},
    "board": {"output", "board"},
    "eval": {"output", "board", "eval"},
    "book": {"output", "board", "book"},
    "search": {"output", "board", "eval", "book", "search"},
    "interface": {"output", "board", "eval", "book", "search", "interface"},
    "web": {"output", "board", "eval", "book", "search", "interface", "web"},
}
EXCEPTIONS = {("board", "eval/tables.h")}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def main():
    src = sys.argv[1]
    problems = []
    seen = set()
    for folder, allowed in BELOW.items():
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            problems.append("missing folder %s" % folder)
            continue
        for name in sorted(os.listdir(path)):
            if not name.endswith((".h", ".cpp")):
                continue
            for number, line in enumerate(open(os.path.join(path, name), encoding="utf-8"), 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                target = m.group(1)
                seen.add(folder)
                if target == "types.h" or (folder, target) in EXCEPTIONS:
                    continue
                top = target.split("/")[0]
                if top not in allowed:
                    problems.append("%s/%s:%d includes %s" % (folder, name, number, target))
    for p in problems:
        print(p)
    if len(seen) < len(BELOW) - 1:
        print("too few folders with includes: %s" % sorted(seen))
        return 1
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
