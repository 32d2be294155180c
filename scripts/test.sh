#!/usr/bin/env bash
# Builds both presets and runs every test: the portable core natively under
# the sanitizers, then the Windows programs under Wine inside one Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh

echo "== native build and tests (AddressSanitizer, UBSan)"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native -j2

echo "== Windows build"
cmake --preset windows >/dev/null
cmake --build --preset windows

echo "== Windows tests under Wine"
# One Xvfb display for the whole session: a wineserver keeps the display it
# started with, so the prefix is made inside it too.
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -euo pipefail
    . scripts/wine-env.sh
    new_wine_prefix
    ctest --preset windows -LE e2e -j2 "$@"
    # The end-to-end cases mostly wait (countdowns, pauses): run them side by
    # side, each in its own prefix.
    ctest --preset windows -L e2e -j6 "$@"
' bash "$@"
