#!/usr/bin/env bash
# Takes the guide's screenshots of the sample show: runs the program on a private 1366x768 X screen, waits
# for each moment of the show, and writes docs/images/*.png. Needs Xvfb, xdotool and ImageMagick
# (tools/setup.sh installs them).
#
# usage: docs/make-screenshots.sh [PROGRAM]    (default: build/dev/app/heartstage, with Default beside it)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
program=$(realpath "${1:-$root/build/dev/app/heartstage}")
export SCREENSHOTS="$here/images" PROGRAM="$program" SDL_AUDIODRIVER=dummy
mkdir -p "$SCREENSHOTS"

exec "$root/tests/with-xvfb.sh" 1366x768 bash -c '
  set -euo pipefail
  snap() { import -window root "$SCREENSHOTS/$1.png"; echo "  $1.png"; }
  "$PROGRAM" & pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  # The sample show: the subtitle rolls for about 10.6 s, the heart takes 8.7 s more.
  sleep 5;  snap subtitle
  sleep 10; snap painting
  sleep 8;  snap heart
  # Heart button 1 sits at the top of the heart, in the middle of the screen.
  xdotool mousemove 683 215 click 1
  sleep 1;  snap message
'
