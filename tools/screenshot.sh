#!/usr/bin/env bash
# Starts the program in a virtual X server and saves a screenshot of its window.
#   tools/screenshot.sh OUT.png [program arguments...]
# Needs xvfb and imagemagick (apt-get install xvfb imagemagick x11-utils). Uses build/src/Strumwell
# unless STRUMWELL_BIN names another binary.
set -euo pipefail
out=${1:?usage: screenshot.sh OUT.png [args...]}; shift
bin=${STRUMWELL_BIN:-$(dirname "$0")/../build/src/Strumwell}
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x700x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
sleep 0.5
DISPLAY=$display "$bin" "$@" &
app=$!
sleep "${STRUMWELL_SHOT_DELAY:-2}"
DISPLAY=$display import -window root "$out"
echo "saved $out"
