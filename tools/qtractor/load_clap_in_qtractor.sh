#!/bin/sh
# Loads Tolvanger.clap in Qtractor, a real CLAP host, and opens its editor, on a virtual
# display of its own: a JACK server with the dummy driver, a stand-in for the ALSA
# sequencer (preloaded; these machines have no /dev/snd/seq and the session has no MIDI),
# a session file with the plug-in on an audio track, a double click on the plug-in in the
# track list, and then the window tree, Qtractor's messages and a picture of the screen.
#
#   tools/qtractor/load_clap_in_qtractor.sh [Tolvanger.clap] [output folder]
#
# Defaults: build/Tolvanger.clap and build/qtractor-check. Needs the Debian packages
# qtractor jackd2 xvfb xdotool x11-utils, and gcc, pkg-config, libx11-dev and libcairo2-dev
# (which the build needs anyway). Not part of `make test`: Qtractor and JACK are no build
# dependencies. Exits 0 when the editor's window showed inside Qtractor's.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

# A display of our own, so that the picture shows nothing but Qtractor.
if [ "${TOLVANGER_QTRACTOR_INSIDE:-}" != 1 ]; then
  TOLVANGER_QTRACTOR_INSIDE=1 exec env -u DISPLAY "$root/mk/with_display.sh" "$0" "$@"
fi

plugin=$(realpath "${1:-$root/build/Tolvanger.clap}")
out=$(mkdir -p "${2:-$root/build/qtractor-check}" && cd "${2:-$root/build/qtractor-check}" && pwd)

missing=""
for tool in qtractor jackd jack_lsp xdotool xwininfo gcc pkg-config; do
  command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
  echo "load_clap_in_qtractor: missing:$missing" >&2
  echo "  apt-get install qtractor jackd2 xvfb xdotool x11-utils gcc pkg-config libx11-dev libcairo2-dev" >&2
  exit 2
fi
[ -f "$plugin" ] || { echo "load_clap_in_qtractor: no plug-in at $plugin" >&2; exit 2; }

work=$(mktemp -d)
jack=
qtractor=
stop() {
  # Qtractor first, while its JACK server still answers; each gets five seconds.
  for pid in $qtractor $jack; do
    kill "$pid" 2>/dev/null || continue
    n=0
    while kill -0 "$pid" 2>/dev/null && [ $n -lt 50 ]; do sleep 0.1; n=$((n + 1)); done
    kill -9 "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 130' INT TERM

# Qtractor keeps its settings in the home folder: a fresh one, so that no earlier run or
# user setting changes what it does.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
export JACK_DEFAULT_SERVER="tolvanger-qtractor-$$" JACK_NO_AUDIO_RESERVATION=1
mkdir -p "$HOME/.clap" "$XDG_RUNTIME_DIR" "$work/session"
chmod 700 "$XDG_RUNTIME_DIR"
# Where `make install` puts it.
cp "$plugin" "$HOME/.clap/Tolvanger.clap"

gcc -shared -fPIC -O2 -o "$work/alsa_seq_standin.so" "$here/alsa_seq_standin.c"
# shellcheck disable=SC2046 # pkg-config's words are separate arguments
gcc -O2 -o "$work/screen_to_png" "$here/screen_to_png.c" $(pkg-config --cflags --libs x11 cairo)

echo "== JACK, dummy driver, 48 kHz, 1024 frames"
jackd --no-realtime -d dummy -r 48000 -p 1024 >"$out/jackd.log" 2>&1 &
jack=$!
n=0
until jack_lsp >/dev/null 2>&1; do
  n=$((n + 1))
  if [ $n -ge 100 ] || ! kill -0 "$jack" 2>/dev/null; then
    cat "$out/jackd.log"
    echo "JACK did not start" >&2
    exit 1
  fi
  sleep 0.1
done

# One stereo audio track through the Master bus, the plug-in on it, switched on.
cat >"$work/session/tolvanger.qtr" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE qtractorSession>
<session name="tolvanger" version="0.9.31">
 <properties>
  <directory>$work/session</directory>
  <sample-rate>48000</sample-rate>
  <tempo>120</tempo>
  <ticks-per-beat>960</ticks-per-beat>
  <beats-per-bar>4</beats-per-bar>
  <beat-divisor>2</beat-divisor>
 </properties>
 <devices>
  <audio-engine>
   <audio-bus name="Master" mode="duplex">
    <monitor>0</monitor>
    <channels>2</channels>
    <auto-connect>0</auto-connect>
   </audio-bus>
  </audio-engine>
 </devices>
 <tracks>
  <track name="Mastering" type="audio">
   <properties>
    <input-bus>Master</input-bus>
    <output-bus>Master</output-bus>
   </properties>
   <state>
    <mute>0</mute>
    <solo>0</solo>
    <record>0</record>
    <monitor>1</monitor>
    <gain>1</gain>
    <panning>0</panning>
   </state>
   <plugins>
    <plugin type="CLAP">
     <filename>$HOME/.clap/Tolvanger.clap</filename>
     <index>0</index>
     <label>Tolvanger</label>
     <activated>1</activated>
     <configs/>
     <params/>
    </plugin>
   </plugins>
   <clips/>
  </track>
 </tracks>
</session>
EOF
cp "$work/session/tolvanger.qtr" "$out/tolvanger.qtr"

echo "== Qtractor $(dpkg-query -W -f='${Version}' qtractor 2>/dev/null || echo '?') with the session"
LD_PRELOAD="$work/alsa_seq_standin.so" qtractor "$work/session/tolvanger.qtr" >"$out/qtractor.log" 2>&1 &
qtractor=$!
if ! timeout 60 xdotool search --sync --limit 1 --name 'tolvanger\.qtr' >/dev/null 2>&1 ||
  ! kill -0 "$qtractor" 2>/dev/null; then
  cat "$out/qtractor.log"
  echo "Qtractor did not open the session" >&2
  exit 1
fi
sleep 2
echo "JACK ports of Qtractor:"
jack_lsp | grep -i qtractor | sed 's/^/  /'

# The plug-in's entry in the track list's plug-in box (a fresh Qtractor's layout; the
# place may be given in TOLVANGER_QTRACTOR_CLICK as "x y"). A double click opens the
# editor of a plug-in that has one.
main=$(xdotool search --limit 1 --name 'tolvanger\.qtr')
# shellcheck disable=SC2086 # two numbers
set -- ${TOLVANGER_QTRACTOR_CLICK:-182 180}
xdotool mousemove --window "$main" "$1" "$2" click --repeat 2 --delay 80 1
editor=
n=0
while [ -z "$editor" ] && [ $n -lt 100 ]; do
  editor=$(xdotool search --limit 1 --name '^Tolvanger' 2>/dev/null || true)
  [ -n "$editor" ] || sleep 0.1
  n=$((n + 1))
done
# Time for the first paints.
sleep 3
"$work/screen_to_png" "$out/qtractor-tolvanger.png"

echo "Windows:"
xwininfo -root -tree | grep -E '"Tolvanger|tolvanger\.qtr' | sed 's/^ */  /'
if [ -n "$editor" ]; then
  echo "Inside the editor's window:"
  xwininfo -children -id "$editor" | grep -E '^ +0x' | sed 's/^ */  /'
fi
echo "Qtractor's messages:"
grep -iv 'xrun' "$out/qtractor.log" | sed 's/^/  /' || true
echo "Picture: $out/qtractor-tolvanger.png"

if [ -z "$editor" ]; then
  echo "FAILED: no editor window appeared" >&2
  exit 1
fi
# The editor's own window, 890 by 550, inside the host's.
if ! xwininfo -children -id "$editor" | grep -q ' 890x550+'; then
  echo "FAILED: the editor window holds no 890x550 view" >&2
  exit 1
fi
kill -0 "$qtractor" 2>/dev/null || { echo "FAILED: Qtractor is gone" >&2; exit 1; }
echo "OK: Qtractor shows the Tolvanger editor"
