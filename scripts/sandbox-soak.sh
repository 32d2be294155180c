#!/usr/bin/env bash
# Looks for sandbox set-ups that fail by chance: makes ROUNDS sandboxes, JOBS
# side by side as the end-to-end cases make them, each in a fresh prefix, and
# keeps what the set-up and Wine said of every failure.
# Usage: scripts/sandbox-soak.sh ROUNDS [JOBS [BUILD_DIR]]   (after a build;
# BUILD_DIR defaults to the preset this host runs). One line per failure, then
# the totals.
set -uo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-30} jobs=${2:-6} build=${3:-}
out=$PWD/build/sandbox-soak
rm -rf "$out" && mkdir -p "$out"
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    rounds=$1 jobs=$2 build=$3 out=$4
    . scripts/wine-env.sh
    if [ -z "$build" ]; then
        build=build/$( (new_wine_prefix && windows_test_preset) 2>/dev/null)
    fi
    one() {  # round number: 0 when the sandbox was made, 1 when not
        local log="$out/round-$1.log" start=$SECONDS
        ( . scripts/wine-env.sh && new_wine_prefix && . sandbox/setup.sh "$build" &&
          echo "sandbox made" ) >"$log" 2>&1
        echo "took $((SECONDS - start)) s" >>"$log"
        grep -q "^sandbox made" "$log"
    }
    failed=0 running=0
    for round in $(seq 1 "$rounds"); do
        one "$round" &
        running=$((running + 1))
        if [ "$running" -ge "$jobs" ]; then wait -n || failed=$((failed + 1)); running=$((running - 1)); fi
    done
    while [ "$running" -gt 0 ]; do wait -n || failed=$((failed + 1)); running=$((running - 1)); done
    for log in "$out"/round-*.log; do
        grep -q "^sandbox made" "$log" && continue
        echo "$(basename "$log" .log) failed:"
        grep -v "^sandbox ready" "$log" | sed "s/^/    /"
    done
    retried=$(cat "$out"/round-*.log | grep -c "^sandbox: .* again" || true)
    echo "sandbox soak: $rounds sandboxes ($jobs at a time, $build), $failed failed, $retried starts retried"
' bash "$rounds" "$jobs" "$build" "$out"
