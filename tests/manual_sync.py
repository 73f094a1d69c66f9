#!/usr/bin/python3
"""Every command and option a program's help names is in its manual page, and every option
the page names is in the help.

    manual_sync.py PROGRAM PAGE            the check; exits 1 naming what is missing where
    manual_sync.py PROGRAM PAGE --drop W   the same check on the page without the lines
                                           that name W: exits 0 when it finds W missing
"""
import re
import subprocess
import sys


def run(argv):
    done = subprocess.run(argv, capture_output=True, text=True)
    return done.stdout if done.returncode == 0 else ""


def plain(page):
    """The page's words without roff's escapes and requests."""
    text = re.sub(r"\\f[BIRP]|\\f\(..|\\&|\\%", "", page)
    text = text.replace("\\-", "-").replace("\\e", "\\")
    return "\n".join(re.sub(r"^\.[A-Z]+ ?", "", line) for line in text.splitlines())


def names(text, word):
    return re.search(r"(?<![\w-])%s(?![\w-])" % re.escape(word), text) is not None


def help_items(program):
    """The help's whole text, its commands and its options."""
    top = run([program, "--help"])
    assert top, program + " --help printed nothing"
    commands = []
    section = None
    for line in top.splitlines():
        if re.match(r"^[a-z][a-z ]*:$", line):
            section = line[:-1]
        elif section == "commands" and re.match(r"^  \S", line):
            commands.append(line.split()[0])
        elif not line.strip():
            section = None
    text = top + "".join(run([program, "help", c]) for c in commands)
    options = sorted(set(re.findall(r"(?<![\w-])--[a-z][a-z-]*", text)))
    return text, commands, options


def sections(page, wanted):
    """The text of the page's sections named in `wanted`."""
    out, keep = [], False
    for line in page.splitlines():
        if line.startswith(".SH "):
            keep = line[4:].strip().strip('"') in wanted
        elif keep:
            out.append(line)
    return "\n".join(out)


def missing(program, page):
    text, commands, options = help_items(program)
    own = plain(sections(page, ("SYNOPSIS", "COMMANDS", "OPTIONS")))
    page = plain(page)
    problems = ["%s is not in the manual page" % w for w in commands + options
                if not names(page, w)]
    problems += ["the manual page's %s is not in --help" % w
                 for w in sorted(set(re.findall(r"(?<![\w-])--[a-z][a-z-]*", own)))
                 if not names(text, w)]
    return problems, commands, options


def main():
    program, page_path = sys.argv[1], sys.argv[2]
    with open(page_path) as f:
        page = f.read()
    if len(sys.argv) > 4 and sys.argv[3] == "--drop":
        word = sys.argv[4]
        kept = "\n".join(l for l in page.splitlines() if not names(plain(l), word))
        problems, _, _ = missing(program, kept)
        found = any(p.startswith(word + " ") for p in problems)
        print("without %s the check %s" % (word, "fails, as it should" if found else "passes"))
        return 0 if found else 1
    problems, commands, options = missing(program, page)
    print("%s: %d commands, %d options" % (program.rsplit("/", 1)[-1], len(commands),
                                           len(options)))
    for p in problems:
        print("  " + p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
