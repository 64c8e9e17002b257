#!/usr/bin/env python3
"""tq214 --help against the manual page and the bash completion.

  help_agreement.py manual TQ214 PAGE        the rendered tq214(1)
  help_agreement.py completion TQ214 SCRIPT  what the completion offers

The commands, options, scenario names and exit codes that --help lists must be
those of the page, and those the completion offers; whatever is added to one
and not to the others is named.
"""
import os
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])(--?[a-z][a-z-]*)")


def help_words(tq214):
    text = subprocess.run([tq214, "--help"], check=True, capture_output=True, text=True).stdout
    listed = text.split("Commands:")[1].split("Options:")[0]
    commands = set(re.findall(r"^  ([a-z]+)\b", listed, re.M))
    scenarios = set()
    lines = text.splitlines()
    start = next(i for i, line in enumerate(lines) if "one of these" in line)
    for line in lines[start + 1:]:
        if not re.fullmatch(r"\s+[a-z-]+(, [a-z-]+)*,?", line):
            break
        scenarios.update(name.strip() for name in line.split(",") if name.strip())
    exits = dict(re.findall(r"(?<![\w-])([0-9]) ([a-z]+)", " ".join(
        text.split("Exit codes:")[1].split("\n\n")[0].split())))
    return {"commands": commands, "options": set(OPTION.findall(text)),
            "scenarios": scenarios, "exit codes": exits}


def sections(page):
    env = dict(os.environ, MANWIDTH="1000")
    text = subprocess.run(["man", "-l", page], check=True, capture_output=True, text=True,
                          env=env).stdout
    text = re.sub(r".\x08", "", text)
    found = {}
    name = None
    for line in text.splitlines():
        if re.fullmatch(r"[A-Z][A-Z ]+", line):
            name = line
            found[name] = []
        elif name:
            found[name].append(line)
    return text, found


def page_words(page):
    text, found = sections(page)
    # An item is a line at the first indent with its description below it.
    items = {name: [line.split()[0] for line, below in zip(lines, lines[1:] + [""])
                    if re.match(r" {7}\S", line) and below.startswith(" " * 11)]
             for name, lines in found.items()}
    exits = {}
    status = found.get("EXIT STATUS", [])
    for line, below in zip(status, status[1:]):
        code = re.fullmatch(r" {7}([0-9])", line)
        if code:
            exits[code.group(1)] = re.findall(r"[A-Za-z]+", below)[0].lower()
    return {"commands": set(items.get("COMMANDS", [])), "options": set(OPTION.findall(text)),
            "scenarios": set(items.get("SCENARIOS", [])), "exit codes": exits}


def offers(script, *words):
    """What the completion offers after `tq214 WORDS...` (the last is being typed)."""
    line = " ".join(["tq214", *words])
    words_list = " ".join("'%s'" % w for w in ["tq214", *words])
    program = ('source "$1"; COMP_WORDS=(%s); COMP_CWORD=%d; COMP_LINE="%s"; '
               'COMP_POINT=${#COMP_LINE}; _tq214; printf "%%s\\n" "${COMPREPLY[@]}"'
               % (words_list, len(words), line))
    out = subprocess.run(["bash", "-c", program, "completion", script], check=True,
                         capture_output=True, text=True).stdout
    return {w for w in out.split("\n") if w}


def completion_words(script):
    return {"commands": offers(script, ""), "options": offers(script, "-"),
            "scenarios": offers(script, "--simulate", "=", ""),
            "scenario prefix": offers(script, "--simulate", "=", "ou"),
            "after a command": offers(script, "list", "")}


def compare(kind, from_help, other, name):
    if from_help == other:
        return 0
    if isinstance(from_help, dict):
        print("%s: --help says %s, the %s says %s" % (kind, sorted(from_help.items()), name,
                                                       sorted(other.items())))
        return 1
    for word in sorted(from_help - other):
        print("%s %r is in --help but not in the %s" % (kind, word, name))
    for word in sorted(other - from_help):
        print("%s %r is in the %s but not in --help" % (kind, word, name))
    return 1


def main():
    mode, tq214, other = sys.argv[1:4]
    expected = help_words(tq214)
    if mode == "manual":
        found = page_words(other)
        kinds = ["commands", "options", "scenarios", "exit codes"]
    else:
        found = completion_words(other)
        expected["scenario prefix"] = {s for s in expected["scenarios"] if s.startswith("ou")}
        expected["after a command"] = set()
        kinds = ["commands", "options", "scenarios", "scenario prefix", "after a command"]
    name = "manual page" if mode == "manual" else "completion"
    failures = 0
    for kind in kinds:
        if compare(kind, expected[kind], found[kind], name):
            failures += 1
        else:
            print("%s: the same %d in --help and the %s" % (kind, len(expected[kind]), name))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
