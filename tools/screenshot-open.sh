#!/usr/bin/env bash
# Starts the program under Xvfb with a song file as its command line, as a file manager would,
# and saves a screenshot once the song is on the sheet (the open pauses about 5 s).
#   tools/screenshot-open.sh OUT.png [song.swl]
# The song is copied to a name with a blank and passed unquoted, so the program gets two
# arguments and must join them into the one path. Registration goes to a temporary XDG home.
# Uses build/src/Strumwell unless STRUMWELL_BIN names another binary; needs what
# tools/screenshot.sh needs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: screenshot-open.sh OUT.png [song.swl]}
song=${2:-$root/tests/fixtures/three_page_v25.swl}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp "$song" "$home/My Song.swl"
export XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data
export STRUMWELL_BIN=${STRUMWELL_BIN:-$root/build/src/Strumwell}
export STRUMWELL_SHOT_DELAY=${STRUMWELL_SHOT_DELAY:-8}
# shellcheck disable=SC2086  # split on purpose: "My" and "Song.swl" arrive as two arguments
"$root/tools/screenshot.sh" "$out" $home/My Song.swl
