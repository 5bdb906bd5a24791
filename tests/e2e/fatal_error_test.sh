#!/usr/bin/env bash
# An internal failure (here memory running out while the show is read: a subtitle larger than the address
# space the program may use) shows an error box naming it, runs no clean-up and ends with status 255 (-1).
source "$(dirname "$0")/lib.sh"

install_program none
mkdir -p "$work/show/Default"
truncate -s 3G "$work/show/Default/Subtitle.txt"  # sparse: costs no disk
(ulimit -v 2000000 && cd / && exec "$work/show/heartstage" >"$work/stdout" 2>"$work/stderr") &
program_pid=$!

box=$(xdotool search --sync --onlyvisible --name '^heartstage$' | head -n1)
grep -q "heartstage failed while running: out of memory." "$work/stderr" || fail "the failure is not named"
sleep 0.5
kill -0 "$program_pid" 2>/dev/null || fail "the program ended before its error box was closed"
pass "the error box names the failure and waits"

wait_for_focus "$box"
xdotool key Return
wait_for_exit 10
[ "$exit_status" = 255 ] || fail "exit status $exit_status after the error box, not 255"
pass "closing the error box ends the program with status 255"
