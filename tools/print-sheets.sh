#!/usr/bin/env bash
# Prints a song through the real program in a virtual X server, as a user would: for one, two and
# three pages it picks the page count, clicks File > Print, saves a screenshot of the preview
# window, clicks "Click Here To Print" and renders the printed PDF at 300 dpi; then crops the title
# and the first row of cells out of the three-page sheet.
#   tools/print-sheets.sh [OUTDIR] [song.swl]
# OUTDIR (default build/print-sheets) gets preview-N.png, printed-N.pdf, printed-N.png (N = pages),
# crop-title.png, crop-row.png and crop-bar-x3.png (the first bar, each pixel shown 3 x 3).
# With STRUMWELL_PRINT_TO=QUEUE the pages go to that queue of a print scheduler of the script's own
# (tools/private-cups.sh: A4, Letter, A5, Legal, Ledger, Landscape, ReverseLandscape,
# ReversePortrait), as the default printer; printed-N.pdf is the PDF the queue wrote, and
# printed-N.png shows the paper as it comes out (a landscape page lies turned on it; the crops
# assume an upright page). The scheduler stops once the program has ended, and the machine's own
# printing is then checked as tools/private-cups.sh does. Otherwise the program finds no print
# service and saves each page as a PDF in a documents folder of its own.
# Needs xvfb, xdotool, imagemagick and poppler-utils. STRUMWELL_XVFB_DISPLAY picks the virtual
# display (default one of :60 to :69). Uses build/src/Strumwell unless
# STRUMWELL_BIN names another binary.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../build/print-sheets}
song=${2:-$here/../tests/fixtures/three_page_v25.swl}
bin=${STRUMWELL_BIN:-$here/../build/src/Strumwell}
to=${STRUMWELL_PRINT_TO:-pdf}
[[ -x $bin ]] || { echo "no program at $bin" >&2; exit 1; }
[[ -f $song ]] || { echo "no song at $song" >&2; exit 1; }
mkdir -p "$out"
out=$(cd "$out" && pwd)
song=$(cd "$(dirname "$song")" && pwd)/$(basename "$song")

home=$(mktemp -d)
display=${STRUMWELL_XVFB_DISPLAY:-:$((60 + RANDOM % 10))}
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
    # Ended as a desktop session ends it.
    if [[ -n $app ]]; then
        kill -TERM "$app" 2>/dev/null || true
        wait "$app" 2>/dev/null || true
    fi
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

# A home of its own: the file-type registration of every start stays out of the user's, and
# without a printer the PDFs go into its documents folder; a sound server that is not there keeps
# it silent.
mkdir -p "$home/config" "$home/Documents"
# shellcheck disable=SC2016  # the desktop's settings name $HOME themselves
echo 'XDG_DOCUMENTS_DIR="$HOME/Documents"' >"$home/config/user-dirs.dirs"
env_app=(XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" PULSE_SERVER="unix:$home/no-sound-server")
if [[ $to != pdf ]]; then
    # shellcheck source=tools/private-cups.sh
    source "$here/private-cups.sh"
    [[ -n ${STRUMWELL_CUPS_DIR:-} ]] || { echo "no print scheduler of its own here" >&2; exit 1; }
    queue=$STRUMWELL_CUPS_DIR/out
    env_app+=(LPDEST="$to")
else
    env_app+=(HOME="$home" CUPS_SERVER="$home/no-scheduler.sock")
fi
env "${env_app[@]}" "$bin" "$song" &
app=$!
main=
for _ in $(seq 200); do
    main=$(xdotool search --onlyvisible --name "Fretlane Strumwell" 2>/dev/null | head -1 || true)
    [[ -n $main ]] && break
    sleep 0.1
done
[[ -n $main ]] || { echo "the window did not show" >&2; exit 1; }
sleep 0.5

# Opens the menu of the main window's menu bar at x pixels and picks its nth item.
pick() {
    xdotool mousemove "$1" 8 click 1
    sleep 0.3
    for _ in $(seq "$2"); do xdotool key Down; done
    xdotool key Return
    sleep 0.3
}
# Waits until `test` finds a file, then prints it.
wait_file() {
    local found=
    for _ in $(seq 300); do
        found=$("$@" || true)
        [[ -n $found ]] && { echo "$found"; return; }
        sleep 0.1
    done
    echo "no PDF was written" >&2
    exit 1
}
newest_pdf() { find "$1" -name '*.pdf' -newer "$home/mark" -size +0 | head -1; }

seen=$(xdotool search --onlyvisible --name "Print Preview" 2>/dev/null || true)
for pages in 1 2 3; do
    pick 96 "$pages"  # Number of pages
    pick 20 2         # File > Print
    preview=
    for _ in $(seq 100); do
        preview=$(xdotool search --onlyvisible --name "Print Preview" 2>/dev/null | grep -vxF "$seen" | head -1 || true)
        [[ -n $preview ]] && break
        sleep 0.1
    done
    [[ -n $preview ]] || { echo "no preview window for $pages pages" >&2; exit 1; }
    seen=$(printf '%s\n%s' "$seen" "$preview")
    sleep 0.5
    import -window "$preview" "$out/preview-$pages.png"

    # The print button: 240, 240, 1335 x 1095 twips on the one- and two-page windows, 120, 120,
    # 855 x 1215 on the three-page window (15 twips a pixel).
    touch "$home/mark"
    sleep 0.01
    if [[ $pages == 3 ]]; then xdotool mousemove 36 48 click 1; else xdotool mousemove 60 52 click 1; fi
    if [[ $to != pdf ]]; then
        pdf=$(wait_file newest_pdf "$queue")
        # The queue writes the file in steps; it is done when it ends with the PDF trailer.
        for _ in $(seq 100); do tail -c 32 "$pdf" | grep -q '%%EOF' && break; sleep 0.1; done
    else
        pdf=$(wait_file newest_pdf "$home/Documents")
        sleep 0.3
        xdotool key Return  # the message box that says where the PDF went
    fi
    mv "$pdf" "$out/printed-$pages.pdf"
    pdftoppm -r 300 -png -singlefile "$out/printed-$pages.pdf" "$out/printed-$pages"
    # Out of the way of the main window's menu bar.
    xdotool windowmove "$preview" $((627 - 10 * pages)) $((500 + 10 * pages))
    sleep 0.3
done

# Crops of the three-page sheet. The printed page is the window without its print button, scaled
# alike in both directions: the ink of the screenshot (button blanked) and of the page give the
# scale and the corner; the crops are then taken by window pixels.
ink() { convert "$1" -fill white -draw "$2" -fuzz 12% -format '%@\n' info:; }
read -r sw _ sx sy < <(ink "$out/preview-3.png" "rectangle 6,6,66,90" | tr 'x+' '  ')
read -r pw _ px py < <(ink "$out/printed-3.png" "point 0,0" | tr 'x+' '  ')
crop() {  # name, window left, top, width, height in pixels
    awk -v sw="$sw" -v sx="$sx" -v sy="$sy" -v pw="$pw" -v px="$px" -v py="$py" \
        -v x="$2" -v y="$3" -v w="$4" -v h="$5" 'BEGIN {
            s = pw / sw; ox = px - sx * s; oy = py - sy * s
            printf "%dx%d+%d+%d\n", w * s, h * s, ox + x * s, oy + y * s }' |
        xargs -I{} convert "$out/printed-3.png" -crop {} +repage "$out/$1"
}
crop crop-title.png 90 4 360 32       # title and author
crop crop-row.png 36 30 616 150       # chord names, rhythm marks and tab cells of the first row
crop crop-bar-x3.png 36 30 180 150
convert "$out/crop-bar-x3.png" -filter point -resize 300% "$out/crop-bar-x3.png"
ls "$out"
