#!/usr/bin/env bash
# Benchmark: the program's own overhead over a whole "/Restart" in the
# sandbox, and its cost per step against a batch file that runs the same
# commands with cmd.exe. Each measurement gets a fresh sandbox prefix.
# Prints the figures and the ratios; it is not a test and asserts nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
for preset in windows windows-x64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target sandbox stepbench barewindow barewindow6 barewindow9 procbench >/dev/null
done
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    . scripts/wine-env.sh
    new_wine_prefix
    build=$(pwd)/build/$(windows_test_preset)
    end_wine_prefix
    out=$build/bench-results
    rm -rf "$out" && mkdir -p "$out"
    echo "benchmarking $build"
    bash bench/measure.sh "$build" "$out"
'
