#!/usr/bin/env sh
# Puts heartstage in your desktop's application menu, pointing at this folder wherever it now is. Run it again
# after moving the folder; remove ~/.local/share/applications/heartstage.desktop to take it out again.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
menu="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
mkdir -p "$menu"
# The folder's path goes into sed's replacement, where & and the delimiter | would mean something else.
folder=$(printf '%s' "$here" | sed 's/[&|\\]/\\&/g')
sed -e "s|^Exec=.*|Exec=\"$folder/heartstage\"|" -e "s|^Icon=.*|Icon=$folder/heartstage.png|" \
  -e "s|^Path=.*|Path=$folder|" "$here/heartstage.desktop" >"$menu/heartstage.desktop"
echo "Added heartstage to the application menu ($menu/heartstage.desktop)."
