#!/usr/bin/env bash
# A print scheduler of the test run's own: cupsd with its configuration, spool, cache, log and
# state under a temporary folder, listening only on a socket there that only its user reaches,
# with PDF queues whose jobs land as files in that folder. The machine's own scheduler, its
# queues, its default printer and ~/PDF are never touched. Either source it, which starts the
# scheduler and exports its variables:
#     source tools/private-cups.sh
# or run a command beside it:
#     tools/private-cups.sh COMMAND [ARGS...]
# Either way, when the shell ends (also by a signal), after what it already does on exit, the
# scheduler stops and its folder goes; then the machine's printing is compared with what it was
# when this started, and a change turns the shell's status 0 into 1. A shell killed outright
# (SIGKILL) leaves the stop to a watcher that notices within two seconds.
#
# Exported:  CUPS_SERVER       the scheduler's socket, for every CUPS client of the run
#            CUPS_SERVERROOT   the scheduler's configuration folder, also for its clients: the
#                              machine's client.conf and lpoptions (/etc/cups) do not apply, and
#                              printer descriptions are read from there. The user's own
#                              ~/.cups/lpoptions still does: LPDEST overrides its default printer,
#                              but options it gives queues of these names apply to them too.
#            STRUMWELL_CUPS_DIR   the folder; the queues write their PDFs into its out/, named
#                                 <queue>-<job id>-<title>.pdf, and their printer descriptions
#                                 stand in etc/ppd/<queue>.ppd; the socket is run/cups.sock
# Queues (none is the default printer; LPDEST picks one):
#   A4, Letter, A5      margins of a different width on each side
#   Legal               edge to edge, no margins
#   Landscape           A4 with margins, landscape by default
#   ReverseLandscape    the same, turned the other way
#   ReversePortrait     A4 with margins, upside down by default
#   Ledger              the wide paper (17 x 11 in), with margins
#   Paused              A4, stopped: jobs wait in its queue
#   Held                A4, holds every job until it is released
#   Refusing            A4, rejects jobs ("out of paper")
# A normal user's scheduler runs too where cupsd allows it; where it cannot start, nothing is
# exported and the printing tests that need it skip, saying why (as root they fail instead).

# The environment the machine's printing is seen through: the one this was started with.
STRUMWELL_MACHINE_ENV=()
for strumwell_setting in CUPS_SERVER CUPS_SERVERROOT LPDEST PRINTER HOME; do
    [ -z "${!strumwell_setting+set}" ] || STRUMWELL_MACHINE_ENV+=("$strumwell_setting=${!strumwell_setting}")
done
unset strumwell_setting

# Whether the machine's scheduler can be asked without starting one: a scheduler elsewhere, or a
# local socket that is there and, under systemd, not held for a scheduler that the first question
# would start.
strumwell_machine_scheduler_up() {
    local server
    server=$(lpstat -H 2>/dev/null) || return 1
    case $server in
    /*) [ -S "$server" ] || return 1 ;;
    *) return 0 ;;
    esac
    case $server in
    /run/cups/* | /var/run/cups/*)
        if [ -d /run/systemd/system ] && command -v systemctl >/dev/null; then
            systemctl is-active --quiet cups.service || return 1
        fi
        ;;
    esac
}

# A queue's settings as its clients see them: its device, whether it is enabled and accepts
# jobs, and its options; not what changes as it prints.
strumwell_queue_settings() {
    lpoptions -p "$1" 2>&1 | grep -oE "[^ =]+(=('[^']*'|[^ ]*))?" | sed -E \
        -e '/^(printer-state-change-time|printer-state-reasons|printer-state-message|marker-[^=]*)(=|$)/d' \
        -e 's/^printer-state=5$/disabled/' -e 's/^printer-state=[0-9]+$/enabled/' | sort | tr '\n' ' '
}

strumwell_cups_snapshot() {
    # The machine's printing as the user sees it: ~/PDF, the lpoptions files, and, when its
    # scheduler runs, its default printer and each queue's settings. (Not whether the scheduler
    # runs: one started on demand ends by itself when idle.)
    (
        unset CUPS_SERVER CUPS_SERVERROOT LPDEST PRINTER
        local setting
        for setting in "${STRUMWELL_MACHINE_ENV[@]}"; do export "${setting?}"; done
        echo "$HOME/PDF:"
        if [ -d "$HOME/PDF" ]; then
            find "$HOME/PDF" -printf '%P %s %T@\n' 2>/dev/null | sort
        else
            echo "(none)"
        fi
        local file
        for file in "${CUPS_SERVERROOT:-/etc/cups}/lpoptions" "$HOME/.cups/lpoptions"; do
            echo "$file: $({ cksum <"$file"; } 2>/dev/null || echo '(none)')"
        done
        if strumwell_machine_scheduler_up; then
            echo "scheduler:"
            echo "default: $(lpstat -d 2>&1)"
            local queue
            while read -r queue; do
                echo "$queue: $(strumwell_queue_settings "$queue")"
            done < <(lpstat -e 2>/dev/null | sort)
        fi
    )
}

strumwell_printing_untouched() {
    # shellcheck disable=SC2088  # the words the user reads
    local before=$STRUMWELL_MACHINE_PRINTING now what="default printer, queues, ~/PDF, lpoptions"
    now=$(strumwell_cups_snapshot)
    if [[ $before != *$'\nscheduler:'* || $now != *$'\nscheduler:'* ]]; then
        before=${before%%$'\nscheduler:'*}
        now=${now%%$'\nscheduler:'*}
        # shellcheck disable=SC2088  # the words the user reads
        what="~/PDF, lpoptions; its scheduler was not running to be asked"
    fi
    if [ "$now" != "$before" ]; then
        echo "private-cups: the machine's printing changed during the run:" >&2
        diff <(echo "$before") <(echo "$now") >&2
        return 1
    fi
    echo "private-cups: the machine's printing is as it was ($what)"
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
# $1, whole or not at all, and nowhere else, whatever the queue's address says.
strumwell_cups_backend() {
    cat <<EOF
#!/bin/sh
if [ \$# -eq 0 ]; then
    echo 'file strumwell-pdf "Strumwell test PDF" "PDF files for the tests"'
    exit 0
fi
name() { printf '%s' "\$1" | tr -c 'A-Za-z0-9._-' '_'; }
target="$1/\$(name "\${PRINTER:-queue}")-\$(name "\$1")-\$(name "\$3").pdf"
if [ \$# -ge 6 ]; then cat "\$6"; else cat; fi >"\$target.part" || exit 1
mv "\$target.part" "\$target"
EOF
}

# Ends the scheduler $2 and removes the folder $3 once the shell $1 is gone without doing so
# itself, as when it is killed outright.
strumwell_cups_watch() {
    (
        while kill -0 "$1" 2>/dev/null && kill -0 "$2" 2>/dev/null; do sleep 2; done
        kill -TERM "$2" 2>/dev/null
        for _ in $(seq 100); do kill -0 "$2" 2>/dev/null || break; sleep 0.1; done
        rm -rf "$3"
    ) </dev/null >/dev/null 2>&1 &
    STRUMWELL_CUPS_WATCH=$!
}

strumwell_cups_start() {
    local cupsd=/usr/sbin/cupsd
    if [ ! -x "$cupsd" ] || ! command -v lpadmin >/dev/null; then
        echo "private-cups: no cupsd or lpadmin here; the printing tests that need a scheduler skip" >&2
        return 1
    fi
    local base
    base=$(mktemp -d /tmp/strumwell-cups.XXXXXX) || return 1
    # The scheduler's own user (lp, when started as root) reads the printer descriptions and the
    # spooled jobs through the folder; the socket and the PDFs are its owner's alone.
    chmod 755 "$base"
    mkdir -p "$base"/{etc/ppd,etc/ssl,spool/tmp,cache,state,log,bin/backend}
    mkdir -m 700 "$base/run" "$base/out"
    local dir
    for dir in cgi-bin daemon driver filter monitor; do
        [ -e "/usr/lib/cups/$dir" ] && ln -s "/usr/lib/cups/$dir" "$base/bin/$dir"
    done
    strumwell_cups_backend "$base/out" >"$base/bin/backend/strumwell-pdf"
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
    # Nothing is announced: no browsing or sharing on the network, no web pages.
    cat >"$base/cupsd.conf" <<EOF
Listen $base/run/cups.sock
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
    echo "ServerName $base/run/cups.sock" >"$base/etc/client.conf"
    strumwell_cups_ppd "14 36 22 24" >"$base/margins.ppd"
    strumwell_cups_ppd "0 0 0 0" >"$base/borderless.ppd"

    # The scheduler tells the system's message bus of each queue and job, for the printer applets
    # of desktops; this one has no bus to tell.
    DBUS_SYSTEM_BUS_ADDRESS="unix:path=$base/run/no-system-bus" \
        "$cupsd" -f -c "$base/cupsd.conf" -s "$base/cups-files.conf" >"$base/log/cupsd.out" 2>&1 &
    STRUMWELL_CUPS_PID=$!
    STRUMWELL_CUPS_DIR=$base
    strumwell_cups_watch "$BASHPID" "$STRUMWELL_CUPS_PID" "$base"
    local socket=$base/run/cups.sock
    local tries=0
    until CUPS_SERVER="$socket" lpstat -r 2>/dev/null | grep -q "is running"; do
        tries=$((tries + 1))
        if [ "$tries" -gt 300 ] || ! kill -0 "$STRUMWELL_CUPS_PID" 2>/dev/null; then
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
        "ReversePortrait margins -o orientation-requested-default=6"
        "Ledger margins -o PageSize=Ledger"
        "Paused margins"
        "Held margins -o job-hold-until-default=indefinite"
        "Refusing margins"
    )
    for q in "${queues[@]}"; do
        local name ppd options
        read -r name ppd options <<<"$q"
        # shellcheck disable=SC2086  # the options are words
        if ! CUPS_SERVER="$socket" lpadmin -p "$name" -E -v "strumwell-pdf:/" \
            -P "$base/$ppd.ppd" $options 2>"$base/log/lpadmin.err"; then
            echo "private-cups: the queue $name could not be made:" >&2
            cat "$base/log/lpadmin.err" >&2
            strumwell_cups_stop
            return 1
        fi
    done
    if ! CUPS_SERVER="$socket" cupsdisable -r "paused for the tests" Paused ||
        ! CUPS_SERVER="$socket" cupsreject -r "out of paper" Refusing; then
        strumwell_cups_stop
        return 1
    fi

    export CUPS_SERVER="$socket"
    export CUPS_SERVERROOT="$base/etc"
    export STRUMWELL_CUPS_DIR
    echo "private-cups: print scheduler at $CUPS_SERVER, queues $(lpstat -e | tr '\n' ' ')"
}

strumwell_cups_stop() {
    if [ -n "${STRUMWELL_CUPS_WATCH:-}" ]; then
        kill -TERM "$STRUMWELL_CUPS_WATCH" 2>/dev/null || true
        wait "$STRUMWELL_CUPS_WATCH" 2>/dev/null || true
        STRUMWELL_CUPS_WATCH=
    fi
    if [ -n "${STRUMWELL_CUPS_PID:-}" ]; then
        kill -TERM "$STRUMWELL_CUPS_PID" 2>/dev/null || true
        wait "$STRUMWELL_CUPS_PID" 2>/dev/null || true
        STRUMWELL_CUPS_PID=
    fi
    if [ -n "${STRUMWELL_CUPS_DIR:-}" ] && [ -d "$STRUMWELL_CUPS_DIR" ]; then
        rm -rf "$STRUMWELL_CUPS_DIR" || true
    fi
    if [ "${CUPS_SERVER:-}" = "${STRUMWELL_CUPS_DIR:-}/run/cups.sock" ]; then
        unset CUPS_SERVER CUPS_SERVERROOT
    fi
    unset STRUMWELL_CUPS_DIR
}

# The last thing the shell does: stops the scheduler, then checks the machine's printing. $1 is
# the shell's status, which a change turns from 0 to 1.
strumwell_cups_at_exit() {
    local status=$1
    strumwell_cups_stop
    strumwell_printing_untouched || [ "$status" -ne 0 ] || status=1
    exit "$status"
}

# Puts the stop and the check after what the shell already does on exit, keeping its status.
strumwell_cups_stop_on_exit() {
    local old
    old=$(trap -p EXIT)
    old=${old#trap -- \'}
    old=${old%\' EXIT}
    old=${old//\'\\\'\'/\'}
    # shellcheck disable=SC2064,SC2154  # the old command is taken now, the status then
    trap "strumwell_cups_status=\$?; ${old:+$old; }strumwell_cups_at_exit \$strumwell_cups_status" EXIT
}

STRUMWELL_MACHINE_PRINTING=$(strumwell_cups_snapshot)
strumwell_cups_stop_on_exit
if [ "${BASH_SOURCE[0]}" != "$0" ]; then
    # A shell ended by a signal stops the scheduler too (once the command it waits for has ended).
    [ -n "$(trap -p HUP)" ] || trap 'exit 129' HUP
    [ -n "$(trap -p INT)" ] || trap 'exit 130' INT
    [ -n "$(trap -p TERM)" ] || trap 'exit 143' TERM
    strumwell_cups_start || true
else
    [ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }
    strumwell_cups_start || exit 1
    # The command runs beside the shell, so that a signal to the shell reaches it at once. Started
    # in the background it ignores SIGINT: an interrupt ends it with SIGTERM.
    "$@" <&0 &
    child=$!
    trap 'kill -TERM "$child" 2>/dev/null; wait "$child"; exit 130' INT
    trap 'kill -TERM "$child" 2>/dev/null; wait "$child"; exit 143' TERM
    status=0
    wait "$child" || status=$?
    exit "$status"
fi
