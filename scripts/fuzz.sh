#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a bounded time from the seed
# corpus in the tree (new inputs go to the build folder, never the tree).
# ORV_FUZZ_SECONDS: time per target (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${ORV_FUZZ_SECONDS:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
for target in commandline version lognames langfiles htmltext taskfields; do
    work=build/fuzz/corpus/$target
    mkdir -p "$work" build/fuzz/crashes
    echo "== fuzz_$target for ${seconds} s"
    build/fuzz/tests/fuzz/fuzz_$target -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix=build/fuzz/crashes/$target- "$work" tests/fuzz/corpus/$target 2>&1 |
        grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|==|SUMMARY|.*ERROR)' || true
    # libFuzzer's own exit code is lost in the pipe: a crash leaves an artifact.
    if compgen -G "build/fuzz/crashes/$target-*" >/dev/null; then
        echo "fuzz_$target found a failing input:" build/fuzz/crashes/$target-* >&2
        exit 1
    fi
done
