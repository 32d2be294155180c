#!/usr/bin/env python3
"""Fails when the folders under src/ include each other in a circle, or when
a portable-core file includes a Windows header or a non-core file.
Usage: check_includes.py <src-folder> <core-file>..."""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]', re.M)
WINDOWS_HEADERS = re.compile(r'^(windows|winnt|winbase|objbase|ole2|commctrl|shellapi|exdisp|mstask)\.h$', re.I)


def main():
    src, core = sys.argv[1], {os.path.normpath(p) for p in sys.argv[2:]}
    core_headers = {os.path.splitext(p)[0] + ".h" for p in core} | {p for p in core if p.endswith(".h")}
    edges, problems = {}, []
    for folder, _, files in os.walk(src):
        for name in files:
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, src)
            here = rel.split(os.sep)[0]
            text = open(path, encoding="utf-8", errors="replace").read()
            in_core = os.path.normpath(path) in core or os.path.normpath(path) in core_headers
            for target in INCLUDE.findall(text):
                there = target.split("/")[0] if "/" in target else None
                if there and there != here and os.path.isdir(os.path.join(src, there)):
                    edges.setdefault(here, set()).add(there)
                if in_core and (WINDOWS_HEADERS.match(target) or
                                (there and os.path.normpath(os.path.join(src, target)) not in core_headers)):
                    problems.append(f"{rel}: the portable core includes {target}")
    # A circle is a path back to where it started.
    def walk(node, path):
        for nxt in sorted(edges.get(node, ())):
            if nxt == path[0]:
                problems.append("include circle: " + " -> ".join(path + [nxt]))
            elif nxt not in path and nxt > path[0]:
                walk(nxt, path + [nxt])
    for start in sorted(edges):
        walk(start, [start])
    for p in problems:
        print("FAIL:", p)
    print(f"{len(edges)} folders, {sum(len(v) for v in edges.values())} folder includes, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
