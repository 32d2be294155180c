#!/usr/bin/env bash
# Builds the program, makes a sandbox Wine prefix look like an Orvane server
# (sandbox/setup.sh) and runs the program in it for real, then prints the run
# log and the sandbox trace (what the stand-in services, gateway, tray program
# and reboot.bat saw, in order).
#   scripts/run.sh [ARGUMENTS]   default /Restart; also /Reboot, /Bounce:PmSyncSvr,
#                                or "" for the configuration window
# With a display the window opens there. Without one it runs under Xvfb and
# saves screenshots to build/run-<seconds>s.png at the seconds in ORV_SHOTS
# (default "3 25 60"). A run that does not end by itself is stopped after
# ORV_RUN_SECONDS (default 300, or 8 for the configuration window). Ends
# with the program's exit code (0 done, 1 cancelled, 2 a failure).
set -euo pipefail
cd "$(dirname "$0")/.."
args=("$@")
[ $# -eq 0 ] && args=(/Restart)

bash scripts/bootstrap.sh
for preset in windows windows-x64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target sandbox >/dev/null
done

# The configuration face waits for a person: without an action, stop it soon.
if printf '%s' "${args[*]}" | grep -qiE 'restart|reboot|bounce'; then
    export ORV_RUN_SECONDS="${ORV_RUN_SECONDS:-300}"
else
    export ORV_RUN_SECONDS="${ORV_RUN_SECONDS:-8}"
fi
export ORV_SHOTS="${ORV_SHOTS:-3 25 60}"
run_in_sandbox='
    set -euo pipefail
    . scripts/wine-env.sh
    new_wine_prefix
    preset=$(windows_test_preset)
    . sandbox/setup.sh "build/$preset"
    prog="$WINEPREFIX/drive_c/Program Files/Orvane Restart"
    echo "Running OrvaneScheduledRestart.exe $* in the sandbox (prefix $WINEPREFIX)"
    (cd "$prog" && timeout "$ORV_RUN_SECONDS" "$WINE64" OrvaneScheduledRestart.exe "$@") &
    program=$!
    if [ -z "${ORV_ON_DISPLAY:-}" ]; then
        begin=$(date +%s)
        for s in $ORV_SHOTS; do
            while [ $(( $(date +%s) - begin )) -lt "$s" ]; do
                kill -0 "$program" 2>/dev/null || break 2
                sleep 0.2
            done
            xwd -root -silent | /usr/bin/convert xwd:- "build/run-${s}s.png"
            echo "Screenshot: build/run-${s}s.png"
        done
    fi
    rc=0
    wait "$program" || rc=$?
    [ "$rc" = 124 ] && echo "(the program was stopped after $ORV_RUN_SECONDS s)"
    sleep 1
    echo
    echo "==== run log"
    cat "$prog"/logs/*.TXT 2>/dev/null | tr -d "\r" || echo "(no log)"
    echo
    echo "==== sandbox trace"
    tr -d "\r" < "$WINEPREFIX/drive_c/sandbox/trace.txt"
    echo
    echo "==== exit code $rc"
    exit "$rc"
'
if [ -n "${DISPLAY:-}" ] && [ "${ORV_RUN_HEADLESS:-0}" != 1 ]; then
    export ORV_WINE_MANAGED=Y ORV_ON_DISPLAY=1
    exec bash -c "$run_in_sandbox" bash "${args[@]}"
fi
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$run_in_sandbox" bash "${args[@]}"
