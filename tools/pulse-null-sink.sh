#!/bin/bash
# Starts a PulseAudio server with one null sink for headless runs (CI, tests, benches), unless one
# is already answering on the same socket. Either source it, which exports the variables:
#     . tools/pulse-null-sink.sh
# or run it and evaluate the export lines it prints:
#     eval "$(tools/pulse-null-sink.sh)"
# and stop the server with strumwell_pulse_stop (sourced) or `tools/pulse-null-sink.sh stop`.
# STRUMWELL_PULSE_DIR picks the folder of the socket (default /tmp/strumwell-pulse). Nothing in the
# user's home is read or written: the server's state and the cookie of the server and of every
# client started with these variables lie in that folder.

strumwell_pulse_start() {
    local dir="${STRUMWELL_PULSE_DIR:-/tmp/strumwell-pulse}"
    mkdir -p "$dir" && chmod 700 "$dir" || return 1
    export XDG_RUNTIME_DIR="$dir"
    export PULSE_SERVER="unix:$dir/native"
    export PULSE_COOKIE="$dir/cookie"
    if ! pactl info >/dev/null 2>&1; then
        PULSE_STATE_PATH="$dir/state" pulseaudio --daemonize=yes -n --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
            --log-target=file:"$dir/pulse.log" \
            --load="module-native-protocol-unix socket=$dir/native auth-anonymous=1 auth-cookie=$dir/cookie" \
            --load="module-null-sink sink_name=strumwell_null rate=48000 channels=2" \
            >/dev/null 2>&1
        local tries=0
        until pactl info >/dev/null 2>&1; do
            tries=$((tries + 1))
            if [ "$tries" -gt 50 ]; then
                echo "pulse-null-sink: the server did not come up (see $dir/pulse.log)" >&2
                return 1
            fi
            sleep 0.1
        done
    fi
    pactl set-default-sink strumwell_null >/dev/null 2>&1
    return 0
}

# Ends the folder's server (also one stopped by SIGSTOP) and waits for it to go: the pulseaudio
# whose command line names the folder's socket. Never fails, so that an exit trap of a shell
# with `set -e` goes on to what follows it.
strumwell_pulse_stop() {
    local dir proc pid
    dir="${STRUMWELL_PULSE_DIR:-/tmp/strumwell-pulse}"
    for proc in /proc/[0-9]*; do
        [ "$(cat "$proc/comm" 2>/dev/null)" = pulseaudio ] || continue
        tr '\0' ' ' <"$proc/cmdline" 2>/dev/null | grep -q "socket=$dir/native " || continue
        pid="${proc#/proc/}"
        kill -TERM "$pid" 2>/dev/null || true
        kill -CONT "$pid" 2>/dev/null || true
        for _ in $(seq 50); do [ -d "$proc" ] || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null || true
    done
    return 0
}

if [ "${BASH_SOURCE[0]}" != "$0" ]; then
    strumwell_pulse_start
elif [ "${1:-}" = stop ]; then
    strumwell_pulse_stop
else
    strumwell_pulse_start || exit 1
    echo "export XDG_RUNTIME_DIR='$XDG_RUNTIME_DIR'"
    echo "export PULSE_SERVER='$PULSE_SERVER'"
    echo "export PULSE_COOKIE='$PULSE_COOKIE'"
fi
