#!/usr/bin/env bash
# The program starts from any working directory, covers the whole screen with one borderless window, runs
# until that window is closed and then exits with status 0; without a Default folder it still runs.
source "$(dirname "$0")/lib.sh"

for show in sample none; do
  install_program "$show"
  start_program
  window=$(wait_for_window)
  size=$(screen_size)
  geometry=$(window_geometry "$window")
  [ "$geometry" = "$size+0+0" ] || fail "$show show: window $geometry does not cover the screen $size"
  pass "$show show: the stage covers the screen ($geometry)"

  wait_for_focus "$window"
  close_until_ended "$window"
  wait_for_exit 10
  [ "$exit_status" = 0 ] || fail "$show show: exit status $exit_status after closing the window: $(cat "$work/stderr")"
  pass "$show show: closing the stage ends the program with status 0"
  rm -rf "$work/show"
done
