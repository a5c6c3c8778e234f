#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the program need.
# Skips apt entirely when everything is already there.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsdl2-dev libpulse-dev libpipewire-0.3-dev
  libgtest-dev libgmock-dev
  fonts-dejavu-core fonts-liberation
  pulseaudio pulseaudio-utils stress-ng
  pipewire pipewire-bin wireplumber pipewire-pulse dbus dbus-daemon
  xvfb xauth
  shared-mime-info desktop-file-utils xdg-utils libglib2.0-bin
  clang libclang-rt-14-dev
  libcups2-dev cups printer-driver-cups-pdf poppler-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
