#!/usr/bin/env bash
# Installs the Debian packages the program needs:
#   tools/install-deps.sh run    what building and running the program take (the default)
#   tools/install-deps.sh test   those, and the tools the tests, benches and fuzzing use
# Skips apt entirely when everything is already there.
set -euo pipefail
run_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsdl2-dev libpulse-dev libpipewire-0.3-dev libcups2-dev
  fonts-dejavu-core fonts-liberation
  shared-mime-info desktop-file-utils xdg-utils
)
test_packages=(
  libgtest-dev libgmock-dev
  pulseaudio pulseaudio-utils stress-ng
  pipewire pipewire-bin wireplumber pipewire-pulse dbus dbus-daemon
  xvfb xauth xdotool
  libglib2.0-bin
  clang libclang-rt-14-dev
  # the print tests' own scheduler: cupsd, its commands and its PDF page filter; its queues
  # write files, so no printer driver
  cups-daemon cups-client cups-filters-core-drivers poppler-utils
)
case "${1:-run}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac
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
