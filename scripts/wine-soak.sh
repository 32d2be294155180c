#!/usr/bin/env bash
# Looks for starts that Wine ends at once: runs the Windows suite (without the
# end-to-end cases) ROUNDS times, each round in a fresh prefix as
# scripts/test.sh makes it, and keeps what wine-run.sh said of every failure.
# Usage: scripts/wine-soak.sh ROUNDS [ctest arguments]   (after scripts/test.sh
# has built the presets). Prints one line per round, then the totals.
set -uo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-10}
shift || :
out=build/soak
rm -rf "$out" && mkdir -p "$out"
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    rounds=$1 out=$2; shift 2
    . scripts/wine-env.sh
    failed=0 cut_off=0
    for round in $(seq 1 "$rounds"); do
        log="$out/round-$round.log"
        start=$(date +%s)
        ( new_wine_prefix && keep_prefix_alive && preset=$(windows_test_preset) && echo "preset $preset" &&
          ctest --preset "$preset" -LE e2e -j2 --output-on-failure "$@"; echo "ctest exit $?" ) >"$log" 2>&1
        end_wine_prefix
        status=$(grep -o "tests passed, [0-9]* tests failed out of [0-9]*" "$log" || echo "no summary")
        echo "round $round: $status ($(( $(date +%s) - start )) s)"
        if ! grep -q "ctest exit 0" "$log"; then
            failed=$((failed + 1))
            grep -E "\*\*\*Failed|wine-run.sh:|wine-env:" "$log" | sed "s/^/    /"
        fi
        cut_off=$((cut_off + $(grep -c "Connection reset by peer" "$log")))
    done
    echo "soak: $rounds rounds, $failed failed, $cut_off starts cut off by a wineserver that was ending"
' bash "$rounds" "$out" "$@"
