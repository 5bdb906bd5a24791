#!/usr/bin/env bash
# The whole show as a viewer meets it, on the sample show's pictures with short delays: Esc does nothing
# before the heart is complete and closes the stage after; a click on button k shows line k of the
# messages; the right-click menu ends the program with status 0 within a second in every phase.
source "$(dirname "$0")/lib.sh"

# A show with the sample pictures and numbered messages; $1 = Subtitle delay, $2 = Painting delay.
prepare_show() {
  rm -rf "$work/show"
  install_program sample
  printf '[Love]\r\nName=Test\r\n[Delay]\r\nSubtitle=%s\r\nPainting=%s\r\nFlicker=100\r\n' "$1" "$2" \
    >"$work/show/Default/Config.ini"
  : >"$work/show/Default/MsgBox.txt"
  for k in $(seq 30); do printf 'message %s|title%s\r\n' "$k" "$k" >>"$work/show/Default/MsgBox.txt"; done
}

screen=$(screen_size)

# Esc during the subtitle does nothing; the menu still works there.
prepare_show 10 300
start_program
window=$(wait_for_window)
wait_for_focus "$window"
sleep 1
xdotool key Escape
sleep 0.5
kill -0 "$program_pid" 2>/dev/null || fail "Esc during the subtitle ended the program"
pass "Esc during the subtitle does nothing"
exit_through_menu "during the subtitle"

# The menu during the painting.
prepare_show 1 300
start_program
wait_for_window >/dev/null
sleep 3
exit_through_menu "during the painting"

# After the painting: clicks show their line, Esc closes, status 0.
prepare_show 1 20
start_program
window=$(wait_for_window)
wait_for_chase
for k in 1 7 16; do
  # A click that comes while the previous box is still going is taken by that box; a viewer clicks again.
  box=
  for _ in 1 2 3; do
    xdotool mousemove $(( $(button_left $k) + 70 )) $(( $(button_top $k) + 45 )) click 1
    box=$(timeout 8 xdotool search --sync --onlyvisible --name "^title$k\$" | head -n1 || true)
    [ -n "$box" ] && break
  done
  [ -n "$box" ] || fail "a click on button $k showed no box titled title$k"
  # Return closes the box once it has the keyboard; under a sanitizer that can take a while.
  wait_for_focus "$box"
  for _ in $(seq 10); do
    xdotool key Return
    sleep 0.5
    xdotool search --onlyvisible --name "^title$k\$" >/dev/null 2>&1 || break
  done
  xdotool search --onlyvisible --name "^title$k\$" >/dev/null 2>&1 && fail "the box of button $k did not close"
  pass "a click on button $k shows line $k"
done
wait_for_focus "$window"
xdotool key Escape
wait_for_exit 10
[ "$exit_status" = 0 ] || fail "Esc after the painting: exit status $exit_status"
pass "Esc after the painting closes the stage with status 0"

# The menu while the chase runs.
prepare_show 1 20
start_program
wait_for_window >/dev/null
wait_for_chase
exit_through_menu "during the chase"
