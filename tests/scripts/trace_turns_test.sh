#!/bin/sh
# Six stand-ins appending to one trace at once: every line is kept, in time
# order (Wine's appends are not atomic between processes; they take turns).
# $1: the Windows test programs' emulator, $2: sbtrace.exe.
set -eu
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
file="Z:$(printf '%s' "$dir/trace.txt" | tr / '\\')"
for p in 1 2 3 4 5 6; do sh "$1" "$2" --lines 300 "$file" "P$p" & done
wait
kept=$(cut -c25- "$dir/trace.txt" | tr -d '\r' | sort -u | grep -c '^P[1-6] [0-9]*$' || true)
[ "$kept" -eq 1800 ] || { echo "FAIL: $kept of 1800 lines kept"; exit 1; }
cut -c1-23 "$dir/trace.txt" | sort -c || { echo "FAIL: lines out of time order"; exit 1; }
echo "1800 of 1800 lines kept, in time order"
