#!/bin/sh
# Shows a real LV2 host listing and loading the factory presets: jalv (Debian package jalv)
# runs the built bundle on a JACK server of its own (jackd2's dummy driver, no sound card),
# is asked for its "presets" list, loads one with "preset URI" and prints the control values.
# Prints what jalv printed; exits non-zero when jalv lists another number of presets than the
# bundle holds, or the loaded preset's values are not in its controls. Not part of `make test`:
# jalv takes its commands from a terminal, here a pipe fed a second apart.
#   tools/jalv_presets_check.sh [build folder]     (default: build)
set -eu
build=$(cd "${1:-build}" && pwd)
bundle=$build/tolvanger.lv2
[ -f "$bundle/presets.ttl" ] || { echo "no LV2 bundle with presets in $build" >&2; exit 1; }
for tool in jalv jackd; do
  command -v $tool >/dev/null || { echo "$tool is missing (Debian packages jalv jackd2)" >&2; exit 1; }
done
scratch=$(mktemp -d)
server="tolvanger-check-$$"
jackd -n "$server" -d dummy -r 48000 -p 256 >"$scratch/jackd.log" 2>&1 &
jack=$!
trap 'kill $jack 2>/dev/null; wait $jack 2>/dev/null; rm -rf "$scratch"' EXIT
mkdir -p "$scratch/lv2"
ln -s "$bundle" "$scratch/lv2/tolvanger.lv2"
sleep 2

uri=urn:calder-forges:tolvanger
chosen=$uri:preset:drum_punch
(sleep 2; echo presets; sleep 1; echo "preset $chosen"; sleep 1; echo controls; sleep 1) |
  JACK_DEFAULT_SERVER="$server" LV2_PATH="$scratch/lv2" jalv -n tolvanger-check "$uri" >"$scratch/jalv.txt" 2>&1 || true
cat "$scratch/jalv.txt"

listed=$(grep -c "^> *$uri:preset:\|^$uri:preset:" "$scratch/jalv.txt" || true)
held=$(grep -c 'a pset:Preset' "$bundle/presets.ttl")
echo "== jalv listed $listed presets; the bundle holds $held"
[ "$listed" = "$held" ] || exit 1
# Drum Punch: Inertia 0.2 and Punch on, unlike the defaults (0.5, off).
grep -q '^inertia = 0.200000' "$scratch/jalv.txt" && grep -q '^punch = 1.000000' "$scratch/jalv.txt" ||
  { echo "the loaded preset's values are not in jalv's controls" >&2; exit 1; }
echo "== jalv loaded $chosen"
