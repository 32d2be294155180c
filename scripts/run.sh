#!/usr/bin/env bash
# Builds the program and runs it in a sandbox Wine prefix of its own.
#   scripts/run.sh [ARGUMENTS]     e.g. /Restart, /Reboot, /Bounce:PmSyncSvr, or nothing
# With a display the window opens there and the script waits for the program
# to end. Without one it runs under Xvfb for ORV_RUN_SECONDS (default 5),
# saves a screenshot to build/run.png and ends the program.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target OrvaneScheduledRestart >/dev/null

exe="$root/build/windows/program/OrvaneScheduledRestart.exe"

if [ -n "${DISPLAY:-}" ] && [ "${ORV_RUN_HEADLESS:-0}" != 1 ]; then
    export ORV_WINE_MANAGED=Y
    . scripts/wine-env.sh
    new_wine_prefix
    echo "Running OrvaneScheduledRestart.exe $* on $DISPLAY (prefix $WINEPREFIX)"
    "$WINE64" "$exe" "$@" || true
    exit 0
fi

export ORV_RUN_SECONDS="${ORV_RUN_SECONDS:-5}"
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    . scripts/wine-env.sh
    new_wine_prefix
    echo "Running OrvaneScheduledRestart.exe $* under Xvfb (prefix $WINEPREFIX)"
    "$WINE64" "$0" "$@" &
    sleep "$ORV_RUN_SECONDS"
    xwd -root -silent | /usr/bin/convert xwd:- build/run.png
    echo "Screenshot: build/run.png"
' "$exe" "$@"
