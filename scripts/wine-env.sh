# Sourced by the scripts that run Windows programs: a fresh Wine prefix of
# our own, ended with `wineserver -k` when the caller exits.
WINE64=$(command -v wine64 || echo /usr/lib/wine/wine64)
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export WINEARCH=win64
# No Mono or Gecko installer dialogs in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"

new_wine_prefix() {
    # The prefix's wineserver lives as long as the prefix, started before
    # anything else and ended by end_wine_prefix. A server that starts on its
    # own ends the moment its last program does, and a program that connects
    # in that moment is cut off at once ("wine client error:0: recvmsg:
    # Connection reset by peer", exit code 1, nothing printed): the test
    # programs start and end side by side, so the prefix was often empty for
    # an instant (measured in README's note on running the tests).
    WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/orv-wine.XXXXXX")
    export WINEPREFIX
    trap 'end_wine_prefix' EXIT
    local rc=0 said="$WINEPREFIX.said"
    # Into a file, never a pipe: the server and the prefix's own programs
    # stay, and would hold a pipe open.
    if ! "$WINESERVER" -p >/dev/null 2>&1; then
        echo "wine-env: the prefix's wineserver did not start" >&2
        return 1
    fi
    WINEDEBUG=-all,err+all "$WINE64" wineboot -i >"$said" 2>&1 || rc=$?
    # Without a window manager (Xvfb) Wine waits 2 s for each hidden or
    # destroyed window to be acknowledged; unmanaged windows skip that.
    if [ "$rc" -eq 0 ] && [ "${ORV_WINE_MANAGED:-N}" = N ]; then
        WINEDEBUG=-all,err+all "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >"$said" 2>&1 || rc=$?
    fi
    if [ "$rc" -ne 0 ]; then
        echo "wine-env: making the prefix failed with $rc: $(cat "$said" 2>/dev/null || echo no output)" >&2
    fi
    rm -f "$said"
    return "$rc"
}

end_wine_prefix() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        "$WINESERVER" -k >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
    fi
}

# The preset whose programs this host can run: the shipped x86 build where
# Wine runs 32-bit code here, otherwise its x64 twin built from the same
# sources (some hosts refuse 32-bit code: no i386 executables, no WoW64).
# Needs a prefix and the x86 build; kill.exe without arguments exits with 2.
windows_test_preset() {
    local rc=0
    "$WINE64" build/windows/program/kill.exe >/dev/null 2>&1 || rc=$?
    if [ "$rc" -eq 2 ]; then
        echo windows
    else
        echo "note: this host does not run 32-bit Windows programs (kill.exe gave $rc);" \
             "the tests run the x64 build of the same sources" >&2
        echo windows-x64
    fi
}
