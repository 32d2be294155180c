#!/usr/bin/env bash
# Installs the MSI in a fresh Wine prefix, runs the program from there (an
# empty bounce: the restart window registers the event source, writes a run
# log and ends by itself with 2), uninstalls it and checks nothing is left.
# usage: msi_roundtrip.sh <source-dir> <msi> [<build-dir> <wixl arch>]: the
# shipped x86 package by default, or its x64 twin where 32-bit code cannot run.
set -uo pipefail
cd "$1"
msi=$(readlink -f "$2")
build=${3:-build/windows} arch=${4:-x86}
. scripts/wine-env.sh
new_wine_prefix
fail=0
say() { echo "$*"; }
check() { if eval "$1"; then say "ok: $2"; else say "FAIL: $2"; fail=1; fi; }
key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\OrvaneScheduledRestart'
dir="$WINEPREFIX/drive_c/Program Files (x86)/Orvane Restart"
registered() { "$WINE64" reg query "$key" >/dev/null 2>&1; }
listed() {
    for view in 32 64; do
        "$WINE64" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:$view 2>/dev/null
    done | grep -q 'Orvane Scheduled Restart'
}

cp "$msi" "$WINEPREFIX/drive_c/package.msi"
"$WINE64" msiexec /i 'C:\package.msi' /qn
check '[ $? -eq 0 ] && [ -f "$dir/OrvaneScheduledRestart.exe" ] && [ -f "$dir/kill.exe" ] && [ -d "$dir/logs" ]' \
      "installed under Program Files (x86)"
# The ZIP's files (beside its checksum list), no more and no fewer.
shipped=$(python3 -c 'import sys, zipfile; [print(n.split("/", 1)[1]) for n in zipfile.ZipFile(sys.argv[1]).namelist()]' \
    "${msi%.msi}.zip" | grep -vx SHA256SUMS | LC_ALL=C sort)
check '[ "$(ls "$dir" | grep -vx logs | LC_ALL=C sort)" = "$shipped" ]' "it installed every file the ZIP ships"
check 'registered' "the event source is registered"
check 'listed' "listed under Programs and Features"
timeout 180 "$WINE64" 'C:\Program Files (x86)\Orvane Restart\OrvaneScheduledRestart.exe' /Bounce >/dev/null 2>&1
rc=$?
check '[ $rc -eq 2 ]' "the installed program ran and ended by itself with 2 (got $rc)"
check 'ls "$dir/logs/"*.TXT >/dev/null 2>&1' "it wrote its run log beside itself"
"$WINE64" msiexec /x 'C:\package.msi' /qn
check '[ $? -eq 0 ]' "uninstalled"
check '[ ! -e "$dir" ]' "the program folder is gone, logs and all"
check '! registered' "the event source registration is gone"
check '! listed' "no longer listed"

# With a schedule: the task made by the install, as Task Scheduler has it,
# the program's message in the MSI log; gone with the program. A bad time
# fails the install before anything is made.
"$WINE64" net start schedule >/dev/null 2>&1
tasks_dir="$WINEPREFIX/drive_c/windows/tasks"
msilog() {  # the MSI log's lines from the program (the log is UTF-16 or ANSI); all lines with a second argument
    python3 -c 'import sys; d = open(sys.argv[1], "rb").read()
print(d.decode("utf-16") if d[:2] == b"\xff\xfe" else d.decode("latin-1"))' "$WINEPREFIX/drive_c/$1" | grep "${2-OrvaneScheduledRestart:}"
}
# Half a day away: the prefix's Task Scheduler never starts the installed
# program's /Reboot while this runs, and the next run stays the same.
at=$(date -d '+12 hours' +%H:%M)
"$WINE64" msiexec /i 'C:\package.msi' /qn SCHEDULE_TIME="$at" SCHEDULE_ACTION=Reboot /l*v 'C:\install.log'
check '[ $? -eq 0 ]' "installed with SCHEDULE_TIME=$at SCHEDULE_ACTION=Reboot"
listing=$("$WINE64" 'C:\Program Files (x86)\Orvane Restart\OrvaneScheduledRestart.exe' /Tasks | tr -d '\r')
check 'grep -qP "^Scheduled Orvane Restart\t/Reboot\t.*\tyes\t\d{4}-\d\d-\d\d $at\t" <<< "$listing"' \
      "Task Scheduler has the task, enabled, with /Reboot, next run at $at"
check 'msilog install.log | grep -q "exit code 0: scheduled \"Scheduled Orvane Restart\""' "the program's message is in the MSI log"
# A newer version keeps the task: the program's path is the same. Windows
# removes the old version with UPGRADINGPRODUCTCODE set; Wine's own upgrade
# does not set it (measured), so that removal is run here as Windows runs it.
wixl -a "$arch" -D Version=99.0.0.0 -D SourceDir="$build/program" -D ActionsDll="$build/msiactions/OrvaneMsiActions.dll" \
    -o "$WINEPREFIX/drive_c/newer.msi" packaging/OrvaneScheduledRestart.wxs 2>/dev/null
"$WINE64" msiexec /x 'C:\package.msi' /qn 'UPGRADINGPRODUCTCODE={0D4B0D8E-7C56-4B44-9A52-3A6C8B1E2F10}'
"$WINE64" msiexec /i 'C:\newer.msi' /qn
check '[ $? -eq 0 ] && [ "$("$WINE64" "C:\\Program Files (x86)\\Orvane Restart\\OrvaneScheduledRestart.exe" /Tasks | tr -d "\r")" = "$listing" ]' \
      "an upgrade keeps the task as it was"
"$WINE64" msiexec /x 'C:\newer.msi' /qn
check '[ $? -eq 0 ] && [ ! -e "$dir" ] && [ -z "$(ls "$tasks_dir")" ] && ! listed' "uninstalled: the task and the program folder are gone"
"$WINE64" msiexec /i 'C:\package.msi' /qn SCHEDULE_TIME=25:00 /l*v 'C:\bad.log'
check '[ $? -ne 0 ] && [ ! -e "$dir" ] && [ -z "$(ls "$tasks_dir")" ] && ! listed' "SCHEDULE_TIME=25:00: the install fails, nothing left"
check 'msilog bad.log | grep -q "not a time from 00:00 to 23:59"' "the reason is in the MSI log"

# The properties are values, never arguments: a name that would add
# /ProgramPath fails the install before anything is made.
"$WINE64" msiexec /i 'C:\package.msi' /qn SCHEDULE_TIME="$at" 'SCHEDULE_NAME=Nightly" /ProgramPath:"C:\Tools\evil.exe' /l*v 'C:\inject.log'
check '[ $? -ne 0 ] && [ ! -e "$dir" ] && [ -z "$(ls "$tasks_dir")" ] && ! listed' "an injecting SCHEDULE_NAME: the install fails, nothing left"
check 'msilog inject.log | grep -q "SCHEDULE_NAME is not a task name"' "the refusal is in the MSI log"
# What the program prints goes into the log as written: "[ProductName]" in a
# task's name (Wine's msiexec would expand it in a property given on its own
# command line, so the installed program makes that task itself).
"$WINE64" msiexec /i 'C:\package.msi' /qn SCHEDULE_TIME="$at"
"$WINE64" "C:\\Program Files (x86)\\Orvane Restart\\OrvaneScheduledRestart.exe" '/Schedule:[ProductName] nightly' /Restart "/At:$at" >/dev/null 2>&1
"$WINE64" msiexec /x 'C:\package.msi' /qn /l*v 'C:\brackets.log'
check '[ $? -eq 0 ] && msilog brackets.log "" | grep -F "deleted \"[ProductName] nightly\"" >/dev/null' \
      "the program's output holding [ProductName] is in the MSI log as written"
"$WINE64" msiexec /i 'C:\package.msi' /qn SCHEDULE_TIME="$at"
# The program deleted by hand: the uninstall says so in its log and goes on.
rm -f "$dir/OrvaneScheduledRestart.exe"
"$WINE64" msiexec /x 'C:\package.msi' /qn /l*v 'C:\orphan.log'
check '[ $? -eq 0 ] && [ ! -e "$dir" ] && ! listed' "uninstalled after the program was deleted by hand"
check 'msilog orphan.log | grep -q "the uninstall goes on"' "the failure to delete the tasks is in the MSI log"
exit $fail
