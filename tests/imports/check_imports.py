#!/usr/bin/env python3
"""Lists what the shipped programs import against tests/imports/imports.txt.

Fails on an import the list does not hold (add it, with the oldest Windows
that has it), on a listed function newer than Windows 7, and on a DLL that the
loader could take from beside the program (only known system DLLs, and
comctl32 through the manifest, may be imported; the rest is loaded at run
time from System32). Usage: check_imports.py OBJDUMP LIST EXE...
"""
import re
import subprocess
import sys

ORDER = ["NT4", "2000", "XP", "Vista", "7"]
FLOOR = "7"
# KnownDLLs always come from System32; comctl32 6 comes from WinSxS by the manifest.
LOADER_SAFE = {"ADVAPI32.DLL", "COMCTL32.DLL", "GDI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL", "OLE32.DLL",
               "OLEAUT32.DLL", "SHELL32.DLL", "USER32.DLL"}


def imports(objdump, exe):
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
    found, dll = set(), None
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m[1].upper()
            continue
        m = re.match(r"\t[0-9a-f]+\s+\d+\s+(\S+)$", line)
        if m and dll:
            found.add((dll, m[1]))
    return found


def main():
    objdump, listing, exes = sys.argv[1], sys.argv[2], sys.argv[3:]
    allowed, problems = {}, []
    for n, line in enumerate(open(listing, encoding="utf-8"), 1):
        line = line.split("#")[0].strip()
        if not line:
            continue
        dll, function, oldest = line.split()
        if oldest not in ORDER:
            problems.append(f"{listing}:{n}: unknown Windows '{oldest}'")
        elif ORDER.index(oldest) > ORDER.index(FLOOR):
            problems.append(f"{listing}:{n}: {dll} {function} needs Windows {oldest}: look it up at run time")
        allowed[(dll.upper(), function)] = oldest
    total = 0
    for exe in exes:
        found = imports(objdump, exe)
        total += len(found)
        for dll, function in sorted(found):
            if dll not in LOADER_SAFE:
                problems.append(f"{exe}: imports {dll}, which could be planted beside the program")
            if (dll, function) not in allowed:
                problems.append(f"{exe}: {dll} {function} is not in {listing}")
    for p in problems:
        print("FAIL:", p)
    print(f"{len(exes)} programs, {total} imports checked, {len(problems)} problems")
    sys.exit(1 if problems else 0)


main()
