#!/usr/bin/env bash
# cmake --install makes a portable folder: the program, the checker and the sample show side by side, the
# guide, the icon and a desktop entry naming the folder. The checker run from there finds the show sound, and
# add-to-menu.sh points the menu at the folder after it has been moved.
# usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/heartstage" >/dev/null
folder="$work/heartstage"
for file in heartstage heartstage-check add-to-menu.sh; do [ -x "$folder/$file" ] || fail "no program $file"; done
for file in Default/Config.ini Default/MsgBox.txt Default/Subtitle.txt Default/MGH_BG.gif Default/MGH_Default.bmp \
  Default/MGH_Focus.bmp Default/Music_BG.mp3 PREPARING-A-SHOW.md images/heart.png heartstage.png; do
  [ -s "$folder/$file" ] || fail "no $file"
done
grep -qx "Exec=\"$folder/heartstage\"" "$folder/heartstage.desktop" || fail "the desktop entry runs another program"
grep -qx "Icon=$folder/heartstage.png" "$folder/heartstage.desktop" || fail "the desktop entry shows another icon"
# Every picture the guide shows is in the folder.
for picture in $(grep -o 'images/[a-z-]*\.png' "$folder/PREPARING-A-SHOW.md" | sort -u); do
  [ -s "$folder/$picture" ] || fail "the guide shows $picture, which is not installed"
done

# Moved, the folder still checks its own show, started from elsewhere.
mv "$folder" "$work/moved"
(cd / && "$work/moved/heartstage-check" >"$work/report") || fail "the moved checker did not find the show sound: $(cat "$work/report")"
grep -q "The show in $work/moved/Default" "$work/report" || fail "the moved checker checked another folder"

HOME="$work/home" XDG_DATA_HOME= "$work/moved/add-to-menu.sh" >/dev/null
entry="$work/home/.local/share/applications/heartstage.desktop"
grep -qx "Exec=\"$work/moved/heartstage\"" "$entry" || fail "the menu entry does not run the moved program"
grep -qx "Icon=$work/moved/heartstage.png" "$entry" || fail "the menu entry does not show the moved icon"
echo "ok: installed, moved, checked sound, added to the menu"
