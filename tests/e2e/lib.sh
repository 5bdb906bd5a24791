# Shared steps of the end-to-end tests: a show folder of the test's own, starting the real program beside
# it, finding its windows and waiting for it to end. Sourced by the test scripts.
set -euo pipefail

: "${HEARTSTAGE_BINARY:?the program under test}"
: "${HEARTSTAGE_SOURCE:?the source tree}"

work=$(mktemp -d)
program_pid=
trap 'cleanup_test' EXIT

cleanup_test() {
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then kill -9 "$program_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

pass() { echo "ok: $*"; }

# A copy of the program in a folder of its own, with the sample show (or none) beside it.
install_program() {
  local with_show=${1:-sample}
  mkdir -p "$work/show"
  cp "$HEARTSTAGE_BINARY" "$work/show/heartstage"
  if [ "$with_show" = sample ]; then cp -r "$HEARTSTAGE_SOURCE/assets/Default" "$work/show/Default"; fi
}

# Starts the program from another working directory, as a desktop launcher would.
start_program() {
  (cd / && exec "$work/show/heartstage" >"$work/stdout" 2>"$work/stderr") &
  program_pid=$!
}

# The program's mapped top-level window whose role (the form's name) is $1, default MainWindow, waiting up to
# 10 s for it.
wait_for_window() {
  local role=${1:-MainWindow} window
  for _ in $(seq 200); do
    for window in $(xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null || true); do
      if xprop -id "$window" WM_WINDOW_ROLE 2>/dev/null | grep -q "= \"$role\""; then
        echo "$window"
        return 0
      fi
    done
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended before showing $role: $(cat "$work/stderr")"
    sleep 0.05
  done
  fail "no $role window within 10 s"
}

# Waits until the window has the keyboard focus: the stage is up and takes input.
wait_for_focus() {
  for _ in $(seq 200); do
    [ "$(xdotool getwindowfocus 2>/dev/null || true)" = "$1" ] && return 0
    sleep 0.05
  done
  fail "window $1 did not get the focus within 10 s"
}

# Asks the window to close as a window manager's close button does, and again once a second while the program
# runs: an X server drops the odd client message sent in the instant a window is first activated.
close_until_ended() {
  for _ in 1 2 3; do
    "$HEARTSTAGE_CLOSE_WINDOW" "$1"
    for _ in $(seq 20); do
      kill -0 "$program_pid" 2>/dev/null || return 0
      sleep 0.05
    done
  done
}

# Waits up to $1 seconds for the program to end and puts its exit status in exit_status. Not to be called
# in a subshell: only the shell that started the program can collect its status.
wait_for_exit() {
  local seconds=$1
  for _ in $(seq $((seconds * 20))); do
    if ! kill -0 "$program_pid" 2>/dev/null; then
      exit_status=0
      wait "$program_pid" || exit_status=$?
      program_pid=
      return 0
    fi
    sleep 0.05
  done
  cat "$work/stderr" >&2
  fail "the program did not end within $seconds s"
}

# How long an ending may take: a second, or more where a sanitizer's own check at exit runs first.
exit_budget_ms=${HEARTSTAGE_EXIT_BUDGET_MS:-1000}

# The number of chase workers the program runs now (they are named "chase").
chase_workers() { cat /proc/"$program_pid"/task/*/comm 2>/dev/null | grep -c '^chase$' || true; }

# Waits up to 60 s for the end of the show's sequence, which starts the chase.
wait_for_chase() {
  for _ in $(seq 600); do
    [ "$(chase_workers)" -ge 1 ] && return 0
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended before the chase: $(tail -n 5 "$work/stderr")"
    sleep 0.1
  done
  fail "the chase did not start within 60 s"
}

screen_size() { xdpyinfo | awk '/dimensions:/ {print $2}'; }

# "WIDTHxHEIGHT+X+Y" of a window, from xwininfo.
window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print w "x" h "+" x "+" y}'
}

# A screenshot of the whole screen to the PNG file $1.
screenshot() { import -window root "$1"; }

# The colour of pixel ($2, $3) of screenshot $1 as RRGGBB.
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }

# The colours (RRGGBB, one per line) of the pixels "x,y x,y ..." ($2) of screenshot $1, in one pass.
pixels() {
  local format="" point
  for point in $2; do format+="%[hex:p{$point}]\n"; done
  convert "$1" -format "$format" info: | cut -c1-6
}

# How many pixels of screenshot $1 inside the rectangle WxH+X+Y ($2) have the colour #RRGGBB ($3).
count_colour() {
  convert "$1" -crop "$2" +repage -fill black +opaque "#$3" -fill white -opaque "#$3" \
    -format '%[fx:round(mean*w*h)]' info:
}

# The program's windows with role $1 that are on screen.
windows_with_role() {
  local window
  for window in $(xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null || true); do
    xprop -id "$window" WM_WINDOW_ROLE 2>/dev/null | grep -q "= \"$1\"" && echo "$window"
  done
  return 0
}

# Right-clicks the background at (20, 20) and picks the menu's only item, 3 px right of and below the
# cursor; the program must be gone with status 0 within a second of the pick. $1 names the situation.
exit_through_menu() {
  xdotool mousemove 20 20 click 3
  sleep 0.4
  xdotool mousemove 40 33 click 1
  local picked
  picked=$(date +%s%N)
  wait_for_exit 5
  local took=$((($(date +%s%N) - picked) / 1000000))
  [ "$exit_status" = 0 ] || fail "$1: exit status $exit_status after the menu: $(tail -n 5 "$work/stderr")"
  [ "$took" -le "$exit_budget_ms" ] || fail "$1: the program took $took ms to end after the menu"
  pass "$1: the menu ends the program with status 0 in $took ms"
}

# The place of heart point k's button on the current screen: the table's corner plus the offset of the
# 800 x 600 reference area centred on the screen (truncated toward zero, as the show does).
heart_x=(342 307 250 168 97 48 20 12 19 49 100 160 221 277 324 345 389 433 489 551 610 659 674 674 671 644 595 518 451 400)
heart_y=(81 23 -23 -41 -19 31 93 157 220 278 327 367 404 449 491 540 485 436 388 348 301 250 192 132 77 26 -20 -37 -25 22)
place_coordinate() { awk -v c="$1" -v s="$2" -v o="$3" 'BEGIN { v = (c + s / 2) - o; printf "%d", (v < 0 ? -int(-v) : int(v)) }'; }
button_left() { place_coordinate "${heart_x[$1 - 1]}" "${screen%x*}" 400; }
button_top() { place_coordinate "${heart_y[$1 - 1]}" "${screen#*x}" 300; }
