#!/usr/bin/env bash
# Packs the phone's package: build-deb.sh OUT.deb ROOT CONTROL TWEAK FILTER MODULE INFO GLYPH...
# Lays the files out under ROOT as the phone keeps them, owned by root, directories and
# executables 0755, data 0644, and packs ROOT with gzip, which the package managers of
# those phones read.
set -euo pipefail
out=$1 root=$2 control=$3 tweak=$4 filter=$5 module=$6 info=$7
shift 7

rm -rf "$root"
libraries="$root/Library/MobileSubstrate/DynamicLibraries"
bundle="$root/Library/ControlCenter/Bundles/TessaroModule.bundle"
install -d -m 0755 "$root/DEBIAN" "$libraries" "$bundle"
install -m 0644 "$control" "$root/DEBIAN/control"
install -m 0755 "$tweak" "$libraries/Tessaro.dylib"
install -m 0644 "$filter" "$libraries/Tessaro.plist"
install -m 0755 "$module" "$bundle/TessaroModule"
install -m 0644 "$info" "$bundle/Info.plist"
for glyph in "$@"; do install -m 0644 "$glyph" "$bundle/"; done
# install -d leaves the parents at the umask's modes.
find "$root" -type d -exec chmod 0755 {} +

dpkg-deb --root-owner-group -Zgzip --build "$root" "$out" >/dev/null
