#!/usr/bin/env bash
# One end-to-end case: a fresh Wine prefix made into an Orvane server by the
# sandbox, the shipped program run as a scheduled task would run it, then the
# run log, the sandbox trace and the raised events checked by check.py.
# Usage: run_case.sh BUILD_DIR CASE   (needs a display: run inside xvfb-run)
set -euo pipefail
# A command that ends the case must say which: several print nothing of their own.
trap 'ended=$?; [[ $- == *e* ]] && echo "run_case.sh: line $LINENO ended the case (exit $ended): $BASH_COMMAND" >&2' ERR
build=$(cd "$1" && pwd)
case_name=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out="$build/e2e/$case_name"
rm -rf "$out" && mkdir -p "$out"

# The program's arguments, and the action whose expected steps check.py compares.
after="" action=restart
case "$case_name" in
    restart) args=/Restart ;;
    # PmSyncSvr fails its start after the shut-down and PmSpeechSvr stays
    # "start pending"; the check waits 15 s for them.
    restart-fail) args=/Restart action="restart --fail=PmSyncSvr --pending=PmSpeechSvr --verify=15"
        export ORV_FAIL_START=PmSyncSvr ORV_START_PENDING=PmSpeechSvr ORV_VERIFY_SECONDS=15 ;;
    bounce-fail) args=/Bounce:PmNotifySvr:PmSyncSvr action="bounce PmNotifySvr PmSyncSvr --fail=PmSyncSvr --verify=15"
        export ORV_FAIL_START=PmSyncSvr ORV_VERIFY_SECONDS=15 ;;
    reboot) args=/Reboot action=reboot; export ORV_VERIFY_SECONDS=10 ;;
    # The reboot never comes (the sandbox's reboot.bat only traces).
    reboot-lost) args=/Reboot action=reboot; export ORV_VERIFY_SECONDS=5 ;;
    bounce) args=/Bounce:PmNotifySvr:PmSyncSvr action="bounce PmNotifySvr PmSyncSvr" ;;
    cancel) args=/Reboot after=--click ;;
    test-run) args="" after=--test-bounce title="Configure Scheduled Restart Options" ;;
    # Three previews, then one without reboot.bat: nothing may be touched.
    preview) args="/Preview /Reboot" ;;
    # /Cancel and /Skip from a second process, around three /Restart runs.
    night) args="" ;;
    *) echo "unknown case $case_name" >&2; exit 2 ;;
esac

. "$root/scripts/wine-env.sh"
new_wine_prefix
# Wine's relay channel shows each ReportEventW call with its event identifier;
# the eventlog channel shows its strings.
"$WINE64" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d advapi32.ReportEventW /f >/dev/null 2>&1
. "$root/sandbox/setup.sh" "$build"
prog="$WINEPREFIX/drive_c/Program Files/Orvane Restart"
seqlines() {  # file, then what and the action's words: from the program's own sequences
    sb_read "$1.said" "$build/tests/seqlines.exe" "${@:2}"
    tr -d '\r' < "$1.said" > "$1"
}
service_state() {  # the service manager's own word: RUNNING, STOPPED, ...; nothing if it never answered
    sb_read "$out/sc.txt" sc query "$1" || return 0
    tr -d '\r' < "$out/sc.txt" | grep -o 'STATE *: [0-9]* *[A-Z_]*' | awk '{print $NF}'
}
if [ -n "$after" ]; then
    "$WINE64" 'C:\sandbox\sbtrace.exe' "$after" "${title:-Restart System}" 3000 >/dev/null 2>&1 &
fi

cd "$prog"
if [ "$case_name" = night ]; then
    trace="$WINEPREFIX/drive_c/sandbox/trace.txt"
    state="$WINEPREFIX/drive_c/ProgramData/OrvaneScheduledRestart/run.state"
    : > "$trace"
    verb() {  # name, then the arguments: what it printed, and its exit code
        local rc=0
        timeout 60 "$WINE64" OrvaneScheduledRestart.exe "${@:2}" > "$out/$1.said" 2>/dev/null || rc=$?
        tr -d '\r' < "$out/$1.said" > "$out/$1.txt"
        echo "$rc" > "$out/$1.rc"
    }
    newest_log() { ls "$prog"/logs/*.TXT 2>/dev/null | sort | tail -1; }
    wait_for() {  # file, text: up to two minutes
        for _ in $(seq 1 1200); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
        echo "never seen in $1: $2" >&2
        return 1
    }
    restart_run() {  # in the background (its process in $run_pid); its exit code lands in $out/$1.rc
        ( rc=0; timeout 300 "$WINE64" OrvaneScheduledRestart.exe /Restart >/dev/null 2>&1 || rc=$?; echo "$rc" > "$out/$1.rc" ) &
        run_pid=$!
    }
    verb no_run /Cancel
    # A skip, then a run that ends at its start.
    verb skip /Skip
    # Said where the tasks and the plan are: on the standard error of /Tasks, in the preview.
    timeout 60 "$WINE64" OrvaneScheduledRestart.exe /Tasks > "$out/tasks.txt" 2> "$out/tasks.err" || :
    verb preview_skip /Preview /Restart
    begin=$SECONDS
    restart_run skipped
    wait "$run_pid"
    echo $((SECONDS - begin)) > "$out/skipped.seconds"
    cat "$(newest_log)" > "$out/skipped.log"
    # The next run counts down: cancelled from here.
    restart_run cancelled
    wait_for "$state" "phase counting"
    sleep 2
    # Two at once: the run ends once.
    verb cancel /Cancel &
    verb cancel_too /Cancel
    wait "$!" "$run_pid"
    cat "$(newest_log)" > "$out/cancelled.log"
    cp "$trace" "$out/trace_before_late.txt"
    # Too late once the shut-down has begun: the run goes on and brings the product back.
    restart_run late
    wait_for "$trace" "stop requested"
    verb too_late /Cancel
    wait "$run_pid"
    cat "$(newest_log)" > "$out/late.log"
    seqlines "$out/restart_commands" commands restart
    # The service manager's own word on every service the start-up starts.
    for s in $(grep -i '^net start' "$out/restart_commands" | cut -d' ' -f3); do
        echo "$s $(service_state "$s")"
    done > "$out/states.txt"
    python3 "$here/check.py" "$case_name" "$out"
    exit
fi
if [ "$case_name" = preview ]; then
    # The trace from here on must hold no stop, start, kill or gateway call.
    : > "$WINEPREFIX/drive_c/sandbox/trace.txt"
    preview() {  # name, then the arguments: the plan on standard output, the exit code beside it
        local rc=0
        timeout 60 "$WINE64" OrvaneScheduledRestart.exe "${@:2}" > "$out/$1.txt" 2>/dev/null || rc=$?
        echo "$rc" > "$out/$1.rc"
    }
    preview restart /Preview /Restart
    preview bounce /Bounce:PmNotifySvr:PmSyncSvr /Preview
    preview usage /Preview /Restart:now
    # The scheduling verbs, with "restart" in names and actions: never a restart.
    # Beginning weeks ahead: the prefix's Task Scheduler never starts it while this runs.
    preview schedule '/Schedule:Nightly restart' /Restart /At:03:15 "/From:$(date -d '+40 days' +%F)"
    preview tasks /Tasks
    # Near misses of a verb: each once fell through to a restart or a reboot.
    preview miss_schedule /Schedule Nightly /Reboot /At:03:15
    preview miss_preview -Preview /Restart
    preview miss_unschedule /Unschedule 'Nightly restart'
    preview miss_tasks /Tasks:all /Reboot
    preview miss_equals /Schedule=Nightly /Reboot /At:03:15
    preview miss_skip /Skip=Off /Restart
    preview miss_cancel -Cancel restart
    # The documented way from cmd.exe: redirected, with cmd waiting for the exit code.
    cmd_rc=0
    "$WINE64" cmd /c 'OrvaneScheduledRestart.exe /Preview /Reboot > C:\sandbox\cmd.txt' >/dev/null 2>&1 || cmd_rc=$?
    echo "rc=$cmd_rc" > "$out/cmd_rc.txt"
    cp "$WINEPREFIX/drive_c/sandbox/cmd.txt" "$out/cmd.txt" 2>/dev/null || :
fi
start=$(date +%s.%N)
set +e
# shellcheck disable=SC2086 # a preview's words are separate arguments
WINEDEBUG=-all,+relay,+eventlog timeout 240 "$WINE64" OrvaneScheduledRestart.exe $args \
    >"$out/stdout.txt" 2>"$out/wine.txt"
rc=$?
set -e
end=$(date +%s.%N)
echo "$rc" > "$out/exit_code"
echo "$start $end" > "$out/times"
sleep 1  # let stand-ins started last (tray, reboot.bat) finish their trace lines
cp "$WINEPREFIX/drive_c/sandbox/trace.txt" "$out/trace.txt"
# One log per run, named by its start: the first is this case's run.
mapfile -t run_logs < <(ls "$prog"/logs/*.TXT 2>/dev/null | sort)
cat "${run_logs[@]:0:1}" > "$out/run.log" 2>/dev/null || : > "$out/run.log"
# What the program's own sequences log, run and raise for this action, from their one source.
for what in lines commands events; do
    # shellcheck disable=SC2086 # the action's words are separate arguments
    seqlines "$out/$what" "$what" $action
done
grep -a -E 'Call advapi32\.ReportEventW|:eventlog:ReportEventW' "$out/wine.txt" > "$out/events.txt" || true
if [[ "$case_name" == reboot* ]]; then
    # The check after the boot: its task as Task Scheduler stores it.
    task_check() { ORV_BOOT_CHECK_FOLDER='C:\Program Files\Orvane Restart' "$@" "$WINE64" "$build/tests/win_tests.exe" \
        --gtest_filter='BootCheckTask.*' 2>&1 | tr -d '\r'; }
    task_check env > "$out/task_made.txt" || echo FAILED >> "$out/task_made.txt"
    # The record lies in the program's own registry view.
    view=/reg:32
    [ "$(cat "$build/sandbox/bits")" = 8 ] && view=/reg:64
    key='HKLM\Software\Orvane\ScheduledRestart'
    record() { "$WINE64" reg query "$key" /v BootCheckLog "$view" > "$out/$1" 2>&1 || echo gone >> "$out/$1"; }
    night=${run_logs[0]}
    seqlines "$out/start_commands" commands restart
    newest() { ls "$prog"/logs/*.TXT | sort | tail -1; }
fi
if [ "$case_name" = reboot ]; then
    # Before the boot: a check now, in a log of its own; the task and the record stay.
    pending_rc=0
    "$WINE64" OrvaneScheduledRestart.exe /Verify >/dev/null 2>&1 || pending_rc=$?
    echo "$pending_rc" > "$out/pending_rc"
    cat "$(newest)" > "$out/pending.log"
    task_check env > "$out/task_kept.txt" || echo FAILED >> "$out/task_kept.txt"
    record record_kept.txt
    # The boot: the prefix's server ends, its services with it, and starts
    # again; then the start-up's services and the task's own line, by hand.
    "$WINESERVER" -k || :
    "$WINESERVER" -w || :
    env WINEDEBUG=-all,err+all "$WINE64" 'C:\sandbox\sbtrace.exe' --sleep >/dev/null 2>"$sb_wine_errors" &
    for _ in $(seq 1 300); do "$WINE64" sc query eventlog >/dev/null 2>&1 && break; sleep 0.2; done
    for s in schedule $(grep -i '^net start' "$out/start_commands" | cut -d' ' -f3); do
        if ! said=$(sb_tool net start "$s"); then
            echo "e2e: after the boot, net start $s failed: $said" >&2
            sed 's/^/e2e: Wine said: /' "$sb_wine_errors" >&2
        fi
    done
    verify_rc=0
    "$WINE64" OrvaneScheduledRestart.exe /Verify >/dev/null 2>&1 || verify_rc=$?
    echo "$verify_rc" > "$out/verify_rc"
    task_check env ORV_BOOT_CHECK_GONE=1 > "$out/task_gone.txt" || echo FAILED >> "$out/task_gone.txt"
    record record.txt
    cat "$night" > "$out/run.log"
    # A record three days old, from before this boot, whose log lies outside
    # "logs": the verdict all the same, in a new log; nothing written outside.
    "$WINE64" reg add "$key" /v BootCheckLog /t REG_SZ /d 'C:\sandbox\outside.TXT' /f "$view" >/dev/null 2>&1
    "$WINE64" reg add "$key" /v BootCheckTime /t REG_DWORD /d $(( $(date +%s) - 3 * 86400 )) /f "$view" >/dev/null 2>&1
    : > "$WINEPREFIX/drive_c/sandbox/outside.TXT"
    old_rc=0
    "$WINE64" OrvaneScheduledRestart.exe /Verify >/dev/null 2>&1 || old_rc=$?
    echo "$old_rc $(wc -c < "$WINEPREFIX/drive_c/sandbox/outside.TXT")" > "$out/verify_old"
    cat "$(newest)" > "$out/more.log"
fi
if [ "$case_name" = reboot-lost ]; then
    # No boot, and the record older than the bound stored with it (one
    # minute here; the boot's marker is still there, since no server restarted).
    "$WINE64" reg add "$key" /v BootCheckMinutes /t REG_DWORD /d 1 /f "$view" >/dev/null 2>&1
    "$WINE64" reg add "$key" /v BootCheckTime /t REG_DWORD /d $(( $(date +%s) - 61 )) /f "$view" >/dev/null 2>&1
    lost_rc=0
    "$WINE64" OrvaneScheduledRestart.exe /Verify >/dev/null 2>&1 || lost_rc=$?
    echo "$lost_rc" > "$out/verify_rc"
    task_check env ORV_BOOT_CHECK_GONE=1 > "$out/task_gone.txt" || echo FAILED >> "$out/task_gone.txt"
    record record.txt
    cat "$night" > "$out/run.log"
fi
if [ "$case_name" = preview ]; then
    seqlines "$out/restart_commands" commands restart
    cp "$WINEPREFIX/drive_c/sandbox/trace.txt" "$out/trace.txt"
    # The service manager's own word: every service still running.
    for s in W3svc MSSQLServer SQLServerAgent $(grep -io '^net stop pm[a-z]*' "$out/restart_commands" | cut -d' ' -f3); do
        echo "$s $(service_state "$s")"
    done > "$out/states.txt"
    mv "$prog/reboot.bat" "$prog/reboot.bat.away"
    preview noreboot /Preview /Reboot
    ls "$prog"/logs 2>/dev/null > "$out/logs_made.txt" || :
fi
python3 "$here/check.py" "$case_name" "$out"
