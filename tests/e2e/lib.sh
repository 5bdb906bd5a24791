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

screen_size() { xdpyinfo | awk '/dimensions:/ {print $2}'; }

# "WIDTHxHEIGHT+X+Y" of a window, from xwininfo.
window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print w "x" h "+" x "+" y}'
}
