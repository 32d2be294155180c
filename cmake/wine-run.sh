#!/bin/sh
# CTest's emulator for the Windows test programs. The caller owns the prefix
# (scripts/test.sh makes a fresh one per run); we never pick one silently.
if [ -z "${WINEPREFIX:-}" ]; then
    echo "wine-run.sh: WINEPREFIX is not set; run the tests through scripts/test.sh" >&2
    exit 125
fi
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
out=$(mktemp) err=$(mktemp) wine_err=$(mktemp)
trap 'rm -f "$out" "$err" "$wine_err"' EXIT
# Wine's own error channel stays on for every start, so that a start Wine
# ends itself says why; its lines are kept apart from the program's error
# output and shown only when the program fails.
case "${WINEDEBUG:-}" in
    -all) WINEDEBUG=-all,err+all ;;
esac
export WINEDEBUG
. "$(dirname "$0")/../scripts/wine-causes.sh"
# A start that Wine itself failed runs once more (a test program may run
# twice: it changes nothing it does not put back), said in one line.
for try in 1 2; do
    start=$(date +%s%N)
    "$wine" "$@" >"$out" 2>"$err"
    rc=$?
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    [ "$rc" -ne 0 ] && [ "$try" = 1 ] || break
    cause=$(wine_start_cause "$(cat "$out" "$err")" "")
    [ -n "$cause" ] || break
    echo "wine-run.sh: $1 again, once: $cause" | tee -a "${ORV_RETRY_LOG:-/dev/null}" >&2
done
wine_line='^([0-9a-f]{4,8}:){1,2}err:'
grep -aE "$wine_line" "$err" >"$wine_err"
cat "$out"
grep -avE "$wine_line" "$err" >&2
if [ "$rc" -ne 0 ]; then
    code=$rc
    [ "$rc" -ge 3221225472 ] 2>/dev/null && code=$(printf '0x%X' "$rc")
    # A program that dies before it prints leaves CTest nothing to show: say
    # how it ended (Windows status codes such as 0xC0000005 in hex).
    if [ ! -s "$out" ]; then
        echo "wine-run.sh: $1 ended with exit code $code after $ms ms before printing anything" >&2
    fi
    if [ -s "$wine_err" ]; then
        echo "wine-run.sh: Wine's errors for this start:" >&2
        sed 's/^/wine-run.sh:   /' "$wine_err" >&2
    else
        echo "wine-run.sh: Wine reported no error for this start" >&2
    fi
fi
exit "$rc"
