#!/usr/bin/env python3
"""Checks that every #include between folders points down the layer order.

A folder is one CMake target is one layer. Each folder below has a rank; a
file may include headers of its own folder and of folders of lower rank only,
so no arrow runs up and no two folders include each other. Prints each
include that breaks the rule and exits 1; prints the folder graph with -v.
"""
import pathlib
import re
import sys

# Lowest first. Folders of equal rank are siblings and may not include each other.
RANKS = {
    "platform": 0,
    "platform/window": 1, "platform/testing": 1, "io": 1, "picture": 1, "settings": 1,
    "platform/qt": 2, "picture/qt": 2, "resources": 2,
    "media/codecs": 3, "mpeg": 3, "editor/effects": 3,
    "media/video": 4, "media/twain": 4, "sharing": 4,
    "albums": 5,
    "dropdialog": 6, "ui": 6, "editor": 6,
    "app": 7, "cli": 7,
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(path):
    """The ranked folder a repository path belongs to: its longest ranked prefix."""
    parts = pathlib.PurePosixPath(path).parts
    for n in range(len(parts) - 1, 0, -1):
        name = "/".join(parts[:n])
        if name in RANKS:
            return name
    return None


def main():
    root = pathlib.Path(__file__).resolve().parents[2]
    verbose = "-v" in sys.argv
    graph, broken = {}, []
    for source in sorted(root.rglob("*")):
        if source.suffix not in (".h", ".cpp") or not source.is_file():
            continue
        relative = source.relative_to(root).as_posix()
        here = folder_of(relative)
        if here is None:
            continue
        for included in INCLUDE.findall(source.read_text(errors="replace")):
            there = folder_of(included)
            if there is None or there == here:
                continue
            graph.setdefault(here, set()).add(there)
            if RANKS[there] >= RANKS[here]:
                broken.append(f"{relative}: includes {included} ({here} may not depend on {there})")
    if verbose:
        for here in sorted(graph, key=lambda f: (RANKS[f], f)):
            print(f"{here} -> {', '.join(sorted(graph[here], key=lambda f: (RANKS[f], f)))}")
    for line in broken:
        print(line)
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
