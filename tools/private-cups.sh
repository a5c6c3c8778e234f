#!/usr/bin/env bash
# A print scheduler of the test run's own: cupsd with its configuration, spool, cache, log and
# state under a temporary folder, listening only on a socket there, with PDF queues whose jobs
# land as files in that folder. The machine's own scheduler, its queues, its default printer and
# ~/PDF are never touched. Either source it, which starts the scheduler, exports its variables and
# stops it (removing the folder) when the shell exits:
#     source tools/private-cups.sh
# or run a command beside it:
#     tools/private-cups.sh COMMAND [ARGS...]
#
# Exported:  CUPS_SERVER       the scheduler's socket, for every CUPS client of the run
#            CUPS_SERVERROOT   the scheduler's configuration folder, also for its clients: the
#                              machine's lpoptions and client.conf do not apply, and printer
#                              descriptions are read from there, never asked of another server
#            STRUMWELL_CUPS_DIR   the folder; the queues write their PDFs into its out/, named
#                                 <queue>-<job id>-<title>.pdf, and their printer descriptions
#                                 stand in etc/ppd/<queue>.ppd
# Queues (none is the default printer; LPDEST picks one):
#   A4, Letter, A5      margins of a different width on each side
#   Legal               edge to edge, no margins
#   Landscape           A4 with margins, landscape by default
#   ReverseLandscape    the same, turned the other way
#   Ledger              the wide paper (17 x 11 in), with margins
#   Paused              A4, stopped: jobs wait in its queue
#   Held                A4, holds every job until it is released
#   Refusing            A4, rejects jobs ("out of paper")
# A normal user's scheduler runs too where cupsd allows it; where it cannot start, nothing is
# exported and the printing tests that need it skip, saying why.
# strumwell_printing_untouched (after the run) fails when the machine's default printer, its
# queues or ~/PDF differ from what they were when this started.

strumwell_cups_snapshot() {
    # The machine's printing as the user sees it: its default printer, its queues, ~/PDF. (Not
    # whether its scheduler runs: one started on demand ends by itself when idle.)
    (
        unset CUPS_SERVER CUPS_SERVERROOT LPDEST PRINTER
        echo "default: $(lpstat -d 2>&1)"
        echo "queues: $(lpstat -v 2>&1 | sort)"
        echo "$HOME/PDF:"
        if [ -d "$HOME/PDF" ]; then
            find "$HOME/PDF" -printf '%P %s %T@\n' 2>/dev/null | sort
        else
            echo "(none)"
        fi
    )
}

strumwell_printing_untouched() {
    local now
    now=$(strumwell_cups_snapshot)
    if [ "$now" != "$STRUMWELL_MACHINE_PRINTING" ]; then
        echo "private-cups: the machine's printing changed during the run:" >&2
        diff <(echo "$STRUMWELL_MACHINE_PRINTING") <(echo "$now") >&2
        return 1
    fi
    echo "private-cups: the machine's printing is as it was (default printer, queues, ~/PDF)"
}

# A printer description for a PDF printer that takes PDF after the scheduler's own page setup
# (pdftopdf). $1: margins in points, "left bottom right top"; every paper gets the same.
strumwell_cups_ppd() {
    local left bottom right top
    read -r left bottom right top <<<"$1"
    cat <<EOF
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "STRUMWEL.PPD"
*Manufacturer: "Strumwell tests"
*Product: "(Strumwell test PDF printer)"
*ModelName: "Strumwell test PDF printer"
*ShortNickName: "Strumwell test PDF printer"
*NickName: "Strumwell test PDF printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
EOF
    local papers=("A4 595 842" "Letter 612 792" "Legal 612 1008" "A5 420 595" "Ledger 1224 792")
    local p name w h
    for p in "${papers[@]}"; do
        read -r name w h <<<"$p"
        echo "*PageSize $name/$name: \"<</PageSize[$w $h]>>setpagedevice\""
    done
    echo "*CloseUI: *PageSize"
    echo "*OpenUI *PageRegion/Media Size: PickOne"
    echo "*OrderDependency: 10 AnySetup *PageRegion"
    echo "*DefaultPageRegion: A4"
    for p in "${papers[@]}"; do
        read -r name w h <<<"$p"
        echo "*PageRegion $name/$name: \"<</PageSize[$w $h]>>setpagedevice\""
    done
    echo "*CloseUI: *PageRegion"
    echo "*DefaultImageableArea: A4"
    for p in "${papers[@]}"; do
        read -r name w h <<<"$p"
        echo "*ImageableArea $name/$name: \"$left $bottom $((w - right)) $((h - top))\""
    done
    echo "*DefaultPaperDimension: A4"
    for p in "${papers[@]}"; do
        read -r name w h <<<"$p"
        echo "*PaperDimension $name/$name: \"$w $h\""
    done
    echo '*DefaultFont: Courier'
    echo '*Font Courier: Standard "(001.004)" Standard ROM'
}

# The queues' device: writes the job's document as <queue>-<job id>-<title>.pdf into the folder
# that its address names (strumwell-pdf:/folder), whole or not at all.
strumwell_cups_backend() {
    cat <<'EOF'
#!/bin/sh
if [ $# -eq 0 ]; then
    echo 'file strumwell-pdf "Strumwell test PDF" "PDF files for the tests"'
    exit 0
fi
folder=${DEVICE_URI#strumwell-pdf:}
title=$(printf '%s' "$3" | tr -c 'A-Za-z0-9._-' '_')
target="$folder/${PRINTER:-queue}-$1-$title.pdf"
if [ $# -ge 6 ]; then cat "$6"; else cat; fi >"$target.part" || exit 1
mv "$target.part" "$target"
EOF
}

strumwell_cups_start() {
    local cupsd=/usr/sbin/cupsd
    if [ ! -x "$cupsd" ] || ! command -v lpadmin >/dev/null; then
        echo "private-cups: no cupsd or lpadmin here; the printing tests that need a scheduler skip" >&2
        return 1
    fi
    local base
    base=$(mktemp -d /tmp/strumwell-cups.XXXXXX) || return 1
    # The scheduler's own user (lp, when started as root) reaches its files through the folder.
    chmod 755 "$base"
    mkdir -p "$base"/{etc/ppd,etc/ssl,spool/tmp,cache,state,log,out,bin/backend}
    chmod 777 "$base/out"
    local dir
    for dir in cgi-bin daemon driver filter monitor notifier; do
        [ -e "/usr/lib/cups/$dir" ] && ln -s "/usr/lib/cups/$dir" "$base/bin/$dir"
    done
    strumwell_cups_backend >"$base/bin/backend/strumwell-pdf"
    # Run as the scheduler's owner (root as root), so it may write where the tests read.
    chmod 700 "$base/bin/backend/strumwell-pdf"

    local user group
    user=$(id -un)
    group=$(id -gn)
    {
        echo "ServerRoot $base/etc"
        echo "RequestRoot $base/spool"
        echo "TempDir $base/spool/tmp"
        echo "CacheDir $base/cache"
        echo "StateDir $base/state"
        echo "ServerBin $base/bin"
        echo "AccessLog $base/log/access_log"
        echo "ErrorLog $base/log/error_log"
        echo "PageLog $base/log/page_log"
        echo "Printcap $base/state/printcap"
        echo "FileDevice No"
        if [ "$(id -u)" -eq 0 ]; then
            echo "SystemGroup root"
        else
            echo "User $user"
            echo "Group $group"
            echo "SystemGroup $group"
        fi
    } >"$base/cups-files.conf"
    cat >"$base/cupsd.conf" <<EOF
Listen $base/cups.sock
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
LogLevel warn
MaxLogSize 0
DefaultAuthType None
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    echo "ServerName $base/cups.sock" >"$base/etc/client.conf"
    strumwell_cups_ppd "14 36 22 24" >"$base/margins.ppd"
    strumwell_cups_ppd "0 0 0 0" >"$base/borderless.ppd"

    "$cupsd" -f -c "$base/cupsd.conf" -s "$base/cups-files.conf" >"$base/log/cupsd.out" 2>&1 &
    STRUMWELL_CUPS_PID=$!
    STRUMWELL_CUPS_DIR=$base
    local tries=0
    until CUPS_SERVER="$base/cups.sock" lpstat -r 2>/dev/null | grep -q "is running"; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ] || ! kill -0 "$STRUMWELL_CUPS_PID" 2>/dev/null; then
            echo "private-cups: the scheduler did not start here; the printing tests that need it skip:" >&2
            sed 's/^/    /' "$base/log/cupsd.out" "$base/log/error_log" 2>/dev/null | tail -n 5 >&2
            strumwell_cups_stop
            return 1
        fi
        sleep 0.1
    done

    local q
    # name, printer description, options
    local queues=(
        "A4 margins"
        "Letter margins -o PageSize=Letter"
        "A5 margins -o PageSize=A5"
        "Legal borderless -o PageSize=Legal"
        "Landscape margins -o orientation-requested-default=4"
        "ReverseLandscape margins -o orientation-requested-default=5"
        "Ledger margins -o PageSize=Ledger"
        "Paused margins"
        "Held margins -o job-hold-until-default=indefinite"
        "Refusing margins"
    )
    for q in "${queues[@]}"; do
        local name ppd options
        read -r name ppd options <<<"$q"
        # shellcheck disable=SC2086  # the options are words
        if ! CUPS_SERVER="$base/cups.sock" lpadmin -p "$name" -E -v "strumwell-pdf:$base/out" \
            -P "$base/$ppd.ppd" $options 2>"$base/log/lpadmin.err"; then
            echo "private-cups: the queue $name could not be made:" >&2
            cat "$base/log/lpadmin.err" >&2
            strumwell_cups_stop
            return 1
        fi
    done
    if ! CUPS_SERVER="$base/cups.sock" cupsdisable -r "paused for the tests" Paused ||
        ! CUPS_SERVER="$base/cups.sock" cupsreject -r "out of paper" Refusing; then
        strumwell_cups_stop
        return 1
    fi

    export CUPS_SERVER="$base/cups.sock"
    export CUPS_SERVERROOT="$base/etc"
    export STRUMWELL_CUPS_DIR
    echo "private-cups: print scheduler at $CUPS_SERVER, queues $(lpstat -e | tr '\n' ' ')"
}

strumwell_cups_stop() {
    if [ -n "${STRUMWELL_CUPS_PID:-}" ]; then
        kill -TERM "$STRUMWELL_CUPS_PID" 2>/dev/null || true
        wait "$STRUMWELL_CUPS_PID" 2>/dev/null || true
        STRUMWELL_CUPS_PID=
    fi
    if [ -n "${STRUMWELL_CUPS_DIR:-}" ] && [ -d "$STRUMWELL_CUPS_DIR" ]; then
        rm -rf "$STRUMWELL_CUPS_DIR" || true
    fi
    if [ "${CUPS_SERVER:-}" = "${STRUMWELL_CUPS_DIR:-}/cups.sock" ]; then
        unset CUPS_SERVER CUPS_SERVERROOT
    fi
    unset STRUMWELL_CUPS_DIR
}

# Adds the stop to what the shell already does on exit.
strumwell_cups_stop_on_exit() {
    local old
    old=$(trap -p EXIT)
    old=${old#trap -- \'}
    old=${old%\' EXIT}
    old=${old//\'\\\'\'/\'}
    # shellcheck disable=SC2064  # the old command is taken now
    trap "strumwell_cups_stop${old:+; $old}" EXIT
}

STRUMWELL_MACHINE_PRINTING=$(strumwell_cups_snapshot)
# As root (CI) the scheduler can always run: the tests that need it fail, not skip, without it.
if [ "$(id -u)" -eq 0 ]; then export STRUMWELL_PRINT_SCHEDULER=required; fi
if [ "${BASH_SOURCE[0]}" != "$0" ]; then
    strumwell_cups_stop_on_exit
    # A shell ended by a signal stops the scheduler too (once the command it waits for has ended).
    [ -n "$(trap -p HUP)" ] || trap 'exit 129' HUP
    [ -n "$(trap -p INT)" ] || trap 'exit 130' INT
    [ -n "$(trap -p TERM)" ] || trap 'exit 143' TERM
    strumwell_cups_start || true
else
    [ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }
    trap strumwell_cups_stop EXIT
    strumwell_cups_start || exit 1
    # The command runs beside the shell, so that a signal to the shell ends both at once.
    "$@" <&0 &
    child=$!
    trap 'kill -INT "$child" 2>/dev/null; exit 130' INT
    trap 'kill -TERM "$child" 2>/dev/null; exit 143' TERM
    status=0
    wait "$child" || status=$?
    strumwell_printing_untouched || status=1
    exit "$status"
fi
