#!/usr/bin/env bash
# Whatever the show folder holds, the show runs: for every case the stage comes up, no error box appears,
# the program stays alive and the menu still ends it with status 0 within a second.
# Usage: bad_input_test.sh GROUP   (files, texts or settings), so that CTest can run the groups side by side.
source "$(dirname "$0")/lib.sh"

group=${1:?which group of cases}
assets=(MGH_BG.gif MGH_Default.bmp MGH_Focus.bmp Subtitle.txt MsgBox.txt Config.ini Music_BG.mp3)
fast_config=$'[Love]\r\nName=Test\r\n[Delay]\r\nSubtitle=1\r\nPainting=10\r\n'

# A fresh copy of the sample show with quick delays; the case then spoils it.
fresh_show() {
  rm -rf "$work/show"
  install_program sample
  show="$work/show/Default"
  printf '%s' "$fast_config" >"$show/Config.ini"
}

# Runs the show as the case left it and checks that it lives, shows its stage and no error, and ends by the
# menu. $1 names the case.
check_show() {
  start_program
  wait_for_window >/dev/null
  sleep "${settle:-2}"
  kill -0 "$program_pid" 2>/dev/null || fail "$1: the program died: $(tail -n 5 "$work/stderr")"
  [ -z "$(xdotool search --onlyvisible --name '^heartstage$' 2>/dev/null || true)" ] || fail "$1: an error box"
  grep -q "failed while running" "$work/stderr" && fail "$1: an internal failure was reported"
  exit_through_menu "$1"
}

every_asset() {  # $1: what to put in place of each asset file, one case per kind
  local kind=$1 name
  fresh_show
  for name in "${assets[@]}"; do
    rm -f "$show/$name"
    case $kind in
      missing) ;;
      empty) : >"$show/$name" ;;
      directory) mkdir "$show/$name" ;;
      fifo) mkfifo "$show/$name" ;;
      symlink-loop) ln -s "$name" "$show/$name" ;;
      unreadable) printf 'x' >"$show/$name" && chmod 000 "$show/$name" ;;
    esac
  done
  check_show "every asset $kind"
}

case $group in
  files)
    for kind in missing empty directory fifo symlink-loop unreadable; do every_asset "$kind"; done
    install_program none && rm -rf "$work/show/Default" && check_show "no Default folder at all"

    fresh_show
    head -c 3000 "$HEARTSTAGE_SOURCE/assets/Default/MGH_BG.gif" >"$show/MGH_BG.gif"
    head -c 500 "$HEARTSTAGE_SOURCE/assets/Default/MGH_Default.bmp" >"$show/MGH_Default.bmp"
    head -c 20000 "$HEARTSTAGE_SOURCE/assets/Default/Music_BG.mp3" >"$show/Music_BG.mp3"
    check_show "truncated GIF, BMP and MP3"

    fresh_show
    for name in MGH_BG.gif MGH_Default.bmp MGH_Focus.bmp Music_BG.mp3; do
      head -c 4 "$HEARTSTAGE_SOURCE/assets/Default/$name" >"$show/$name"
      head -c 60000 /dev/urandom >>"$show/$name"
    done
    check_show "corrupt GIF, BMPs and MP3 (right signature, random body)"

    fresh_show
    # A GIF header that declares a 65535 x 65535 picture.
    printf 'GIF89a\xff\xff\xff\xff\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x00\x00\x00\x00\x00,\x00\x00\x00\x00\xff\xff\xff\xff\x00\x02\x02D\x01\x00;' \
      >"$show/MGH_BG.gif"
    check_show "a GIF declaring 65535 x 65535 pixels"

    fresh_show
    SDL_AUDIODRIVER=alsa ALSA_CONFIG_PATH=/dev/null check_show "no sound device"

    fresh_show
    mkdir -p "$work/no-fonts"
    printf '<?xml version="1.0"?>\n<fontconfig><dir>%s</dir><cachedir>%s</cachedir></fontconfig>\n' \
      "$work/no-fonts" "$work/no-fonts" >"$work/no-fonts/fonts.conf"
    FONTCONFIG_FILE="$work/no-fonts/fonts.conf" check_show "no fonts installed at all"
    ;;

  texts)
    fresh_show
    printf '第一行\n第二行\n' >"$show/Subtitle.txt"
    printf '第一条|标题\n第二条|标题\n' >"$show/MsgBox.txt"
    check_show "texts in UTF-8 with LF line ends"

    fresh_show
    printf '\xef\xbb\xbf第一行\r\n' >"$show/Subtitle.txt"
    printf '\xef\xbb\xbf第一条|标题\r\n' >"$show/MsgBox.txt"
    check_show "texts in UTF-8 with a byte-order mark"

    fresh_show
    printf 'line one\r\nline two\r\n' | iconv -t UTF-16 >"$show/Subtitle.txt"
    printf 'm|t\r\n' | iconv -t UTF-16 >"$show/MsgBox.txt"
    printf '%s' "$fast_config" | iconv -t UTF-16 >"$show/Config.ini"
    check_show "texts and settings in UTF-16"

    fresh_show
    head -c 200000 /dev/urandom >"$show/Subtitle.txt"
    head -c 200000 /dev/urandom >"$show/MsgBox.txt"
    check_show "binary garbage for texts"

    fresh_show
    # yes ends on SIGPIPE once head has enough, which is no failure here.
    (set +o pipefail; yes $'\xc4\xe3\xba\xc3 a line of the subtitle, over and over\r' | head -c 100000000) \
      >"$show/Subtitle.txt"
    (set +o pipefail; yes $'message|title\r' | head -c 100000000) >"$show/MsgBox.txt"
    settle=4 check_show "100 MB subtitle and messages"

    fresh_show
    printf '[Love]\r\nName=<b>bold</b> &amp; <i>x</i>\r\n[Delay]\r\nSubtitle=1\r\nPainting=1\r\n' >"$show/Config.ini"
    printf '<b>message</b>|<i>title</i>\r\n' >"$show/MsgBox.txt"
    start_program
    wait_for_window >/dev/null
    sleep 2.5
    xdotool mousemove $(( ${heart_x[0]} + $(screen_size | cut -dx -f1) / 2 - 400 + 70 )) \
      $(( ${heart_y[0]} + $(screen_size | cut -dx -f2) / 2 - 300 + 45 )) click 1
    box=$(timeout 5 xdotool search --sync --onlyvisible --name '^<i>title</i>$' | head -n1 || true)
    [ -n "$box" ] || fail "markup in a message: no box titled literally <i>title</i>"
    xdotool key Return
    pass "markup in a message is shown literally"
    exit_through_menu "markup in the name and messages"
    ;;

  settings)
    fresh_show
    { printf '[Love]\r\nName='; head -c 1048576 /dev/zero | tr '\0' 'n'; printf '\r\n[Delay]\r\nSubtitle=1\r\nPainting='
      head -c 1048576 /dev/zero | tr '\0' '9'; printf '\r\n'; } >"$show/Config.ini"
    check_show "settings with 1 MB lines"

    fresh_show
    printf '[Delay]\r\nSubtitle=1\r\nPainting=1\r\n[Delay]\r\nSubtitle=999999\r\n[Love]\r\nName=a\r\n[love]\r\nName=b\r\n' \
      >"$show/Config.ini"
    check_show "duplicate sections"

    fresh_show
    printf '[Delay]\r\nSubtitle=-50\r\nPainting=-1\r\nFlicker=-2147483648\r\n' >"$show/Config.ini"
    check_show "negative delays"

    for setting in Subtitle Painting Flicker; do
      fresh_show
      printf '[Delay]\r\nSubtitle=1\r\nPainting=1\r\n%s=2147483647\r\n' "$setting" >"$show/Config.ini"
      check_show "a huge $setting delay"
    done

    fresh_show
    printf '[Color]\r\nColor=16711935\r\n[Delay]\r\nSubtitle=1\r\nPainting=1\r\n' >"$show/Config.ini"
    check_show "text colour 0xFF00FF"
    ;;
esac
