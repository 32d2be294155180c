# Sourced by the scripts that run Windows programs: a fresh Wine prefix of
# our own, ended with `wineserver -k` when the caller exits.
WINE64=$(command -v wine64 || echo /usr/lib/wine/wine64)
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export WINEARCH=win64
# No Mono or Gecko installer dialogs in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
. "$(dirname "${BASH_SOURCE[0]}")/wine-causes.sh"

new_wine_prefix() {
    local rc said cause try
    for try in 1 2; do
        WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/orv-wine.XXXXXX")
        export WINEPREFIX
        trap 'end_wine_prefix' EXIT
        rc=0 said="$WINEPREFIX.said"
        env WINEDEBUG=-all,err+all "$WINE64" wineboot -i >"$said" 2>&1 || rc=$?
        # Without a window manager (Xvfb) Wine waits 2 s for each hidden or
        # destroyed window to be acknowledged; unmanaged windows skip that.
        if [ "$rc" -eq 0 ] && [ "${ORV_WINE_MANAGED:-N}" = N ]; then
            env WINEDEBUG=-all,err+all "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >"$said" 2>&1 || rc=$?
        fi
        if [ "$rc" -eq 0 ]; then
            rm -f "$said"
            "$WINESERVER" -w  # let wineboot's own processes settle
            return 0
        fi
        cause=$(wine_start_cause "$(cat "$said" 2>/dev/null)" wineboot)
        [ -n "$cause" ] && [ "$try" = 1 ] || break
        echo "wine-env: a new prefix again, once: $cause" | tee -a "${ORV_RETRY_LOG:-/dev/null}" >&2
        rm -f "$said"
        end_wine_prefix
    done
    echo "wine-env: making the prefix failed with $rc: $(cat "$said" 2>/dev/null || echo no output)" >&2
    rm -f "$said"
    return "$rc"
}

# One program stays in the prefix for the rest of its life (the Windows
# tests' prefix, where test programs start and end side by side). Debian's
# wineserver ends the moment the prefix's last program does (its wrapper
# passes -p0), and a program that connects in that moment is cut off at once
# ("wine client error:0: recvmsg: Connection reset by peer", exit code 1,
# nothing printed), and with two test programs at a time the prefix was
# often empty for an instant. Only for a prefix whose scripts never read a
# Wine program's output through a pipe: a program the prefix keeps (the
# desktop, a service) would hold the pipe open. (A persistent server is no way out: Wine
# still ends the prefix's services when no program is left, and the next
# program started a second service manager, which hung.) The keeper waits on
# a pipe that this shell holds open; `wineserver -k` ends it.
keep_prefix_alive() {
    local tag="orvkeep$$x$RANDOM" pipe="$WINEPREFIX.keeper"
    if [ -n "${ORV_KEEPER_FD:-}" ]; then exec {ORV_KEEPER_FD}>&-; fi  # an earlier keeper's
    rm -f "$pipe" && mkfifo "$pipe"
    "$WINE64" cmd /c "set /p $tag=" <"$pipe" >/dev/null 2>&1 &
    exec {ORV_KEEPER_FD}>"$pipe"
    # Ready once Wine has started it as a Windows process (its title changes).
    for _ in $(seq 1 600); do
        ps -eo args | grep -F "$tag" | grep -qiF 'c:\windows\system32\cmd.exe' && return 0
        sleep 0.1
    done
    echo "wine-env: the program that keeps the prefix alive did not start" >&2
    return 1
}

end_wine_prefix() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        "$WINESERVER" -k >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX" "$WINEPREFIX.keeper"
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
