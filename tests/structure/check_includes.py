#!/usr/bin/env python3
"""Fails when the folders under src/, or its files (a header and its source
taken as one), include each other in a circle, or when a portable-core file
includes a Windows header or a non-core file.
Usage: check_includes.py <src-folder> <core-file>..."""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]', re.M)
WINDOWS_HEADERS = re.compile(r'^(windows|winnt|winbase|objbase|ole2|commctrl|shellapi|exdisp|mstask)\.h$', re.I)


def circles(edges, kind):
    """One line per circle: a path back to where it started, from its smallest member."""
    found = []

    def walk(node, path):
        for nxt in sorted(edges.get(node, ())):
            if nxt == path[0]:
                found.append(f"{kind} circle: " + " -> ".join(path + [nxt]))
            elif nxt not in path and nxt > path[0]:
                walk(nxt, path + [nxt])
    for start in sorted(edges):
        walk(start, [start])
    return found


def main():
    src, core = sys.argv[1], {os.path.normpath(p) for p in sys.argv[2:]}
    core_headers = {os.path.splitext(p)[0] + ".h" for p in core} | {p for p in core if p.endswith(".h")}
    folders, files, problems = {}, {}, []
    for folder, _, names in os.walk(src):
        for name in names:
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, src).replace(os.sep, "/")
            here, unit = rel.split("/")[0], os.path.splitext(rel)[0]
            text = open(path, encoding="utf-8", errors="replace").read()
            in_core = os.path.normpath(path) in core or os.path.normpath(path) in core_headers
            for target in INCLUDE.findall(text):
                there = target.split("/")[0] if "/" in target else None
                if there and there != here and os.path.isdir(os.path.join(src, there)):
                    folders.setdefault(here, set()).add(there)
                if there and os.path.isfile(os.path.join(src, target)) and os.path.splitext(target)[0] != unit:
                    files.setdefault(unit, set()).add(os.path.splitext(target)[0])
                if in_core and (WINDOWS_HEADERS.match(target) or
                                (there and os.path.normpath(os.path.join(src, target)) not in core_headers)):
                    problems.append(f"{rel}: the portable core includes {target}")
    problems += circles(folders, "folder") + circles(files, "file")
    for p in problems:
        print("FAIL:", p)
    print(f"{len(folders)} folders, {len(files)} files that include others, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
