#!/usr/bin/env bash
# Runs a command on a private Xvfb screen: with-xvfb.sh WIDTHxHEIGHT command [arguments...]
# Xvfb picks a free display number itself (-displayfd), so tests can run side by side.
set -euo pipefail
size=$1
shift
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; wait $xvfb_pid 2>/dev/null; rm -f "$display_file"' EXIT
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  sleep 0.05
done
[ -s "$display_file" ] || { echo "with-xvfb: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$display_file")"
unset WAYLAND_DISPLAY
"$@"
