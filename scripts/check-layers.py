#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer it may not use.

Reads every `#include "..."` of the project's own sources (tests, benchmarks,
fuzz targets and build folders are left out: they may include anything) and
checks each edge against the layer table below.  Prints one line per bad edge,

    store/Foo.cpp:12: includes viewer/MainDlg.h (layer store may not use layer viewer)

and exits 1 when there is any; exits 0 otherwise.

    scripts/check-layers.py [--root DIR]
"""

import argparse
import os
import re
import sys

# ---- The layers --------------------------------------------------------------------
# A file belongs to the layer of the longest prefix of its path in this list.
# The sync library's blocks (SyncBlocks.h) are a layer of their own: plain data
# that the library exchanges with its callers, so that the desktop managers
# convert records to and from the record block without using the library.
LAYERS = [
    "hosts",
    "tools",
    "extension",
    "viewer",
    "editing",
    "conduit",
    "sync",
    "dbfiles",
    "store",
    "handheld",
    "resources",
    "platform/sync20",
    "platform/sync20/SyncBlocks.h",
    "platform/ui",
    "platform/com",
    "platform/registry",
    "platform/palmcmn",
    "platform/hslog20",
    "platform/resources",
    "platform/crypto",
    "platform/recordfile",
    "platform/files",
    "platform/text",
]

# Folders whose files may include anything; they are not read.
FREE = ["tests", "bench", "fuzz", "scripts", "doc", "docs", "cmake", "demo-out"]

# The platform pieces "below the sync library" that the core (store, dbfiles,
# handheld) may use: every piece but the sync library's calls, which sit above
# the simulated handheld, and the user interface, which brings Qt that the core
# never uses.
PLATFORM_CORE = [
    "platform/sync20/SyncBlocks.h",
    "platform/text",
    "platform/files",
    "platform/recordfile",
    "platform/crypto",
    "platform/resources",
    "platform/palmcmn",
    "platform/hslog20",
    "platform/registry",
    "platform/com",
]
PLATFORM = PLATFORM_CORE + ["platform/ui", "platform/sync20"]
EVERYTHING = list(LAYERS)

# Which layers each layer may use besides itself.  Edges point down only.
ALLOWED = {
    "hosts": EVERYTHING,
    "tools": EVERYTHING,
    "extension": ["viewer", "editing", "store", "resources"] + PLATFORM,
    "viewer": ["editing", "store", "resources"] + PLATFORM,
    "editing": ["store", "resources"] + PLATFORM,
    # The conduit's own strings and help file sit in resources/conduit.
    "conduit": ["sync", "dbfiles", "resources"] + PLATFORM,
    "sync": ["dbfiles"] + PLATFORM,
    "dbfiles": PLATFORM_CORE,
    "store": PLATFORM_CORE,
    # Resource tables of the deliverables, over the platform's resource and
    # registry pieces.
    "resources": PLATFORM_CORE,
    # The sync library serves the simulated handheld it sits on.
    "platform/sync20": ["handheld"] + PLATFORM_CORE,
    "handheld": PLATFORM_CORE,
    # The platform pieces among themselves, lowest last: no cycles.
    "platform/ui": ["platform/registry", "platform/resources", "platform/text", "platform/files"],
    "platform/com": ["platform/registry", "platform/text", "platform/files"],
    "platform/registry": ["platform/files", "platform/text"],
    "platform/palmcmn": ["platform/resources", "platform/text"],
    "platform/hslog20": ["platform/files", "platform/text"],
    "platform/resources": ["platform/text"],
    "platform/recordfile": ["platform/files"],
    "platform/sync20/SyncBlocks.h": [],
    "platform/crypto": ["platform/files"],
    "platform/files": [],
    "platform/text": [],
}

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def layer_of(path):
    """The layer of a path relative to the root, or None when it has none."""
    best = None
    for layer in LAYERS:
        if path == layer or path.startswith(layer + "/"):
            if best is None or len(layer) > len(best):
                best = layer
    return best


def is_free(path):
    top = path.split("/", 1)[0]
    return top in FREE or top.startswith("build") or top.startswith(".")


def sources(root):
    for folder, dirs, files in os.walk(root):
        rel_folder = os.path.relpath(folder, root).replace(os.sep, "/")
        if rel_folder != "." and is_free(rel_folder):
            dirs[:] = []
            continue
        dirs.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield name if rel_folder == "." else rel_folder + "/" + name


def resolve(root, including, target):
    """The included file relative to the root, or None when it is not ours."""
    if os.path.isfile(os.path.join(root, target)):
        return os.path.normpath(target).replace(os.sep, "/")
    beside = os.path.normpath(os.path.join(os.path.dirname(including), target))
    if os.path.isfile(os.path.join(root, beside)):
        return beside.replace(os.sep, "/")
    return None


def bad_edges(root):
    for path in sources(root):
        source_layer = layer_of(path)
        if source_layer is None:
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = resolve(root, path, match.group(1))
                if target is None:
                    continue
                target_layer = layer_of(target)
                if target_layer is None or target_layer == source_layer:
                    continue
                if target_layer not in ALLOWED[source_layer]:
                    yield (f"{path}:{number}: includes {target} "
                           f"(layer {source_layer} may not use layer {target_layer})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    default_root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--root", default=default_root, help="the source tree (default: this one)")
    args = parser.parse_args()
    failures = list(bad_edges(args.root))
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
