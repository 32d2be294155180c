#!/usr/bin/env bash
# Called by bench/run.sh inside Xvfb: BUILD_DIR OUT_DIR.
set -euo pipefail
build=$1 out=$2
. scripts/wine-env.sh

fresh_sandbox() {
    end_wine_prefix
    new_wine_prefix
    . sandbox/setup.sh "$build" 2>/dev/null
    prog="$WINEPREFIX/drive_c/Program Files/Orvane Restart"
}

# 1. The batch file: the same commands, one per line, each after a marker
# that the sandbox's trace tool stamps to the millisecond. A second batch of
# markers alone measures what a marker itself costs.
marker='"C:\\sandbox\\sbtrace.exe" T'
fresh_sandbox
# The commands come from the program's own sequence tables.
commands=$("$WINE64" "$build/bench/stepbench.exe" --list 2>/dev/null | tr -d "\r")
n=$(printf '%s\n' "$commands" | wc -l)
{
    printf "@echo off\r\n"
    while IFS= read -r c; do printf "%s\r\n%s >nul 2>&1\r\n" "$marker" "$c"; done <<< "$commands"
    printf "%s\r\n" "$marker"
    for _ in $(seq 1 $((n + 1))); do printf "%s\r\n" "$marker"; done
} > "$prog/bench.bat"
: > "$WINEPREFIX/drive_c/sandbox/trace.txt"
(cd "$prog" && "$WINE64" cmd /c bench.bat) >/dev/null 2>&1
tr -d "\r" < "$WINEPREFIX/drive_c/sandbox/trace.txt" | grep " T$" > "$out/batch_times.txt"

# 2. The program's way, step by step.
fresh_sandbox
cp "$build/bench/stepbench.exe" "$prog/"
(cd "$prog" && "$WINE64" stepbench.exe "C:\\sandbox\\stepbench.log") 2>/dev/null | tr -d "\r" > "$out/program_steps.txt"

# 3. A whole "/Restart", with Wine's relay log of the program's own calls to
# start commands, wait for them and pause, each with its time.
fresh_sandbox
"$WINE64" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d \
    "kernel32.CreateProcessW;user32.MsgWaitForMultipleObjects" /f >/dev/null 2>&1
start=$(date +%s.%N)
(cd "$prog" && WINEDEBUG=-all,+timestamp,+relay "$WINE64" OrvaneScheduledRestart.exe /Restart) \
    2>"$out/relay.txt" >/dev/null
end=$(date +%s.%N)
echo "$start $end" > "$out/restart_times.txt"
cat "$prog"/logs/*.TXT 2>/dev/null | tr -d "\r" > "$out/restart_log.txt" || :

# 4. The peak working set of a whole "/Restart" (a run of its own, without
# the relay log), and the time to a visible configuration window against a
# bare Win32 window program.
fresh_sandbox
cp "$build/bench/procbench.exe" "$build/bench/barewindow.exe" "$prog/"
(cd "$prog" && "$WINE64" procbench.exe peak OrvaneScheduledRestart.exe /Restart) 2>/dev/null | tr -d "\r" \
    > "$out/peak.txt"
fresh_sandbox
cp "$build/bench/procbench.exe" "$build/bench/barewindow.exe" "$prog/"
# The two programs in turn, run by run: a busy moment of the machine falls
# on both sides of a pair. The first pair only warms the prefix's caches.
(cd "$prog" && "$WINE64" procbench.exe pairs 41 "Bare Window" barewindow.exe \
    "Configure Scheduled Restart Options" OrvaneScheduledRestart.exe) 2>/dev/null | tr -d "\r" | tail -n +2 \
    > "$out/startup.txt"
# The same against the bare window with the program's comctl32 6 manifest.
cp "$build/bench/barewindow6.exe" "$prog/"
(cd "$prog" && "$WINE64" procbench.exe pairs 41 "Bare Window" barewindow6.exe \
    "Configure Scheduled Restart Options" OrvaneScheduledRestart.exe) 2>/dev/null | tr -d "\r" | tail -n +2 \
    > "$out/startup6.txt"
# And against that window with nine buttons: the part of the difference that
# is Wine's cost of making nine controls.
cp "$build/bench/barewindow9.exe" "$prog/"
(cd "$prog" && "$WINE64" procbench.exe pairs 41 "Bare Window" barewindow9.exe \
    "Configure Scheduled Restart Options" OrvaneScheduledRestart.exe) 2>/dev/null | tr -d "\r" | tail -n +2 \
    > "$out/startup9.txt"
stat -c %s "$prog/OrvaneScheduledRestart.exe" "$build/bench/barewindow.exe" > "$out/sizes.txt"
du -sb "$prog" | cut -f1 >> "$out/sizes.txt"
end_wine_prefix

python3 bench/report.py "$out"
