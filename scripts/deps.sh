#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the savers need, when
# any of them is missing, and the packages named as arguments (scripts/fuzz.sh
# adds clang). Safe to run again: it does nothing when all are there.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-ttf-dev libopenmpt-dev libpng-dev libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  desktop-file-utils libxml2-utils
  fonts-dejavu-core fonts-dejavu-extra
  # The desktop tests: an X server, a window manager, input and a real screen-saver host.
  xvfb openbox xdotool xscreensaver x11-xserver-utils libxfixes-dev
  # Two monitors: the X.Org server on its dummy video driver.
  xserver-xorg-core xserver-xorg-video-dummy
)
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
