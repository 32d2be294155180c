#!/usr/bin/env bash
# Installs what the build and the tests need, when run as root on Debian;
# otherwise says plainly what is missing.
set -euo pipefail

need_pkgs=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_for() { need_pkgs+=("$1"); }

# The program is 32-bit, like the product it serves; the 64-bit build of the
# same sources is for test hosts that cannot run 32-bit code.
for arch in i686:i686 x86_64:x86-64; do
    triple=${arch%%:*}-w64-mingw32 pkg=${arch#*:}
    have "$triple-g++-posix" || pkg_for "g++-mingw-w64-$pkg-posix"
    have "$triple-windres"   || pkg_for "binutils-mingw-w64-$pkg"
    have "$triple-windmc"    || pkg_for "binutils-mingw-w64-$pkg"
done
have i686-w64-mingw32-widl        || pkg_for mingw-w64-tools
have cmake                        || pkg_for cmake
have ninja                        || pkg_for ninja-build
have g++                          || pkg_for g++
[ -f /usr/src/googletest/CMakeLists.txt ] || pkg_for googletest
{ have wine64 || [ -x /usr/lib/wine/wine64 ]; } || pkg_for wine64
# Wine's 32-bit half runs the x86 programs under WOW64 in a 64-bit prefix.
dpkg -s wine32:i386 >/dev/null 2>&1 || pkg_for wine32:i386
have xvfb-run                     || pkg_for xvfb
have xauth                        || pkg_for xauth
have xwd                          || pkg_for x11-apps
[ -x /usr/bin/convert ]           || pkg_for imagemagick
have python3                      || pkg_for python3
# The fuzz targets (clang's libFuzzer) and the MSI package.
have clang                        || pkg_for clang
compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null ||
    pkg_for "libclang-rt-$( (clang --version 2>/dev/null || echo 'version 14') | sed -n 's/.*version \([0-9]*\).*/\1/p' | head -1)-dev"
have wixl                         || pkg_for wixl
# A Japanese font: without one every Japanese text renders as boxes, and a
# Japanese window can be neither tested nor looked at. xdotool moves and
# answers windows for screenshots under Xvfb.
dpkg -s fonts-ipafont-gothic >/dev/null 2>&1 || pkg_for fonts-ipafont-gothic
have xdotool                      || pkg_for xdotool
# The German locale for the regional-settings tests.
locale -a 2>/dev/null | grep -qi '^de_DE.utf8$' || pkg_for locales

if [ ${#need_pkgs[@]} -eq 0 ]; then
    exit 0
fi
mapfile -t need_pkgs < <(printf '%s\n' "${need_pkgs[@]}" | sort -u)

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${need_pkgs[*]}" >&2
    echo "Install them with: sudo apt-get install ${need_pkgs[*]}" >&2
    exit 1
fi

echo "Installing: ${need_pkgs[*]}"
export DEBIAN_FRONTEND=noninteractive
if printf '%s\n' "${need_pkgs[@]}" | grep -q ':i386$'; then
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need_pkgs[@]}" >/dev/null
if printf '%s\n' "${need_pkgs[@]}" | grep -qx locales; then
    sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/; s/^# *en_US.UTF-8 UTF-8/en_US.UTF-8 UTF-8/' /etc/locale.gen
    locale-gen >/dev/null
fi
