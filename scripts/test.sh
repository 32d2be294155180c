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
    ctest --preset windows -j2 "$@"
' bash "$@"
