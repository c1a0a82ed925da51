#!/usr/bin/env python3
"""layers_test.py SOURCE_DIR: the source folders include one another one way only (ORDER)."""
import os
import re
import sys

ORDER = ["output", "board", "eval|book", "search", "interface", "web"]  # each includes only those before it
EXCEPTIONS = {("board", "eval/tables.h")}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def main():
    src, problems, seen = sys.argv[1], [], set()
    for rank, group in enumerate(ORDER):
        allowed = {f for g in ORDER[:rank] for f in g.split("|")}
        for folder in group.split("|"):
            if not os.path.isdir(os.path.join(src, folder)):
                problems.append("missing folder %s" % folder)
                continue
            for name in sorted(n for n in os.listdir(os.path.join(src, folder)) if n.endswith((".h", ".cpp"))):
                with open(os.path.join(src, folder, name), encoding="utf-8") as f:
                    for target in INCLUDE.findall(f.read()):
                        seen.add(folder)
                        top = target.split("/")[0]
                        if target != "types.h" and (folder, target) not in EXCEPTIONS and top not in allowed | {folder}:
                            problems.append("%s/%s includes %s" % (folder, name, target))
    if len(seen) < 6:
        problems.append("too few folders with includes: %s" % sorted(seen))
    print("\n".join(problems) or "layers: ok")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
