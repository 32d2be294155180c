#!/bin/sh
# Which failed starts are Wine's own (retried once or confirmed), and which
# are the program's answer: a row per start, what it printed, then the cause
# expected ("-": none, the failure stands).
. "$(dirname "$0")/../../scripts/wine-causes.sh"
failed=0
row() {  # printed, the command's first two words, the start of the cause expected
    got=$(wine_start_cause "$1" "$2")
    if [ "$3" = - ]; then ok=$([ -z "$got" ] && echo y); else ok=$(case "$got" in "$3"*) echo y ;; esac); fi
    [ -n "$ok" ] || { echo "FAIL: '$1' ($2): got '$got', expected '$3'"; failed=1; }
}
row "err:virtual:virtual_alloc_first_teb wine: failed to map the shared user data: c0000018
ShellExecuteEx failed: Internal error." "wineboot " "Wine could not map the new process's shared user data"
row "ShellExecuteEx failed: File not found." "sc query" "Wine could not open the program's image"
row "wine: failed to open \"C:\\x.exe\": c0000135" "reg add" "Wine could not open the program's image"
row "The W3svc service is starting. Internal error." "net start" "Wine ended the service's new process"
row "Internal error." "sc create" -
row "Inconsistency detected by ld.so: dl-fini.c: 87: _dl_fini: Assertion failed!" "sc create" "Wine's process failed in its exit"
# The program's or the tool's own answers.
row "The requested service has already been started." "net start" -
row "" "core_tests.exe " -
row "[  FAILED  ] 1 test" "core_tests.exe " -
row "wine client error:0: recvmsg: Connection reset by peer" "core_tests.exe " -
exit "$failed"
