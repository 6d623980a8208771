#!/usr/bin/env python3
"""Manual pages and bash completion from the programs' own --help.

    scripts/manpages.py [--version V] [--gzip] OUT_DIR PROGRAM...

For every PROGRAM (a built program's path) this runs `PROGRAM --help` and, for
a program with commands, `PROGRAM COMMAND --help` for each command, and writes

    OUT_DIR/man1/<program>.1             the program, its commands in full
    OUT_DIR/man1/<program>-<command>.1   one page per command (-<sub-command> below)
    OUT_DIR/bash-completion/<program>    command names and options

so that the pages and the completion say what --help says, always.
"""

import argparse
import gzip
import os
import re
import subprocess
import sys

SECTION = re.compile(r"^([a-z][a-z ]*):$")
# "  name  description" (a term too long for its column stands alone and its
# description follows on the next, indented line); a command's name is one word.
ENTRY = re.compile(r"^  (\S(?:.*?\S)?)(?:\s{2,}(.*))?$")
COMMAND = re.compile(r"^  (\S+)\s*(.*)$")


class Help:
    """One --help text, split into its parts."""

    def __init__(self, text):
        self.usage = ""
        self.summary = []
        self.sections = {}  # name -> [(term, description)]
        self.notes = []
        lines = text.rstrip("\n").split("\n")
        if not lines or not lines[0].startswith("usage: "):
            raise ValueError("help text does not start with 'usage: '")
        self.usage = lines[0][len("usage: "):]
        i = 1
        while i < len(lines) and lines[i] == "":
            i += 1
        while i < len(lines) and lines[i] != "" and not SECTION.match(lines[i]):
            self.summary.append(lines[i])
            i += 1
        current = None
        for line in lines[i:]:
            match = SECTION.match(line)
            if match:
                current = self.sections.setdefault(match.group(1), [])
                continue
            if line.startswith("    ") and current:
                term, description = current[-1]
                current[-1] = (term, (description + " " + line.strip()).strip())
                continue
            pattern = COMMAND if current is self.sections.get("commands") else ENTRY
            entry = pattern.match(line) if current is not None else None
            if entry:
                current.append((entry.group(1), (entry.group(2) or "").strip()))
                continue
            if line == "":
                current = None
                if self.notes and self.notes[-1] != "":
                    self.notes.append("")
                continue
            current = None
            self.notes.append(line)
        while self.notes and self.notes[-1] == "":
            self.notes.pop()

    def commands(self):
        """(name, synopsis-and-description) of a program with commands."""
        return self.sections.get("commands", [])

    def options(self):
        """Option names (--x) of the options section, --help included."""
        return [term.split(" ")[0] for term, _ in self.sections.get("options", [])]


def run_help(program, *words):
    result = subprocess.run([program, *words, "--help"], capture_output=True, text=True,
                            env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    if result.returncode != 0:
        raise RuntimeError(f"{program} {' '.join(words)} --help failed with status {result.returncode}: "
                           f"{result.stderr.strip()}")
    return Help(result.stdout)


def roff(text):
    """Text escaped for a roff line: backslashes and hyphens, and a line that
    would start with a control character."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    if text.startswith((".", "'")):
        text = "\\&" + text
    return text


def bold_term(term):
    # An option with its value: "--text-file F" -> bold option, italic value.
    parts = term.split(" ", 1)
    if len(parts) == 2:
        return f"\\fB{roff(parts[0])}\\fR \\fI{roff(parts[1])}\\fR"
    return f"\\fB{roff(term)}\\fR"


def describe(help_text, page, nested=False):
    """Writes the summary, arguments, options and notes of one help text, as
    sections of their own or (nested, inside a command's subsection) as
    paragraphs."""
    for line in help_text.summary:
        page.append(roff(line))
    for name in ("arguments", "options"):
        entries = help_text.sections.get(name)
        if not entries:
            continue
        page.append(f".PP\n\\fI{name.capitalize()}:\\fR" if nested else f".SH {name.upper()}")
        for term, description in entries:
            page += [".TP", bold_term(term), roff(description)]
    if help_text.notes:
        page.append(".PP" if nested else ".SH NOTES")
        for line in help_text.notes:
            page.append(".PP" if line == "" else roff(line))


def header(name, title, version):
    return [f'.TH "{name.upper()}" "1" "" "Quillet {version}" "User Commands"',
            ".SH NAME",
            f"{roff(name)} \\- {roff(title)}"]


def first_sentence(lines):
    text = " ".join(lines).strip()
    match = re.match(r"(.+?[.:])(\s|$)", text)
    sentence = match.group(1) if match else text
    return sentence.rstrip(".:")


class Node:
    """A program or command: its words ("quillet", "password", "set"), its
    help and the commands below it."""

    def __init__(self, program, words):
        self.words = words
        self.help = run_help(program, *words[1:])
        self.children = [Node(program, words + [c]) for c, _ in self.help.commands()]

    def name(self):
        return "-".join(self.words)

    def leaves(self):
        if not self.children:
            return [self]
        return [leaf for child in self.children for leaf in child.leaves()]

    def options(self):
        if not self.children:
            return self.help.options()
        seen = []
        for leaf in self.leaves():
            seen += [o for o in leaf.options() if o not in seen]
        return seen


def program_page(node, version):
    name = node.words[0]
    page = header(name, first_sentence(node.help.summary), version)
    page += [".SH SYNOPSIS", f"\\fB{roff(name)}\\fR {roff(node.help.usage[len(name):].strip())}"]
    page.append(".SH DESCRIPTION")
    describe(node.help, page)
    leaves = [leaf for leaf in node.leaves() if leaf is not node]
    if leaves:
        page.append(".SH COMMANDS")
        for leaf in leaves:
            page.append(f'.SS "{roff(" ".join(leaf.words))}"')
            page += [f"\\fB{roff(leaf.help.usage)}\\fR", ".PP"]
            describe(leaf.help, page, nested=True)
        page.append(".SH SEE ALSO")
        page.append(",\n".join(f"\\fB{roff(leaf.name())}\\fR(1)" for leaf in leaves))
    return "\n".join(page) + "\n"


def command_page(node, version):
    page = header(node.name(), first_sentence(node.help.summary), version)
    page += [".SH SYNOPSIS", f"\\fB{roff(node.help.usage)}\\fR", ".SH DESCRIPTION"]
    describe(node.help, page)
    page += [".SH SEE ALSO", f"\\fB{roff(node.words[0])}\\fR(1)"]
    return "\n".join(page) + "\n"


def completion(node):
    """A bash completion function: the command names where a command is due,
    then the options of the command typed (or of the program), else file
    names."""
    name = node.words[0]
    function = "_" + re.sub(r"[^A-Za-z0-9_]", "_", name)
    lines = [f"# bash completion for {name}, made from its --help",
             f"{function}() {{",
             '  local cur="${COMP_WORDS[COMP_CWORD]}" options=""']
    if node.children:
        lines.append('  case "${COMP_WORDS[*]:1:COMP_CWORD-1}" in')
        def cases(current, typed):
            if current.children:
                names = " ".join(c.words[-1] for c in current.children)
                lines.append(f'    "{typed}") COMPREPLY=($(compgen -W "{names} --help" -- "$cur")); return ;;')
                for child in current.children:
                    cases(child, (typed + " " + child.words[-1]).strip())
            lines.append(f'    "{typed}"*) options="{" ".join(current.options())}" ;;')
        for child in node.children:
            cases(child, child.words[-1])
        names = " ".join(c.words[-1] for c in node.children)
        lines.append(f'    "") COMPREPLY=($(compgen -W "{names} --help" -- "$cur")); return ;;')
        lines.append("  esac")
    else:
        lines.append(f'  options="{" ".join(node.options())}"')
    lines += ['  if [[ "$cur" == -* ]]; then',
              '    COMPREPLY=($(compgen -W "$options" -- "$cur"))',
              "  else",
              '    COMPREPLY=($(compgen -f -- "$cur"))',
              "  fi",
              "}",
              f"complete -o filenames -F {function} {name}"]
    return "\n".join(lines) + "\n"


def write(path, text, compress=False):
    if compress:
        # No time stamp in the header: the same pages give the same bytes.
        with open(path + ".gz", "wb") as raw, gzip.GzipFile("", "wb", 9, raw, mtime=0) as out:
            out.write(text.encode("utf-8"))
    else:
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--version", default="1.0")
    parser.add_argument("--gzip", action="store_true", help="write the pages gzip-compressed (NAME.1.gz)")
    parser.add_argument("out")
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args()
    os.makedirs(os.path.join(args.out, "man1"), exist_ok=True)
    os.makedirs(os.path.join(args.out, "bash-completion"), exist_ok=True)
    for program in args.programs:
        node = Node(program, [os.path.basename(program)])
        write(os.path.join(args.out, "man1", node.name() + ".1"), program_page(node, args.version), args.gzip)
        for leaf in node.leaves():
            if leaf is not node:
                write(os.path.join(args.out, "man1", leaf.name() + ".1"), command_page(leaf, args.version), args.gzip)
        write(os.path.join(args.out, "bash-completion", node.name()), completion(node))
    return 0


if __name__ == "__main__":
    sys.exit(main())
