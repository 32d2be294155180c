#!/usr/bin/env bash
# Makes the Wine prefix $WINEPREFIX look like an Orvane server:
#   C:\Program Files\Orvane Restart\   the program folder (the build's program/),
#                                      with a reboot.bat stand-in that only traces
#   C:\Program Files\Pellmark\         the product: one stub service exe per
#                                      service, PmTrayStatus.exe, the gateway stub
#   services PmDirWriter ... MSSQLServer, registered and started; the
#                                      product's depend on MSSQLServer
#   HKLM\Software\Pellmark             version 4.0, build 1.291, in the 32-bit
#   HKLM\Software\Pellmark\Trellan\1.0 view (WOW6432Node) like the product's
#                                      own; "Root Path" without a trailing backslash
#   the gateway stand-in registered under the program's class identity
# Every stand-in appends to C:\sandbox\trace.txt.
# Usage: sandbox/setup.sh BUILD_DIR    (BUILD_DIR: build/windows)
# Needs scripts/wine-env.sh sourced and a prefix made; keeps a sleeper
# process running so that the services live (see ORV_SLEEPER_PID).
set -euo pipefail
build=$(cd "$1" && pwd)
: "${WINEPREFIX:?}"
c="$WINEPREFIX/drive_c"
prog="$c/Program Files/Orvane Restart"
product="$c/Program Files/Pellmark"
mkdir -p "$prog" "$product" "$c/sandbox"
cp -r "$build/program/." "$prog/"
rm -rf "$prog/logs"  # a fresh server has no run logs yet
cp "$build/sandbox/sbtrace.exe" "$c/sandbox/sbtrace.exe"
cp "$build/sandbox/sbtrace.exe" "$product/PmTrayStatus.exe"
cp "$build/sandbox/OrvaneGatewayStub.dll" "$product/OrvaneGatewayStub.dll"
: > "$c/sandbox/trace.txt"

# The stand-in never reboots anything: it only leaves its mark in the trace.
printf '@echo off\r\n"C:\\sandbox\\sbtrace.exe" reboot.bat ran\r\n' > "$prog/reboot.bat"

product_services="PmDirWriter PmDirCatalog PmGateway PmCoreMgr PmDirLink PmNotifySvr PmBridgeLink PmStoreMonSvr PmReplDirSvc PmSyncSvr PmSpeechSvr PmAuxSvr"
# Named so that "kill.exe pm*.*" leaves the web and database servers alone.
declare -A other_images=([W3svc]=inetsrv_w3svc [SQLServerAgent]=sqlagent [MSSQLServer]=sqlservr)

reg="$c/sandbox/sandbox.reg"
{
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Pellmark]\r\n"Version Number"=dword:00040000\r\n"Build Number"=dword:00010123\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Pellmark\\Trellan\\1.0]\r\n"Root Path"="C:\\\\Program Files\\\\Pellmark"\r\n\r\n'
    # The stand-ins read their switches in their own view, whichever it is.
    for view in '' 'WOW6432Node\\'; do
        printf '[HKEY_LOCAL_MACHINE\\Software\\%sOrvaneSandbox]\r\n"TraceFile"="C:\\\\sandbox\\\\trace.txt"\r\n"GatewayStatus"=dword:%08x\r\n"HangStopSeconds"=dword:%08x\r\n\r\n' "$view" "${ORV_GATEWAY_STATUS:-32}" "${ORV_HANG_STOP_SECONDS:-90}"
        if [ -n "${ORV_VERIFY_SECONDS:-}" ]; then
            printf '[HKEY_LOCAL_MACHINE\\Software\\%sOrvane\\ScheduledRestart]\r\n"VerifySeconds"=dword:%08x\r\n\r\n' "$view" "$ORV_VERIFY_SECONDS"
        fi
        printf '[HKEY_LOCAL_MACHINE\\Software\\%sOrvaneSandbox\\HangStop]\r\n' "$view"
        for s in ${ORV_HANG_STOP:-}; do printf '"%s"=dword:00000001\r\n' "$s"; done
        printf '\r\n'
    done
    # Like Windows, the service manager waits for a stop that hangs (up to two
    # minutes here) instead of giving up after Wine's default ten seconds.
    # Wine reads this value as a string.
    printf '[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control]\r\n"ServicesPipeTimeout"="120000"\r\n\r\n'
} > "$reg"
# Runs one of Wine's own tools and prints what it said. What a tool says goes
# to a file, never through a pipe: the first program that needs the desktop
# starts Wine's explorer.exe, which inherits that program's output and lives
# as long as the prefix, so a read of a pipe would never end (seen once in
# 120 sandboxes: "net start schedule" hung a sandbox for minutes).
# A start that Wine itself failed (wine_start_cause) is retried once, with
# one line that names the cause (also appended to $ORV_RETRY_LOG, which the
# test summary counts); every other failure is the tool's own answer and
# stands. A service made or started by a tool that Wine failed only in its
# exit is not asked for twice: the service manager says whether it was done.
sb_tool_said="$c/sandbox/tool-said.txt"
sb_tool() {
    local said rc
    sb_run "$sb_tool_said" "$sb_tool_said" "$@" && rc=0 || rc=$?
    said=$(cat "$sb_tool_said")
    [ "$rc" -ne 0 ] && [ -z "$said" ] && said="(exit code $rc, nothing printed)"
    printf '%s' "$said"
    return "$rc"
}
# Runs a Windows program for its standard output, which lands in the file
# given first; its own failure and Wine's are said on the standard error
# (a read that fails must never end a check without a word), and a start
# that Wine ended is retried once, as with sb_tool.
sb_read() {  # output file, then the program and its arguments
    local into=$1 rc
    shift
    sb_run "$into" "$c/sandbox/read-err.txt" "$@" && return 0 || rc=$?
    echo "sandbox: $* failed (exit code $rc): $(cat "$c/sandbox/read-err.txt" "$into" 2>/dev/null)" >&2
    return "$rc"
}
# The one place a start is tried again: output and error files, then the command.
sb_run() {
    local into=$1 errs=$2 rc try said cause
    shift 2
    for try in 1 2; do
        rc=0
        # Wine's own errors too, so that a tool that ends at once says why.
        if [ "$errs" = "$into" ]; then
            env WINEDEBUG=-all,err+all "$WINE64" "$@" >"$into" 2>&1 || rc=$?
        else
            env WINEDEBUG=-all,err+all "$WINE64" "$@" >"$into" 2>"$errs" || rc=$?
        fi
        [ "$rc" -eq 0 ] && return 0
        said=$(cat "$into"; [ "$errs" = "$into" ] || cat "$errs")
        cause=$(wine_start_cause "$said" "$1 $2")
        if [[ $cause == *"in its exit"* ]] && [[ "$1 $2" == "sc create" || "$1 $2" == "net start" ]]; then
            sb_service_done "$@" || break
            echo "sandbox: $*: $cause; the service manager has it done" | tee -a "${ORV_RETRY_LOG:-/dev/null}" >&2
            return 0
        fi
        [ -n "$cause" ] && [ "$try" = 1 ] || break
        echo "sandbox: $* again, once: $cause" | tee -a "${ORV_RETRY_LOG:-/dev/null}" >&2
    done
    return "$rc"
}
# "sc create NAME ...": the service is there; "net start NAME": it runs or starts.
sb_service_done() {
    local state="$c/sandbox/done.txt"
    env WINEDEBUG=-all "$WINE64" sc query "$3" >"$state" 2>/dev/null || return 1
    [ "$1" = sc ] || grep -qE 'STATE *: [0-9]+ *(RUNNING|START_PENDING)' "$state"
}
sb_tool regedit /S 'C:\sandbox\sandbox.reg' >/dev/null
# The service manager reads its control time-out when it starts: let this
# server end so that the next one starts with the values above.
"$WINESERVER" -w

# Keep the prefix alive: Wine ends services when no ordinary process is left.
# The service manager and every service inherit its error output: Wine's own
# errors of their starts land in wine-err.txt, shown when a start fails.
sb_wine_errors="$c/sandbox/wine-err.txt"
env WINEDEBUG=-all,err+all "$WINE64" 'C:\sandbox\sbtrace.exe' --sleep >/dev/null 2>"$sb_wine_errors" &
export ORV_SLEEPER_PID=$!

# The new server's service manager must answer before services are made: a
# create sent while it still starts was lost once, and a service missing from
# the sandbox then showed as a wrong stop order.
for _ in $(seq 1 300); do "$WINE64" sc query eventlog >/dev/null 2>&1 && break; sleep 0.2; done
# Task Scheduler answers only while its service runs (a reboot run makes
# the task for the check after the boot).
sb_tool net start schedule >/dev/null || echo "sandbox: Task Scheduler did not start" >&2

create_service() {  # name, image[, the service it depends on]
    local out
    if ! out=$(sb_tool sc create "$1" binPath= "\"C:\\Program Files\\Pellmark\\$2.exe\""); then
        echo "sandbox: service $1 could not be made: $out" >&2
        return 1
    fi
    # Written directly: Wine's "sc create ... depend=" stores the list with garbage after it.
    if [ -n "${3:-}" ] && ! out=$(sb_tool reg add "HKLM\\SYSTEM\\CurrentControlSet\\Services\\$1" /v DependOnService \
            /t REG_MULTI_SZ /d "$3" /f); then
        echo "sandbox: the dependency of $1 could not be set: $out" >&2
        return 1
    fi
}
for s in $product_services; do
    cp "$build/sandbox/stubsvc.exe" "$product/$s.exe"
    # As on a real server, the product needs its database.
    create_service "$s" "$s" MSSQLServer
done
for s in "${!other_images[@]}"; do
    cp "$build/sandbox/stubsvc.exe" "$product/${other_images[$s]}.exe"
    create_service "$s" "${other_images[$s]}"
done
if [ "${ORV_NO_GATEWAY:-0}" != 1 ]; then
    # An in-process server registers in its own view: the 32-bit one for
    # the x86 program, through the 32-bit regsvr32.
    regsvr32='regsvr32'
    [ "$(cat "$build/sandbox/bits")" = 4 ] && regsvr32='C:\windows\syswow64\regsvr32.exe'
    sb_tool "$regsvr32" /s 'C:\Program Files\Pellmark\OrvaneGatewayStub.dll' >/dev/null
fi
if [ "${ORV_NO_KILL:-0}" = 1 ]; then rm -f "$prog/kill.exe"; fi
if [ "${ORV_NO_REBOOT_BAT:-0}" = 1 ]; then rm -f "$prog/reboot.bat"; fi

# The product is running: start everything. A start that fails says so.
all_services="W3svc MSSQLServer SQLServerAgent $product_services"
for s in $all_services; do
    # (sourced: names of its own, never the caller's)
    if ! sb_said=$(sb_tool net start "$s"); then
        echo "sandbox: net start $s failed: $sb_said" >&2
        sed 's/^/sandbox: Wine said: /' "$sb_wine_errors" >&2
        return 1 2>/dev/null || exit 1
    fi
done
# net start may return while a service still starts: wait for each one's own
# trace line (a minute at most: six sandboxes may be starting side by side).
sb_missing=""
for _ in $(seq 1 600); do
    sb_missing=""
    for s in $all_services; do
        grep -q "^.* service $s started" "$c/sandbox/trace.txt" || sb_missing="$sb_missing $s"
    done
    [ -z "$sb_missing" ] && break
    sleep 0.1
done
echo "sandbox ready: $(grep -c ' started' "$c/sandbox/trace.txt" || true) services running" >&2
# From now on these services fail their next start (the restart's).
mkdir -p "$c/sandbox/fail-start" "$c/sandbox/start-pending"
for s in ${ORV_FAIL_START:-}; do : > "$c/sandbox/fail-start/$s"; done
for s in ${ORV_START_PENDING:-}; do : > "$c/sandbox/start-pending/$s"; done
if [ -n "$sb_missing" ]; then
    echo "sandbox: not started within a minute:$sb_missing" >&2
    return 1 2>/dev/null || exit 1
fi
