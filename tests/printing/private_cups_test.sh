#!/usr/bin/env bash
# tools/private-cups.sh as the test run uses it: the status and the check when the shell ends,
# however it ends; the machine's printing compared; the scheduler reachable by its user alone and
# writing only into its own folder. Run by ctest as printing_scheduler_script:
#     tests/printing/private_cups_test.sh SOURCE_DIR
# Exits 77 (skipped) where no scheduler of its own can start here, except as root.
set -uo pipefail
source_dir=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
script=$source_dir/tools/private-cups.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Background commands get their own process group, and so keep SIGINT as it is.
set -m

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
# Runs the shell code $2 with the script sourced after the code $3, in a home of its own, as case
# $1; its output lands in $work/$1.out, the scheduler's folder and process in $work/$1.dir and
# $work/$1.pid.
sourced() {
    mkdir -p "$work/$1.home"
    HOME=$work/$1.home bash -c "${3:-}
        source '$script'
        [ -n \"\${STRUMWELL_CUPS_DIR:-}\" ] || exit 77
        echo \"\$STRUMWELL_CUPS_DIR\" >'$work/$1.dir'
        echo \"\$STRUMWELL_CUPS_PID\" >'$work/$1.pid'
        $2" >"$work/$1.out" 2>&1
}
# The scheduler of case $1 has stopped and its folder is gone, within $2 seconds.
expect_stopped() {
    local dir pid
    dir=$(cat "$work/$1.dir" 2>/dev/null) || { fail "$1: the scheduler did not start"; return; }
    pid=$(cat "$work/$1.pid")
    for _ in $(seq $((${2:-1} * 10))); do
        kill -0 "$pid" 2>/dev/null || [ -e "$dir" ] || return 0
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "$1: the scheduler still runs"
    [ -e "$dir" ] && fail "$1: its folder $dir is still there"
}
expect_said() {
    grep -qF -- "$2" "$work/$1.out" || fail "$1: no \"$2\" in: $(cat "$work/$1.out")"
}

# A shell that fails keeps its status, and the machine's printing is checked all the same.
sourced failing 'false'
status=$?
if [ "$status" -eq 77 ]; then
    echo "no print scheduler of its own can start here: $(cat "$work/failing.out")"
    # As root (as in CI) one always can.
    [ "$(id -u)" -eq 0 ] && exit 1
    exit 77
fi
[ "$status" -eq 1 ] || fail "failing: status $status, not 1"
expect_said failing "the machine's printing is as it was"
expect_stopped failing

# What the shell already did on exit comes first, while the scheduler still answers.
if ! sourced trap_first true "trap 'lpstat -h \"\$(cat $work/trap_first.dir)/run/cups.sock\" -r >\"$work/at-exit\"' EXIT"; then
    fail "trap_first: status not 0: $(cat "$work/trap_first.out")"
fi
grep -q "scheduler is running" "$work/at-exit" 2>/dev/null ||
    fail "trap_first: the scheduler was gone before the shell's own exit: $(cat "$work/at-exit" 2>&1)"
expect_stopped trap_first

# A file that appears in ~/PDF during the run fails a shell that did not fail otherwise.
# shellcheck disable=SC2016  # expanded by the shell that runs it
sourced new_pdf 'mkdir -p "$HOME/PDF" && touch "$HOME/PDF/stray.pdf"'
[ $? -eq 1 ] || fail "new_pdf: a new file in ~/PDF passed"
expect_said new_pdf "the machine's printing changed during the run"
expect_said new_pdf "stray.pdf"

# The machine's scheduler, here one started by the script as well: a queue paused or made the
# default during the run is a change; the same run that leaves it alone passes.
# shellcheck source=tools/private-cups.sh
source "$script" >"$work/machine.out" 2>&1
machine=${CUPS_SERVER:-}
if [ -z "${STRUMWELL_CUPS_DIR:-}" ]; then
    fail "the machine's stand-in did not start: $(cat "$work/machine.out")"
else
    for change in "cupsdisable A4" "cupsreject A5" "lpadmin -d Letter" "lpadmin -p A4 -o number-up-default=2" "true"; do
        name=machine_${change%% *}
        sourced "$name" "CUPS_SERVER='$machine' $change"
        status=$?
        if [ "$change" = true ]; then
            [ "$status" -eq 0 ] || fail "$change: status $status: $(cat "$work/$name.out")"
            expect_said "$name" "(default printer, queues, ~/PDF, lpoptions)"
        else
            [ "$status" -eq 1 ] || fail "$change on the machine's scheduler passed: $(cat "$work/$name.out")"
            expect_said "$name" "the machine's printing changed during the run"
        fi
        expect_stopped "$name"
        # Put back as it was.
        CUPS_SERVER=$machine cupsenable A4
        CUPS_SERVER=$machine cupsaccept A5
        CUPS_SERVER=$machine lpadmin -p A4 -R number-up-default
    done
fi

# The socket is its user's alone, and the queues write only into the folder's out/, whatever
# folder their address names.
# A one-page PDF, the kind of document the program prints (a text job would need a text filter,
# which the scheduler's packages do not bring).
blank_pdf() {
    local objects=('<< /Type /Catalog /Pages 2 0 R >>' '<< /Type /Pages /Kids [3 0 R] /Count 1 >>'
        '<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>')
    local pdf=$'%PDF-1.4\n' offsets=() i
    for i in "${!objects[@]}"; do
        offsets+=("${#pdf}")
        pdf+="$((i + 1)) 0 obj ${objects[i]} endobj"$'\n'
    done
    local xref=${#pdf}
    pdf+="xref"$'\n'"0 $((${#objects[@]} + 1))"$'\n'"0000000000 65535 f "$'\n'
    for i in "${offsets[@]}"; do pdf+="$(printf '%010d' "$i") 00000 n "$'\n'; done
    pdf+="trailer << /Size $((${#objects[@]} + 1)) /Root 1 0 R >>"$'\n'"startxref"$'\n'"$xref"$'\n'"%%EOF"$'\n'
    printf '%s' "$pdf" >"$1"
}
blank_pdf "$work/page.pdf"
sourced own_folder "
    [ \"\$(stat -c %a \"\$STRUMWELL_CUPS_DIR/run\")\" = 700 ] || { echo 'socket folder open to others'; exit 3; }
    mkdir '$work/elsewhere'
    lpadmin -p Elsewhere -E -v 'strumwell-pdf:$work/elsewhere' -P \"\$STRUMWELL_CUPS_DIR/margins.ppd\" || exit 4
    lp -d Elsewhere -t routed '$work/page.pdf' >/dev/null || exit 5
    for _ in \$(seq 300); do ls \"\$STRUMWELL_CUPS_DIR\"/out/Elsewhere-*-routed.pdf >/dev/null 2>&1 && break; sleep 0.1; done
    ls \"\$STRUMWELL_CUPS_DIR\"/out/Elsewhere-*-routed.pdf >/dev/null 2>&1 || { echo 'no PDF in out/'; exit 6; }
    [ -z \"\$(ls -A '$work/elsewhere')\" ] || { echo 'a PDF went elsewhere'; exit 7; }" ||
    fail "own_folder: $(cat "$work/own_folder.out")"
expect_stopped own_folder

# An interrupt of the command run beside the scheduler ends the command and the scheduler.
HOME=$work bash "$script" bash -c "echo \$\$ >'$work/beside.child'; echo \"\$STRUMWELL_CUPS_DIR\" >'$work/beside.dir'
    exec sleep 300" >"$work/beside.out" 2>&1 &
beside=$!
for _ in $(seq 300); do [ -s "$work/beside.child" ] && break; sleep 0.1; done
child=$(cat "$work/beside.child" 2>/dev/null)
pgrep -x cupsd -P "$beside" >"$work/beside.pid"
kill -INT "$beside"
wait "$beside"
status=$?
[ "$status" -eq 130 ] || fail "beside: status $status after an interrupt, not 130"
[ -n "$child" ] && kill -0 "$child" 2>/dev/null && { fail "beside: the command still runs after an interrupt"; kill "$child"; }
expect_stopped beside

# A shell killed outright: the scheduler stops and its folder goes all the same.
mkdir -p "$work/killed.home"
HOME=$work/killed.home bash -c "source '$script' >/dev/null 2>&1
    echo \"\$STRUMWELL_CUPS_DIR\" >'$work/killed.dir'; echo \"\$STRUMWELL_CUPS_PID\" >'$work/killed.pid'
    sleep 300 & echo \$! >'$work/killed.sleep'; wait" &
killed=$!
for _ in $(seq 300); do [ -s "$work/killed.sleep" ] && break; sleep 0.1; done
{
    kill -KILL "$killed"
    wait "$killed"
} 2>/dev/null
expect_stopped killed 30
kill "$(cat "$work/killed.sleep")" 2>/dev/null

if [ "$failures" -gt 0 ]; then
    echo "$failures failed" >&2
    exit 1
fi
echo "all passed"
