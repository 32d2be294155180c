#!/usr/bin/env bash
# Benchmark: the program's own overhead over a whole "/Restart" in the
# sandbox, and its cost per step against a batch file that runs the same
# commands with cmd.exe. Each measurement gets a fresh sandbox prefix.
# Prints the figures and the ratios; it is not a test and asserts nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target sandbox stepbench >/dev/null
build=$(pwd)/build/windows
out=$build/bench-results
rm -rf "$out" && mkdir -p "$out"

exec xvfb-run -a -s "-screen 0 1024x768x24" bash bench/measure.sh "$build" "$out"
