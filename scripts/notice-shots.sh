#!/usr/bin/env bash
# Screenshots of the notice a reboot run sends to the other sessions, in
# English, German and Japanese, as a message box shows it (Wine has no
# sessions to send it to): build/notice-ENU.png, -DEU.png, -JPN.png.
# Usage: scripts/notice-shots.sh   (after a build of the x64 preset)
set -euo pipefail
cd "$(dirname "$0")/.."
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -euo pipefail
    . scripts/wine-env.sh
    new_wine_prefix
    folder=$("$WINE64" winepath -w "$PWD/build/windows-x64/program" 2>/dev/null | tr -d "\r")
    for lang in "" DEU JPN; do
        # Wine'\''s message box font has no Japanese glyphs; a Japanese Windows uses a Japanese one.
        [ "$lang" = JPN ] && "$WINE64" reg add "HKCU\\Software\\Wine\\Fonts\\Replacements" /v Tahoma /d IPAGothic /f >/dev/null 2>&1
        "$WINE64" build/windows-x64/tests/noticebox.exe "$folder" $lang >/dev/null 2>&1 &
        sleep 4
        xwd -root -silent | convert xwd:- -trim "build/notice-${lang:-ENU}.png"
        echo "build/notice-${lang:-ENU}.png"
        "$WINESERVER" -k >/dev/null 2>&1 || true
        wait || true
    done
'
