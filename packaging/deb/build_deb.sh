#!/bin/sh
# Builds the Debian package from a configured and built CMake tree:
#   packaging/deb/build_deb.sh BUILD_DIR OUTPUT_DIR
# The CMake install components are staged the way Debian lays them out, the binaries are
# stripped as debhelper strips them, the manual page is made from the renderer's --help
# (help2man), the dependencies are computed by dpkg-shlibdeps, and dpkg-deb writes
# OUTPUT_DIR/tolvanger_VERSION_amd64.deb.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
version=$(cat "$build/version.txt")
work="$build/deb"
root="$work/debian/tolvanger"
rm -rf "$work"
mkdir -p "$root/DEBIAN"

cmake --install "$build" --component vst --prefix "$root/usr/lib/vst" >/dev/null
cmake --install "$build" --component lv2 --prefix "$root/usr/lib/lv2" >/dev/null
cmake --install "$build" --component vst3 --prefix "$root/usr/lib/vst3" >/dev/null
cmake --install "$build" --component clap --prefix "$root/usr/lib/clap" >/dev/null
cmake --install "$build" --component render --prefix "$root/usr" >/dev/null
# The factory presets are kept once, in /usr/share/tolvanger/presets; the folder beside the
# VST 2.4 plug-in, where hosts' file dialogs start, links to it.
rm -r "$root/usr/lib/vst/tolvanger_presets"
ln -s ../../share/tolvanger/presets "$root/usr/lib/vst/tolvanger_presets"
find "$root/usr" -type d -empty -delete

binaries=$(find "$root/usr" -type f \( -name '*.so' -o -name '*.clap' -o -path '*/bin/*' \))
# shellcheck disable=SC2086
strip --strip-unneeded --remove-section=.comment --remove-section=.note $binaries

doc="$root/usr/share/doc/tolvanger"
mkdir -p "$doc" "$root/usr/share/man/man1"
cp "$here/copyright" "$doc/copyright"
date=$(git -C "$here" log -1 --format=%aD 2>/dev/null || date -R)
printf 'tolvanger (%s) unstable; urgency=medium\n\n  * Release %s.\n\n -- %s  %s\n' \
  "$version" "$version" "Calder Forges <packages@calderforges.example>" "$date" | gzip -9n >"$doc/changelog.gz"
help2man --no-info --section 1 --name "render audio files through the Tolvanger mastering processor" \
  "$root/usr/bin/tolvanger-render" | gzip -9n >"$root/usr/share/man/man1/tolvanger-render.1.gz"

find "$root" -type d -exec chmod 755 {} +
find "$root/usr" -type f -exec chmod 644 {} +
chmod 755 "$root"/usr/bin/*

mkdir -p "$work/debian"
printf 'Source: tolvanger\n\nPackage: tolvanger\nArchitecture: any\n' >"$work/debian/control"
# shellcheck disable=SC2086
depends=$(cd "$work" && dpkg-shlibdeps -O $binaries | sed -n 's/^shlibs:Depends=//p')
size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@INSTALLED_SIZE@/$size/" -e "s/@DEPENDS@/$depends/" \
  "$here/control.in" >"$root/DEBIAN/control"
(cd "$root" && find usr -type f -exec md5sum {} + | sort -k2) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

dpkg-deb --root-owner-group -Zxz --build "$root" "$out/tolvanger_${version}_amd64.deb"
