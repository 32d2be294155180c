#!/usr/bin/env bash
# Builds the presets and runs every test: the portable core natively under
# the sanitizers, then the Windows programs under Wine inside one Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."

# The program refuses to make tasks of the local system account from a folder
# that someone besides administrators may change, the folders above it
# included, and the tests make such tasks from the build folder. Wine shows a
# folder every Unix user may write to (such as /tmp, sticky bit or not) as one
# Everyone may change: below one, the tests run from a copy under $HOME.
world_writable_above() {
    local d=$PWD
    while [ "$d" != / ]; do
        d=$(dirname "$d")
        [ -n "$(find "$d" -maxdepth 0 -perm -o+w 2>/dev/null)" ] && return 0
    done
    return 1
}
if [ -z "${ORV_TESTS_MOVED:-}" ] && world_writable_above; then
    home=${HOME:-/root}
    copy="$home/.cache/orvane-tests/$(basename "$PWD")"
    echo "note: a folder above $PWD is writable by every user; the tests run from a copy in $copy" >&2
    mkdir -p "$copy" && chmod 755 "$home/.cache" "$home/.cache/orvane-tests" "$copy"
    find "$copy" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +  # its build stays
    tar -C "$PWD" --exclude=./build -cf - . | tar -C "$copy" -xf -
    ORV_TESTS_MOVED=1 exec bash "$copy/scripts/test.sh" "$@"
fi

bash scripts/bootstrap.sh

echo "== native build and tests (AddressSanitizer, UBSan)"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native -j2

echo "== fuzzing the parsers (${ORV_FUZZ_SECONDS:-30} s each)"
bash scripts/fuzz.sh

echo "== Windows builds: x86 (shipped) and x64"
for preset in windows windows-x64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
# What the shipped x86 programs import, checked without running them (the
# test build checks its own the same way, as a CTest case).
python3 tests/imports/check_imports.py i686-w64-mingw32-objdump tests/imports/imports.txt \
    build/windows/program/OrvaneScheduledRestart.exe build/windows/program/kill.exe

echo "== Windows tests under Wine"
# Starts that Wine itself failed, retried once (wine_start_cause in scripts/wine-env.sh).
export ORV_RETRY_LOG="$PWD/build/wine-retries.txt"
: > "$ORV_RETRY_LOG"
# One Xvfb display for the whole session: a wineserver keeps the display it
# started with, so the prefix is made inside it too.
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -euo pipefail
    . scripts/wine-env.sh
    new_wine_prefix
    keep_prefix_alive
    preset=$(windows_test_preset)
    echo "== running the $preset build"
    ctest --preset "$preset" -LE e2e -j2 "$@"
    # The end-to-end cases mostly wait (countdowns, pauses): run them side by
    # side, each in its own prefix.
    ctest --preset "$preset" -L e2e -j6 "$@"
    # The release packages, and the MSI installed, run and removed in a
    # prefix of its own (the package is the x86 program).
    echo "== packages"
    bash scripts/package.sh
    if [ "$preset" = windows ]; then
        bash tests/package/msi_roundtrip.sh "$PWD" build/package/OrvaneScheduledRestart-*.msi
    else
        # The same package made of the x64 twin: what the installer does,
        # where the shipped x86 package cannot run.
        echo "note: the MSI round trip runs the package of the x64 build (this host runs no 32-bit code)" >&2
        cmake --build --preset windows-x64 --target OrvaneMsiActions >/dev/null
        version=$(sed -n "s/^#define ORV_VERSION_TEXT \"\(.*\)\"$/\1/p" build/windows-x64/generated/version.h)
        wixl -a x64 -D Version="$version" -D SourceDir=build/windows-x64/program \
            -D ActionsDll=build/windows-x64/msiactions/OrvaneMsiActions.dll \
            -o build/package/OrvaneScheduledRestart-x64.msi packaging/OrvaneScheduledRestart.wxs 2>/dev/null
        cp build/package/OrvaneScheduledRestart-*[0-9].zip build/package/OrvaneScheduledRestart-x64.zip
        bash tests/package/msi_roundtrip.sh "$PWD" build/package/OrvaneScheduledRestart-x64.msi build/windows-x64 x64
    fi
    echo "== starts that Wine itself failed, retried once: $(grep -c . "$ORV_RETRY_LOG" || true)"
    sed "s/^/    /" "$ORV_RETRY_LOG"
' bash "$@"
