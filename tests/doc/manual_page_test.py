#!/usr/bin/env python3
"""manual_page_test.py SOURCE_ROOT VERSION: doc/torlo.6's commands, UCI options and version as the
code's; groff renders it without a warning."""
import os
import re
import shutil
import subprocess
import sys


def body(text, signature):
    """A function's text, from its signature to its closing brace at the line start."""
    start = text.index(signature)
    return text[start:text.index("\n}\n", start)]


def comment_table(text):
    """First words of the rows ('//   word ...') of the file's opening comment."""
    head = text[:text.index("\n#")]
    return set(re.findall(r"^//   (\S+)", head, re.MULTILINE)) - {"word"}  # protocol.cpp's header row


def section_tags(page, title):
    """The tags (the lines after .TP) of a .SH section, macros, quotes and font escapes taken out."""
    section = re.search(r'^\.SH "?%s"?\n(.*?)(?=^\.SH|\Z)' % re.escape(title), page, re.MULTILINE | re.DOTALL)
    tags = re.findall(r"^\.TP[^\n]*\n\.\w+ (.*)$", section.group(1) if section else "", re.MULTILINE)
    assert tags, "the manual page has no entries under .SH %s" % title
    return [re.sub(r"\\f(\(..|\[[^]]*\]|.)", "", t).replace('"', "").replace("\\-", "-") for t in tags]


def compare(failures, what, accepted, listed, where="the manual page"):
    failures += ["%s: %r is accepted but missing from %s" % (what, w, where) for w in sorted(accepted - listed)]
    failures += ["%s: %r is in %s but not accepted" % (what, w, where) for w in sorted(listed - accepted)]


def check_rendering(failures, path):
    if not shutil.which("groff"):
        if os.environ.get("CI"):
            failures.append("groff is not installed (CI installs it): the page's rendering was not checked")
        print("skipped the rendering: groff is not installed")
        return
    for device in ("ps", "utf8"):  # printed, and in a terminal as man shows it
        proc = subprocess.run(["groff", "-man", "-ww", "-z", "-T" + device, path], capture_output=True, text=True)
        if proc.returncode or proc.stderr:
            failures.append("groff -man -ww -z -T%s: exit %d, %s" % (device, proc.returncode, proc.stderr.strip()))


def main():
    root, version = sys.argv[1], sys.argv[2]
    texts = {name: open(os.path.join(root, name), encoding="utf-8").read()
             for name in ("doc/torlo.6", "src/interface/protocol.cpp", "src/interface/uci.cpp")}
    page = texts["doc/torlo.6"]
    failures = []
    for source, signature, section in [("src/interface/protocol.cpp", "int execute_command(", "CONSOLE AND XBOARD COMMANDS"),
                                       ("src/interface/uci.cpp", "void uci_command(", "UCI COMMANDS")]:
        accepted = set(re.findall(r'\bis\("([^"]+)"\)', body(texts[source], signature)))
        entries = {p.split()[0].split("|")[0] for t in section_tags(page, section) for p in t.split(",") if p.split()}
        compare(failures, section, accepted, entries)
        compare(failures, section, accepted, comment_table(texts[source]), "the comment table of " + source)
    options = set(re.findall(r"option name (.+?) type ", body(texts["src/interface/uci.cpp"], "void identify(")))
    compare(failures, "UCI options", options, {t.split("(")[0].strip() for t in section_tags(page, "UCI OPTIONS")})
    title = re.search(r"^\.TH .*$", page, re.MULTILINE)
    if not title or '"TORLO %s"' % version not in title.group(0):
        failures.append("the title line does not name version %s: %s" % (version, title and title.group(0)))
    check_rendering(failures, os.path.join(root, "doc", "torlo.6"))
    print("\n".join(failures) or "manual page: commands and UCI options in step")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
