#!/usr/bin/env bash
# Installs the MSI in a fresh Wine prefix, runs the program from there (an
# empty bounce: the restart window registers the event source, writes a run
# log and ends by itself with 2), uninstalls it and checks nothing is left.
# usage: msi_roundtrip.sh <source-dir> <msi>
set -uo pipefail
cd "$1"
msi=$(readlink -f "$2")
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
exit $fail
