#!/usr/bin/env bash
# A viewer's journey through the show, read off the screen: the subtitle rises and leaves, the 30 buttons
# stand at the heart's places, the name shows in the centre in the configured colour, a double-click
# pauses the running light and another resumes it, and the menu ends the show with status 0.
# The buttons are distinctive: a blue square (lit: yellow) in the middle of a magenta picture.
source "$(dirname "$0")/lib.sh"

screen=$(screen_size)
width=${screen%x*}
height=${screen#*x}

install_program sample
show="$work/show/Default"
convert -size 100x100 xc:'#FF00FF' -fill '#0000FF' -draw 'rectangle 30,30 69,69' "BMP3:$show/MGH_Default.bmp"
convert -size 100x100 xc:'#FF00FF' -fill '#FFFF00' -draw 'rectangle 30,30 69,69' "BMP3:$show/MGH_Focus.bmp"
# Three lines of solid squares ("■", A1 F6 in GBK) and a name, all in pure green.
printf '\xa1\xf6\xa1\xf6\xa1\xf6\r\n\xa1\xf6\xa1\xf6\r\n\xa1\xf6\r\n' >"$show/Subtitle.txt"
printf '[Love]\r\nName=\xa1\xf6\xa1\xf6\xa1\xf6\xa1\xf6\r\n[Color]\r\nColor=65280\r\n[Delay]\r\nSubtitle=3\r\nPainting=40\r\nFlicker=150\r\n' \
  >"$show/Config.ini"

start_program
wait_for_window >/dev/null
sleep 1
screenshot "$work/rising.png"
[ -n "$(windows_with_role SubtitleWindow)" ] || fail "no subtitle overlay while the subtitle should rise"
green=$(count_colour "$work/rising.png" "${width}x${height}+0+0" 00FF00)
[ "$green" -gt 50 ] || fail "no subtitle letters on screen while it rises ($green green pixels)"
pass "the subtitle rises ($green pixels of its letters on screen)"

# The end of the show's sequence starts the chase; by then the name shows.
wait_for_chase
sleep 0.3
screenshot "$work/done.png"
name_box="344x32+$((width / 2 - 172))+$((height / 2 - 16))"
[ "$(count_colour "$work/done.png" "$name_box" 00FF00)" -gt 20 ] || fail "the name does not show in the centre"
pass "the name shows in the centre in the configured colour"
[ -z "$(windows_with_role SubtitleWindow)" ] || fail "the subtitle overlay is still there after the painting"
pass "the subtitle has left and its overlay is gone"

# The middles of the 30 buttons' squares that lie on the screen.
centres=""
for k in $(seq 30); do
  x=$(($(button_left "$k") + 50))
  y=$(($(button_top "$k") + 50))
  [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ "$x" -lt "$width" ] && [ "$y" -lt "$height" ] && centres+="$x,$y "
done

# Every button's square where the heart's place for it says, unlit (blue) or lit (yellow).
screenshot "$work/heart.png"
k=0
for colour in $(pixels "$work/heart.png" "$centres"); do
  k=$((k + 1))
  [ "$colour" = 0000FF ] || [ "$colour" = FFFF00 ] || fail "square $k of the heart: colour $colour, not its square"
done
[ "$k" -ge 27 ] || fail "only $k buttons' squares lie on the screen"
pass "the buttons stand at the heart's places ($k squares on screen checked)"

# The light runs; lit buttons counted at the squares' middles.
lit_count() { pixels "$1" "$centres" | grep -c FFFF00 || true; }
lit_seen=0
for i in 1 2 3 4; do
  screenshot "$work/running$i.png"
  lit_seen=$((lit_seen + $(lit_count "$work/running$i.png")))
  sleep 0.2
done
[ "$lit_seen" -ge 2 ] || fail "the light does not run ($lit_seen lit buttons in 4 screenshots)"
pass "the light runs round the heart"

xdotool mousemove 20 20 click --repeat 2 --delay 80 1
sleep 0.6
for i in 1 2; do
  screenshot "$work/paused$i.png"
  [ "$(lit_count "$work/paused$i.png")" = 0 ] || fail "a button is still lit after the double-click"
  sleep 0.4
done
pass "a double-click on the background stops the light, every button unlit"

xdotool mousemove 20 20 click --repeat 2 --delay 80 1
lit_seen=0
for i in 1 2 3 4 5; do
  sleep 0.2
  screenshot "$work/resumed$i.png"
  lit_seen=$((lit_seen + $(lit_count "$work/resumed$i.png")))
done
[ "$lit_seen" -ge 2 ] || fail "another double-click did not resume the light"
pass "another double-click resumes it"

exit_through_menu "after the show"
