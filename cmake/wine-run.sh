#!/bin/sh
# CTest's emulator for the Windows test programs. The caller owns the prefix
# (scripts/test.sh makes a fresh one per run); we never pick one silently.
if [ -z "${WINEPREFIX:-}" ]; then
    echo "wine-run.sh: WINEPREFIX is not set; run the tests through scripts/test.sh" >&2
    exit 125
fi
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
exec "$wine" "$@"
