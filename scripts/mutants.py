#!/usr/bin/env python3
"""Which native test catches which fault: small faults are put into the
portable core one at a time (a comparison turned, a number changed, a text
changed, a statement left out), the core tests are built and run against
each, and every test's catches are compared with all the others'.

A test whose catches the others also make is only a candidate to go: the
fault it was written for may not be among these, so inject that one by hand
and see another test fail first. Prints figures; asserts nothing. Takes
about a minute per 25 faults on two processors.
  scripts/mutants.py [COUNT [SEED [JOBS]]]     (defaults: all, 1, 2)
"""
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WORK = ROOT / "build" / "mutants"
TURNS = [(" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "), (" == ", " != "), (" != ", " == "),
         (" && ", " || "), (" || ", " && "), ("true", "false"), ("false", "true"), ("!", "")]


def core_sources():
    """The core library's .cpp files as CMakeLists.txt lists them, and the kill utility's matcher."""
    text = (ROOT / "CMakeLists.txt").read_text()
    block = text[text.index("add_library(orv_core"):]
    block = block[:block.index(")")]
    return re.findall(r"src/\S+\.cpp", block) + ["tools/kill/Wildcard.cpp"]


def faults_of(path):
    faults = []
    for i, line in enumerate((ROOT / path).read_text().split("\n")):
        s = line.strip()
        if not s or s.startswith(("//", "#", "*")):
            continue
        code = line.split("//")[0]
        for a, b in TURNS:
            j = code.find(a)
            if j < 0 or (a == "!" and code[j:j + 2] == "!=") or (a in ("true", "false") and not re.search(rf"\b{a}\b", code)):
                continue
            faults.append((path, i, line[:j] + b + line[j + len(a):]))
        m = re.search(r"(?<![\w.\"'])(\d+)(?![\w.\"'])", code)
        if m and '"' not in code[:m.start()]:
            faults.append((path, i, line[:m.start()] + str(int(m[1]) + 1) + line[m.end():]))
        m = re.search(r'"([^"\\]{2,})', code)
        if m:
            faults.append((path, i, line[:m.start(1)] + "Q" + line[m.start(1) + 1:]))
        leaves = s.endswith(";") and "=" in s and not s.startswith(("return", "using", "struct", "class", "enum", "}"))
        if leaves or re.match(r"^[\w:.>\-\[\]]+\(.*\);$", s):
            faults.append((path, i, re.match(r"\s*", line)[0] + ";"))
    return faults


def failing(build, only=None):
    """The tests that fail; None when the program crashed or hung."""
    with tempfile.TemporaryDirectory() as tmp:
        report = Path(tmp) / "r.json"
        args = [str(build / "tests" / "core_tests"), f"--gtest_output=json:{report}"] + (
            [f"--gtest_filter={only}"] if only else [])
        try:
            subprocess.run(args, capture_output=True, timeout=30)
        except subprocess.TimeoutExpired:
            return None
        if not report.exists():
            return None
        return {f"{s['name']}.{t['name']}" for s in json.loads(report.read_text())["testsuites"]
                for t in s["testsuite"] if t.get("failures")}


def worker(n, faults, tests):
    tree = WORK / f"w{n}"
    build = tree / "b"
    results = []
    for path, i, text in faults:
        file = tree / path
        original = file.read_text()
        lines = original.split("\n")
        lines[i] = text
        file.write_text("\n".join(lines))
        try:
            built = subprocess.run(["ninja", "-C", str(build), "tests/core_tests"], capture_output=True).returncode == 0
            caught = failing(build) if built else set()
            if caught is None:  # a crash or a hang: each test alone
                caught = {t for t in tests if failing(build, t) != set()}
            results.append((path, i, text, built, sorted(caught)))
        finally:
            file.write_text(original)
    return results


def test_lines():
    """Non-blank, non-comment lines of each native test."""
    counts = {}
    for f in sorted((ROOT / "tests" / "native").glob("*.cpp")):
        name = None
        for line in f.read_text().split("\n"):
            m = re.match(r"^TEST(?:_F)?\((\w+), (\w+)\)", line)
            if m:
                name = f"{m[1]}.{m[2]}"
                counts[name] = 0
            if name and not re.match(r"^\s*(//.*)?$", line):
                counts[name] += 1
    return counts


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else None
    seed, jobs = (int(sys.argv[2]) if len(sys.argv) > 2 else 1), (int(sys.argv[3]) if len(sys.argv) > 3 else 2)
    faults = [f for p in core_sources() for f in faults_of(p)]
    random.Random(seed).shuffle(faults)
    faults = faults[:count]
    files = subprocess.run(["git", "ls-files"], cwd=ROOT, capture_output=True, text=True, check=True).stdout.split()
    for n in range(jobs):  # a copy of the tree each, with a plain (fast) build
        tree = WORK / f"w{n}"
        shutil.rmtree(tree, ignore_errors=True)
        for f in files:
            (tree / f).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(ROOT / f, tree / f)
        subprocess.run(["cmake", "-S", str(tree), "-B", str(tree / "b"), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                        "-DORV_SANITIZE=OFF", "-DCMAKE_CXX_FLAGS_DEBUG=-O0"], capture_output=True, check=True)
        subprocess.run(["ninja", "-C", str(tree / "b"), "tests/core_tests"], capture_output=True, check=True)
    listed = subprocess.run([str(WORK / "w0" / "b" / "tests" / "core_tests"), "--gtest_list_tests"],
                            capture_output=True, text=True).stdout
    tests, suite = [], ""
    for line in listed.splitlines():
        if line.startswith(" "):
            tests.append(suite + line.strip())
        else:
            suite = line.strip()
    if failing(WORK / "w0" / "b"):
        sys.exit("the core tests fail without any fault")
    with ThreadPoolExecutor(jobs) as pool:
        results = [r for part in pool.map(worker, range(jobs), [faults[n::jobs] for n in range(jobs)],
                                          [tests] * jobs) for r in part]
    (WORK / "results.json").write_text(json.dumps(results))
    built = [r for r in results if r[3]]
    caught = [r for r in built if r[4]]
    print(f"faults: {len(results)} made, {len(built)} built, {len(caught)} caught "
          f"({100 * len(caught) / max(1, len(built)):.0f} %), {len(built) - len(caught)} not caught")
    by = {t: {k for k, r in enumerate(caught) if t in r[4]} for t in tests}
    lines = test_lines()
    print(f"{'test':78} {'lines':>5} {'caught':>6} {'alone':>5}")
    for t in sorted(tests, key=lambda t: -lines.get(t, 0)):
        others = set().union(*(by[o] for o in tests if o != t))
        print(f"{t:78} {lines.get(t, 0):5} {len(by[t]):6} {len(by[t] - others):5}")
    # Largest first: a test goes when the ones still kept catch all it catches.
    kept = set(tests)
    for t in sorted(tests, key=lambda t: -lines.get(t, 0)):
        if by[t] <= set().union(*(by[o] for o in kept if o != t)):
            kept.discard(t)
            print(f"of these faults, the others catch all it catches: {t} ({lines.get(t, 0)} lines)")
    for path, i, text, _, _ in [r for r in built if not r[4]]:
        print(f"not caught: {path}:{i + 1}: {text.strip()}")


if __name__ == "__main__":
    main()
