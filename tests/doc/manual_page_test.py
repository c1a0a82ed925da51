#!/usr/bin/env python3
"""The manual page doc/torlo.6 against the command interpreter.

Every word the interpreter accepts (the is("...") tests of execute_command
in src/interface/protocol.cpp and of uci_command in src/interface/uci.cpp)
has an entry in the page's command sections, and every entry there is a
word the interpreter accepts; the comment tables at the top of both files
list the same words; the UCI options the engine announces are the page's
UCI OPTIONS; the page's title line carries the build's version. The page
renders without a warning: `groff -man -ww -z` (and `man -l` when man is
installed). Under CI (CI set in the environment) a missing groff fails the
test instead of skipping that part.

Usage: manual_page_test.py SOURCE_ROOT VERSION
"""
import os
import re
import shutil
import subprocess
import sys

def read(root, path):
    with open(os.path.join(root, path), encoding="utf-8") as f:
        return f.read()


def function_body(text, signature):
    """The text of the function whose definition starts with signature."""
    start = text.index(signature)
    open_brace = text.index("{", start)
    depth = 0
    for i in range(open_brace, len(text)):
        if text[i] == "{":
            depth += 1
        elif text[i] == "}":
            depth -= 1
            if depth == 0:
                return text[open_brace:i + 1]
    raise ValueError("unbalanced braces in " + signature)


def accepted_words(text, signature):
    return set(re.findall(r'\bis\("([^"]+)"\)', function_body(text, signature)))


def comment_table(text):
    """First words of the table rows ('//   word ...') in the file's opening comment."""
    words = []
    for line in text.splitlines():
        if not line.startswith("//"):
            break
        m = re.match(r"//   (\S+)", line)
        if m:
            words.append(m.group(1))
    return set(w for w in words if w != "word")  # the header row of protocol.cpp's table


def roff_arguments(args):
    """A macro line's arguments, with roff's double quotes."""
    return [m.group(1) if m.group(1) is not None else m.group(2)
            for m in re.finditer(r'"((?:[^"]|"")*)"|(\S+)', args)]


def plain(text):
    text = re.sub(r"\\f(\(..|\[[^]]*\]|.)", "", text)
    text = text.replace("\\-", "-").replace("\\&", "").replace("\\e", "\\").replace("\\c", "")
    return text


def tag_text(line):
    """The text of a .TP tag line as it renders (fonts dropped)."""
    m = re.match(r"\.(B|I|BR|RB|BI|IB|IR|RI)\s+(.*)$", line)
    if not m:
        return plain(line)
    args = roff_arguments(m.group(2))
    joiner = " " if m.group(1) in ("B", "I") else ""
    return plain(joiner.join(args))


def section_tags(page, title):
    """The tags of the .TP entries of a .SH section."""
    lines = page.splitlines()
    tags, inside = [], False
    for i, line in enumerate(lines):
        if line.startswith(".SH"):
            name = line[3:].strip().strip('"')
            inside = name == title
            continue
        if inside and line.startswith(".TP") and i + 1 < len(lines):
            tags.append(tag_text(lines[i + 1]))
    if not tags:
        raise AssertionError("the manual page has no entries under .SH %s" % title)
    return tags


def command_words(tags):
    words = set()
    for tag in tags:
        for part in tag.split(","):
            if part.split():
                words.add(part.split()[0].split("|")[0])
    return words


def compare(failures, what, source, listed, where="the manual page"):
    for w in sorted(source - listed):
        failures.append("%s: %r is accepted by the engine but missing from %s" % (what, w, where))
    for w in sorted(listed - source):
        failures.append("%s: %r is in %s but the engine does not accept it" % (what, w, where))


def check_rendering(failures, path):
    groff = shutil.which("groff")
    if not groff:
        if os.environ.get("CI"):
            failures.append("groff is not installed (CI installs it): the page's rendering was not checked")
        else:
            print("groff not installed: rendering not checked")
        return
    proc = subprocess.run([groff, "-man", "-ww", "-z", path], capture_output=True, text=True)
    if proc.returncode != 0 or proc.stderr:
        failures.append("groff -man -ww -z: exit %d, %s" % (proc.returncode, proc.stderr.strip()))
    man = shutil.which("man")
    if not man:
        print("man not installed: `man -l` not checked")
        return
    env = dict(os.environ, MANWIDTH="80", MANPAGER="cat", PAGER="cat", LC_ALL="C.UTF-8")
    proc = subprocess.run([man, "--warnings", "-l", path], capture_output=True, text=True, env=env)
    if proc.returncode != 0 or proc.stderr or "CONSOLE AND XBOARD COMMANDS" not in proc.stdout:
        failures.append("man -l: exit %d, %s" % (proc.returncode, proc.stderr.strip() or "no page shown"))


def main():
    root, version = sys.argv[1], sys.argv[2]
    page_path = os.path.join(root, "doc", "torlo.6")
    page = read(root, "doc/torlo.6")
    protocol = read(root, "src/interface/protocol.cpp")
    uci = read(root, "src/interface/uci.cpp")
    failures = []

    console = accepted_words(protocol, "int execute_command(")
    compare(failures, "console/xboard commands", console,
            command_words(section_tags(page, "CONSOLE AND XBOARD COMMANDS")))
    compare(failures, "console/xboard commands", console, comment_table(protocol),
            "the comment table of protocol.cpp")

    uci_words = accepted_words(uci, "void uci_command(")
    compare(failures, "UCI commands", uci_words, command_words(section_tags(page, "UCI COMMANDS")))
    compare(failures, "UCI commands", uci_words, comment_table(uci), "the comment table of uci.cpp")

    options = set(re.findall(r'option name (.+?) type ', function_body(uci, "void identify(")))
    page_options = set(t.split("(")[0].strip() for t in section_tags(page, "UCI OPTIONS"))
    compare(failures, "UCI options", options, page_options)

    title = re.search(r'^\.TH .*$', page, re.MULTILINE)
    if not title or ('"TORLO %s"' % version) not in title.group(0):
        failures.append("the title line does not name version %s: %s" % (version, title and title.group(0)))

    check_rendering(failures, page_path)

    if failures:
        print("\n".join(failures))
        return 1
    print("manual page: %d console/xboard commands, %d UCI commands, %d UCI options in step"
          % (len(console), len(uci_words), len(options)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
