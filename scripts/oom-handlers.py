#!/usr/bin/env python3
"""Lists the out-of-memory handlers of our sources and, given a build made
with --coverage whose tests have run, which of them no test reached.

A handler is the first statement of a `catch (const std::bad_alloc&)` block,
or a line that returns an out-of-memory code (DB_ERR_NO_MEMORY,
HH_ERR_NO_MEMORY, SYNC_ERR_NO_MEMORY, FILE_ERR_NO_MEMORY, PW_ERR_NO_MEMORY,
GS_ERR_ALLOC, E_OUTOFMEMORY) after a failed allocation.

    scripts/oom-handlers.py                 # the list
    scripts/oom-handlers.py BUILD_DIR       # with hit counts; exit 1 if any is unreached
"""
import gzip
import json
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDERS = ["platform", "dbfiles", "store", "handheld", "sync", "conduit", "editing", "viewer",
           "extension", "hosts", "tools", "resources"]
CATCH = re.compile(r"catch \(const std::bad_alloc&\)")
CODE = re.compile(r"\breturn\b.*\b(DB_ERR_NO_MEMORY|HH_ERR_NO_MEMORY|SYNC_ERR_NO_MEMORY|FILE_ERR_NO_MEMORY|"
                  r"PW_ERR_NO_MEMORY|GS_ERR_ALLOC|E_OUTOFMEMORY)\b")
# Lines that pass a code on or map one code to another are not handlers.
PASS_ON = re.compile(r"==\s*\w*NO_MEMORY|NO_MEMORY\s*\)|case |\brc\b|\bresult\b|\"")


def handlers():
    found = []
    for folder in FOLDERS:
        for base, _, files in os.walk(os.path.join(ROOT, folder)):
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(base, name)
                rel = os.path.relpath(path, ROOT)
                with open(path, encoding="utf-8", errors="replace") as f:
                    lines = f.read().split("\n")
                for i, line in enumerate(lines):
                    if line.lstrip().startswith("//"):
                        continue
                    if CATCH.search(line):
                        # The first statement of the block.
                        j = i + 1
                        while j < len(lines) and (not lines[j].strip() or lines[j].strip().startswith("//")):
                            j += 1
                        found.append((rel, j + 1, "catch"))
                    elif CODE.search(line) and not PASS_ON.search(line):
                        found.append((rel, i + 1, "code"))
    return found


def coverage(build):
    counts = {}
    gcdas = []
    for base, _, files in os.walk(build):
        gcdas += [os.path.join(base, f) for f in files if f.endswith(".gcda")]
    for gcda in gcdas:
        out = subprocess.run(["gcov", "--json-format", "--stdout", os.path.basename(gcda)], cwd=os.path.dirname(gcda),
                             capture_output=True)
        for chunk in out.stdout.split(b"\n"):
            if not chunk.strip():
                continue
            try:
                data = json.loads(chunk)
            except ValueError:
                continue
            for f in data.get("files", []):
                name = os.path.normpath(os.path.join(data.get("current_working_directory", ""), f["file"]))
                rel = os.path.relpath(name, ROOT)
                for ln in f.get("lines", []):
                    key = (rel, ln["line_number"])
                    counts[key] = counts.get(key, 0) + ln["count"]
    return counts


def main():
    found = handlers()
    if len(sys.argv) < 2:
        for rel, line, kind in found:
            print(f"{rel}:{line}: {kind}")
        print(f"{len(found)} handlers")
        return 0
    counts = coverage(sys.argv[1])
    unreached = 0
    for rel, line, kind in found:
        hits = counts.get((rel, line))
        if hits is None:
            status = "not built"
        elif hits == 0:
            status = "UNREACHED"
            unreached += 1
        else:
            status = f"{hits}"
        print(f"{rel}:{line}: {kind}: {status}")
    print(f"{len(found)} handlers, {unreached} unreached")
    return 1 if unreached else 0


if __name__ == "__main__":
    sys.exit(main())
