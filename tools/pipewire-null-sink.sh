#!/bin/bash
# Starts a headless PipeWire stack of its own (a session bus, pipewire, wireplumber and
# pipewire-pulse) in a private runtime folder, without a service manager, and gives it a null sink
# as the default sink; for headless runs (CI, tests, benches). Whatever of it is already running
# in that folder is kept; a missing part is started again. Either source it, which exports the
# variables and defines strumwell_pipewire_stop:
#     . tools/pipewire-null-sink.sh
# or run it and evaluate the export lines it prints, and stop it all later:
#     eval "$(tools/pipewire-null-sink.sh)"
#     tools/pipewire-null-sink.sh stop
# STRUMWELL_PIPEWIRE_DIR picks the folder (default /tmp/strumwell-pipewire). Nothing in the
# user's home is read or written: the servers' configuration, state and data folders lie in it.

strumwell_pipewire_dir() { echo "${STRUMWELL_PIPEWIRE_DIR:-/tmp/strumwell-pipewire}"; }

# Whether the process named in the pid file FILE is alive (an ended one not yet reaped is not).
strumwell_pipewire_alive() {
    [ -s "$1" ] || return 1
    local state
    state="$(awk '{print $3}' "/proc/$(cat "$1")/stat" 2>/dev/null)"
    [ -n "$state" ] && [ "$state" != Z ]
}

# Runs one server of the stack in the background with the folder's private environment.
strumwell_pipewire_run() {
    local dir="$1" name="$2"
    strumwell_pipewire_alive "$dir/$name.pid" && return 0
    (
        export XDG_CONFIG_HOME="$dir/config" XDG_STATE_HOME="$dir/state" XDG_DATA_HOME="$dir/data"
        exec "$name" >>"$dir/$name.log" 2>&1
    ) &
    echo $! >"$dir/$name.pid"
}

# Waits up to 5 s for COMMAND to succeed.
strumwell_pipewire_wait() {
    local tries=0
    until "$@" >/dev/null 2>&1; do
        tries=$((tries + 1))
        [ "$tries" -gt 50 ] && return 1
        sleep 0.1
    done
}

strumwell_pipewire_start() {
    local dir
    dir="$(strumwell_pipewire_dir)"
    mkdir -p "$dir/config" "$dir/state" "$dir/data" && chmod 700 "$dir" || return 1
    export XDG_RUNTIME_DIR="$dir"
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/bus"
    export PULSE_SERVER="unix:$dir/pulse/native"
    export PULSE_COOKIE="$dir/cookie"  # read, or made, by every pulse client (pactl, the player)
    export PIPEWIRE_RUNTIME_DIR="$dir"
    unset PIPEWIRE_REMOTE
    if ! strumwell_pipewire_alive "$dir/dbus.pid"; then
        rm -f "$dir/bus"
        dbus-daemon --session --address="$DBUS_SESSION_BUS_ADDRESS" --fork --print-pid >"$dir/dbus.pid" || return 1
    fi
    if ! strumwell_pipewire_alive "$dir/pipewire.pid"; then
        # The session manager and the pulse interface of a server that is gone go with it.
        strumwell_pipewire_end "$dir" pipewire-pulse
        strumwell_pipewire_end "$dir" wireplumber
        strumwell_pipewire_run "$dir" pipewire
    fi
    strumwell_pipewire_wait test -S "$dir/pipewire-0" || { echo "pipewire-null-sink: pipewire did not come up (see $dir/pipewire.log)" >&2; return 1; }
    strumwell_pipewire_run "$dir" wireplumber
    strumwell_pipewire_run "$dir" pipewire-pulse
    if ! strumwell_pipewire_wait pactl info; then
        echo "pipewire-null-sink: pipewire-pulse did not answer on $PULSE_SERVER (see $dir/pipewire-pulse.log)" >&2
        return 1
    fi
    if ! pactl list short sinks 2>/dev/null | grep -q $'\tstrumwell_null\t'; then
        pactl load-module module-null-sink sink_name=strumwell_null rate=48000 channels=2 >/dev/null || return 1
    fi
    # The session manager takes a moment to see the new sink before it can be the default.
    strumwell_pipewire_wait pactl set-default-sink strumwell_null
    strumwell_pipewire_wait sh -c 'pactl get-default-sink | grep -qx strumwell_null' || {
        echo "pipewire-null-sink: the null sink did not become the default" >&2
        return 1
    }
    return 0
}

# Ends the server NAME of the folder DIR (also one stopped by SIGSTOP) and waits for it to go.
strumwell_pipewire_end() {
    local dir="$1" name="$2" pid
    strumwell_pipewire_alive "$dir/$name.pid" || { rm -f "$dir/$name.pid"; return 0; }
    pid="$(cat "$dir/$name.pid")"
    kill -TERM "$pid" 2>/dev/null || true
    kill -CONT "$pid" 2>/dev/null || true
    for _ in $(seq 50); do strumwell_pipewire_alive "$dir/$name.pid" || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    rm -f "$dir/$name.pid"
}

# Stops every server of the folder's stack and waits for each to end. Never fails, so that an
# exit trap of a shell with `set -e` goes on to what follows it.
strumwell_pipewire_stop() {
    local dir name
    dir="$(strumwell_pipewire_dir)"
    for name in pipewire-pulse wireplumber pipewire dbus; do strumwell_pipewire_end "$dir" "$name"; done
}

if [ "${BASH_SOURCE[0]}" != "$0" ]; then
    strumwell_pipewire_start
elif [ "${1:-}" = stop ]; then
    strumwell_pipewire_stop
else
    strumwell_pipewire_start || exit 1
    echo "export XDG_RUNTIME_DIR='$XDG_RUNTIME_DIR'"
    echo "export PIPEWIRE_RUNTIME_DIR='$PIPEWIRE_RUNTIME_DIR'"
    echo "export DBUS_SESSION_BUS_ADDRESS='$DBUS_SESSION_BUS_ADDRESS'"
    echo "export PULSE_SERVER='$PULSE_SERVER'"
    echo "export PULSE_COOKIE='$PULSE_COOKIE'"
fi
