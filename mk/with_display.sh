#!/bin/sh
# Runs a command with an X display: the one $DISPLAY names, or a virtual server (Xvfb)
# started for the command and stopped after it. Xvfb chooses a free display number itself
# and writes it to a pipe once it accepts clients (-displayfd), so runs side by side never
# race for a number and no client connects before the server is ready. Its log goes to
# $XVFB_LOG when set.
set -u
if [ -n "${DISPLAY:-}" ]; then exec "$@"; fi

command -v Xvfb >/dev/null || { echo "with_display: Xvfb is not installed (Debian package xvfb)" >&2; exit 1; }
dir=$(mktemp -d)
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkfifo "$dir/ready"
Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$dir/ready" >"${XVFB_LOG:-/dev/null}" 2>&1 &
server=$!
# The pipe ends when Xvfb exits, so a server that cannot start leaves the number empty.
read -r number <"$dir/ready" || number=
if [ -z "$number" ]; then
  echo "with_display: Xvfb did not start${XVFB_LOG:+ (see $XVFB_LOG)}" >&2
  exit 1
fi
DISPLAY=":$number" "$@"
