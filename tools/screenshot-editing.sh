#!/usr/bin/env bash
# Writes a page by clicking the real window in a virtual X server, then saves a screenshot:
# a chord bar in crotchet entry, a bar of quavers, a bar of solo notes, and a last bar that mixes
# a crotchet note with quavers and a quaver rest; then a title, an author and lyrics.
#   tools/screenshot-editing.sh [OUT.png]
# Needs xvfb, imagemagick and xdotool (apt-get install xvfb imagemagick xdotool). Uses
# build/src/Strumwell unless STRUMWELL_BIN names another binary, and a display number of its own
# unless STRUMWELL_SHOT_DISPLAY names one (":93").
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-editing.png}
bin=${STRUMWELL_BIN:-$here/../build/src/Strumwell}
[[ -x $bin ]] || { echo "no program at $bin" >&2; exit 1; }

home=$(mktemp -d)
display=${STRUMWELL_SHOT_DISPLAY:-:$((70 + RANDOM % 20))}
Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
    [[ -n $app ]] && kill "$app" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

# A home of its own, so the file-type registration of every start stays out of the user's, and a
# sound server that is not there, so the clicks stay silent.
XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data PULSE_SERVER="unix:$home/no-sound-server" "$bin" &
app=$!
win=
for _ in $(seq 100); do
    win=$(xdotool search --onlyvisible --name "Fretlane Strumwell" 2>/dev/null | head -1 || true)
    [[ -n $win ]] && break
    sleep 0.1
done
[[ -n $win ]] || { echo "the window did not show" >&2; exit 1; }
sleep 0.5

# The client area is 11505 x 7860 twips (767 x 524 pixels) at the bottom of the window, under the
# menu bar.
eval "$(xdotool getwindowgeometry --shell "$win")"
origin_x=$X
origin_y=$((Y + HEIGHT - 7860 / 15))

# Clicks the point given in client twips.
click() {
    xdotool mousemove $((origin_x + $1 / 15)) $((origin_y + $2 / 15)) click 1
    sleep 0.08
}
# Centres of the widgets, in client twips (positions as designed).
cell() { click $((1080 + 240 * ($1 - 1) + 240 * (($1 - 1) / 8) + 127)) $((5400 + 667)); }
chord() {  # palette label by column (0, 1) and row (0..5), inside the palette box at 240, 600
    click $((240 + $1 * 600 + 247)) $((600 + $2 * 480 + 187))
}
seventh() { click $((240 + 600 + 547)) $((600 + 1920 + 187)); }
rest() { click $((120 + 547)) $((3840 + 187)); }
crotchet() { click $((1320 + 1267)) $((3600 + 187)); }
quaver() { click $((1320 + 1267)) $((3600 + 360 + 187)); }
chords() { click $((120 + 607)) $((120 + 127)); }
solos() { click $((120 + 1200 + 727)) $((120 + 127)); }
string() { click $((120 + 120 + 547)) $((480 + 120 + 240 * ($1 - 1) + 127)); }
fret() { click $((120 + 120 + 360 * $1 + 150)) $((2520 + 120 + 247)); }
# Rows of the two columns: E A D G C F and Em Am Dm Bm.
D=2; G=3; C=4; Em=0; Am=1

# Bar 1, crotchet entry: G G C C (names above cells 1 and 5 only).
chord 0 $G; cell 1; cell 3; chord 0 $C; cell 5; cell 7
# Bar 2, quavers: Am on every cell, then Em at the second half (beams join each beat's pair).
quaver
chord 1 $Am; for k in 9 10 11 12; do cell $k; done
chord 1 $Em; for k in 13 14 15 16; do cell $k; done
# Bar 3, solo notes in quavers: a run up the 1st and 2nd strings.
solos
string 2; fret 1; cell 17; fret 3; cell 18
string 1; fret 0; cell 19; fret 1; cell 20; fret 3; cell 21; fret 5; cell 22; fret 7; cell 23; fret 8; cell 24
# Bar 4: a crotchet D on the 4th string, a quaver pair on the 3rd, then a quaver rest beside a note.
crotchet; string 4; fret 0; cell 25
quaver; string 3; fret 2; cell 27; fret 4; cell 28
string 5; fret 3; cell 29; rest; cell 30
crotchet; chords; chord 0 $D; seventh; cell 31
# Title, author and lyrics, typed into their boxes.
text() { click "$1" "$2"; xdotool type --delay 20 "$3"; }
text $((3600 + 1387)) $((120 + 142)) "Morning Strum"
text $((7080 + 1207)) $((120 + 142)) "J. Learner"
text $((1080 + 4267)) $((6840 + 142)) "Sun comes up and I play along"
# Leave a note as the pick, shown in the pick box.
solos; string 6; fret 3
sleep 0.5
import -window "$win" "$out"
echo "saved $out"
