#!/bin/sh
# The Debian package as a user gets it: unpacked into a scratch folder, its plug-in loaded
# through the test host by the host-level tests, its renderer run on a short file, and
# lintian's verdict.
#   tests/package_test.sh RELEASE_BUILD_DIR PACKAGE.deb
set -eu
build=$(cd "$1" && pwd)
deb=$2
version=$(cat "$build/version.txt")
scratch="$build/package-test"
rm -rf "$scratch"
mkdir -p "$scratch"
fail() {
  echo "package test: $*" >&2
  exit 1
}

dpkg-deb -x "$deb" "$scratch/root"
root="$scratch/root"
for f in usr/lib/vst/Tolvanger.so usr/lib/vst/tolvanger_gfx/bg.png usr/lib/vst/tolvanger_gfx/sliderknob.png \
  usr/bin/tolvanger-render usr/share/man/man1/tolvanger-render.1.gz usr/share/tolvanger/presets/bright_punch.fxp \
  usr/lib/vst/tolvanger_presets/bright_punch.fxp usr/lib/lv2/tolvanger.lv2/presets.ttl \
  usr/share/doc/tolvanger/copyright usr/share/doc/tolvanger/README.md usr/lib/lv2/tolvanger.lv2/manifest.ttl \
  usr/lib/lv2/tolvanger.lv2/tolvanger.ttl usr/lib/lv2/tolvanger.lv2/tolvanger_dsp.so \
  usr/lib/lv2/tolvanger.lv2/tolvanger_ui.so usr/lib/vst3/Tolvanger.vst3/Contents/x86_64-linux/Tolvanger.so \
  usr/lib/vst3/Tolvanger.vst3/Contents/x86_64-linux/tolvanger_gfx/bg.png usr/lib/clap/Tolvanger.clap; do
  [ -f "$root/$f" ] || fail "the package has no /$f"
done
dpkg-deb -f "$deb" Depends | grep -q 'libcairo2' || fail "Depends lacks the libraries the plug-in links"
! grep -q -F "$build" "$root/usr/bin/tolvanger-render" "$root/usr/lib/vst/Tolvanger.so" ||
  fail "a packaged binary refers to the build folder $build"

# The host-level tests, against the packaged library.
# The factory .fxp files are kept once, in /usr/share, and found beside the plug-in too.
[ -L "$root/usr/lib/vst/tolvanger_presets" ] || fail "the presets beside the VST 2.4 plug-in are no link to /usr/share"
TOLVANGER_TEST_PLUGIN="$root/usr/lib/vst/Tolvanger.so" TOLVANGER_TEST_PRESETS="$root/usr/lib/vst/tolvanger_presets" \
  "$build/tests/tolvanger_tests" \
  --gtest_filter='Lifecycle.*:Dispatcher.*:Parameters.*:State.*:AudioFrame.*:AudioInit.*:Vst2Presets.*' --gtest_brief=1
TOLVANGER_TEST_VST3="$root/usr/lib/vst3/Tolvanger.vst3/Contents/x86_64-linux/Tolvanger.so" "$build/tests/tolvanger_tests" \
  --gtest_filter='Vst3Factory.*:Vst3Effect.*:Vst3Parameters.*:Vst3State.*:Vst3Programs.*' --gtest_brief=1

# An LV2 host finds the packaged bundle, with every port and the editor.
LV2_PATH="$root/usr/lib/lv2" lv2info urn:calder-forges:tolvanger >"$scratch/lv2info.txt" ||
  fail "lv2info does not find the packaged bundle"
[ "$(grep -c '^[[:space:]]*Port [0-9]*:' "$scratch/lv2info.txt")" = 36 ] || fail "the packaged LV2 plug-in has not 36 ports"
grep -q 'X11UI' "$scratch/lv2info.txt" || fail "the packaged LV2 plug-in has no X11 editor"
# Its presets are the factory bank, as many as the .fxp files beside the VST 2.4 plug-in.
presets=$(find "$root/usr/share/tolvanger/presets" -name '*.fxp' | wc -l)
[ "$presets" -ge 16 ] || fail "the package holds $presets factory .fxp files"
[ "$(awk '/Presets:/ { listed = 1; next } listed && /^$/ { exit } listed { n++ } END { print n + 0 }' \
  "$scratch/lv2info.txt")" = "$presets" ] || fail "lv2info does not list the $presets factory presets of the packaged bundle"
grep -q '^[[:space:]]*Bright Punch$' "$scratch/lv2info.txt" || fail "lv2info does not name the packaged presets"

# A CLAP host finds the packaged plug-in through its one export.
[ "$(nm -D --defined-only "$root/usr/lib/clap/Tolvanger.clap" | awk '{print $3}')" = clap_entry ] ||
  fail "the packaged CLAP plug-in does not export clap_entry alone"
TOLVANGER_TEST_CLAP="$root/usr/lib/clap/Tolvanger.clap" "$build/tests/tolvanger_tests" \
  --gtest_filter='ClapEntry.*:ClapParams.*:ClapState.*:ClapPresets.*' --gtest_brief=1

# The renderer finds the plug-in beside it in the unpacked tree, as it would in /usr.
render="$root/usr/bin/tolvanger-render"
[ "$("$render" --version | head -n 1)" = "tolvanger-render $version" ] || fail "--version does not say $version"
"$build/tolvanger-demo" "$scratch/in.wav" >/dev/null
"$render" --preset "$root/usr/share/tolvanger/presets/bright_punch.fxp" "$scratch/in.wav" "$scratch/out.flac" \
  >"$scratch/report.txt"
grep -q 'latency taken out (128 samples)' "$scratch/report.txt" || fail "the renderer did not process through the plug-in"
[ -s "$scratch/out.flac" ] || fail "the renderer wrote no output"
"$render" --list-presets | grep -q '^  Bright Punch ' || fail "the renderer does not list the factory presets"

lintian --fail-on error --tag-display-limit 0 "$deb"
echo "package test: $deb passed"
