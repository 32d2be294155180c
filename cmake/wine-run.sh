#!/bin/sh
# CTest's emulator for the Windows test programs. The caller owns the prefix
# (scripts/test.sh makes a fresh one per run); we never pick one silently.
if [ -z "${WINEPREFIX:-}" ]; then
    echo "wine-run.sh: WINEPREFIX is not set; run the tests through scripts/test.sh" >&2
    exit 125
fi
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
"$wine" "$@" >"$out" 2>"$err"
rc=$?
cat "$out"
cat "$err" >&2
# A program that dies before it prints leaves CTest nothing to show: say how
# it ended (Windows status codes such as 0xC0000005 in hex) and who said what.
if [ "$rc" -ne 0 ] && [ ! -s "$out" ]; then
    code=$rc
    [ "$rc" -ge 3221225472 ] 2>/dev/null && code=$(printf '0x%X' "$rc")
    echo "wine-run.sh: $1 ended with exit code $code before printing anything" >&2
    [ -s "$err" ] || echo "wine-run.sh: and wrote nothing to its error output" >&2
fi
exit "$rc"
