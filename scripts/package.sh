#!/usr/bin/env bash
# Builds the release packages from the shipped (x86) program folder:
#   build/package/OrvaneScheduledRestart-<version>.zip  the folder, with SHA256SUMS inside
#   build/package/OrvaneScheduledRestart-<version>.msi  installs it under Program Files
#   build/package/SHA256SUMS                            of both packages
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target OrvaneScheduledRestart OrvaneMsiActions
version=$(sed -n 's/^#define ORV_VERSION_TEXT "\(.*\)"$/\1/p' build/windows/generated/version.h)
program=build/windows/program
out=build/package
rm -rf "$out"
mkdir -p "$out"
name=OrvaneScheduledRestart-$version
python3 - "$program" "$out/$name.zip" "$name" <<'PY'
import hashlib, os, sys, zipfile
folder, target, top = sys.argv[1:]
files = sorted(f for f in os.listdir(folder) if os.path.isfile(os.path.join(folder, f)))
sums = "".join(f"{hashlib.sha256(open(os.path.join(folder, f), 'rb').read()).hexdigest()}  {f}\n" for f in files)
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as z:
    for f in files:
        z.write(os.path.join(folder, f), f"{top}/{f}")
    z.writestr(f"{top}/SHA256SUMS", sums)
PY
wixl -a x86 -D Version="$version" -D SourceDir="$program" -D ActionsDll=build/windows/msiactions/OrvaneMsiActions.dll -o "$out/$name.msi" packaging/OrvaneScheduledRestart.wxs \
    2> >(grep -v -e '^$' -e 'GLib-GObject-WARNING' >&2)
(cd "$out" && sha256sum "$name.zip" "$name.msi" > SHA256SUMS)
ls -l "$out"
