# Sourced (POSIX sh): why Wine itself, not the program, failed a start;
# nothing when the exit code is the program's own answer. Each was seen in CI runs or soaks, among
# six prefixes side by side; the first two in one start: the loader found the
# address of the shared user data taken and fell back to start.exe.
wine_start_cause() {  # what the start printed, with Wine's errors; the command's first two words
    case "$1" in
    *"failed to map the shared user data"*) echo "Wine could not map the new process's shared user data" ;;
    *"ShellExecuteEx failed"* | *"wine: failed to "*) echo "Wine could not open the program's image" ;;
    # ERROR_INTERNAL_ERROR: Wine's process creation reports STATUS_INTERNAL_ERROR
    # when the new process ends before its start-up is done.
    *"Internal error."*)
        if [ "$2" = "net start" ]; then echo "Wine ended the service's new process before it ran (Internal error)"; fi ;;
    # Another thread loaded a library while the process ended: its work was done.
    *"Inconsistency detected by ld.so"*) echo "Wine's process failed in its exit (an assertion in ld.so)" ;;
    esac
}
