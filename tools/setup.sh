#!/usr/bin/env bash
# Installs what the build, the show and the tests need from Debian 12's packages, only where missing, and
# any further packages named on the command line. Run as root or as a user who may use sudo.
set -euo pipefail

packages=(
  # building
  cmake g++ ninja-build pkg-config
  # the program: Qt 6 widgets with the X11 platform, the song, a Song-style Chinese font
  qt6-base-dev qt6-qpa-plugins libsdl2-mixer-dev libmpg123-dev fonts-arphic-uming
  # the tests: a private X server, input and screenshots, window queries
  libgtest-dev libxcb1-dev xvfb xdotool x11-utils imagemagick
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root=()
  [ "$(id -u)" = 0 ] || as_root=(sudo)
  "${as_root[@]}" apt-get update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
