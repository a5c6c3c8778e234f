#!/bin/bash
# Runs a sound bench (or any command) against each kind of sound server in turn, PulseAudio then
# PipeWire, each started for it in a folder of its own with a null sink as the default sink and
# stopped after it, so that both servers' figures come from one run:
#     tools/sound-benches.sh build/bench/clicksound
#     STRUMWELL_SERVERS=pipewire tools/sound-benches.sh build/bench/stepclock 1 200
# STRUMWELL_SERVERS names the servers (default "pulseaudio pipewire"); STRUMWELL_PULSE_DIR and
# STRUMWELL_PIPEWIRE_DIR pick their folders, as for their scripts. STRUMWELL_SINK sets the sink up
# as a desktop's may be (default plain):
#   plain           the null sink as the scripts make it (PipeWire's session manager suspends it
#                   after 5 s without a client, as on a desktop)
#   quantum-1024    PipeWire only: the graph held to that quantum (clock.force-quantum), as a
#   quantum-2048    desktop that another program set so runs it
#   fixed-latency   PulseAudio only: a pipe sink, clocked by the system, whose latency is fixed
#                   (about 21 ms) and will not go short
#   suspend         PulseAudio: module-suspend-on-idle suspends the sink after 5 s without a
#                   client; PipeWire: as plain
# Ends with the status of the last run that failed (0 when all met their targets).
cd "$(dirname "$0")/.." || exit 1
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }
sink="${STRUMWELL_SINK:-plain}"
status=0

# Sets the running server's sink up as STRUMWELL_SINK says; the pipe sink's reader is PIPE_READER.
sound_benches_sink() {
    case "$1:$sink" in
    *:plain | pipewire:suspend) ;;
    pipewire:quantum-*) pw-metadata -n settings 0 clock.force-quantum "${sink#quantum-}" >/dev/null ;;
    pulseaudio:fixed-latency)
        local fifo="$STRUMWELL_PULSE_DIR/pipe-sink"
        rm -f "$fifo" && mkfifo "$fifo" || return 1
        cat "$fifo" >/dev/null &
        PIPE_READER=$!
        pactl load-module module-pipe-sink sink_name=strumwell_pipe file="$fifo" rate=48000 channels=2 \
            use_system_clock_for_timing=yes >/dev/null && pactl set-default-sink strumwell_pipe
        ;;
    pulseaudio:suspend) pactl load-module module-suspend-on-idle timeout=5 >/dev/null ;;
    *) echo "sound-benches: STRUMWELL_SINK=$sink is not for $1" >&2; return 1 ;;
    esac
}

for server in ${STRUMWELL_SERVERS:-pulseaudio pipewire}; do
    (
        PIPE_READER=
        if [ "$server" = pipewire ]; then
            unset PULSE_SERVER
            export STRUMWELL_PIPEWIRE_DIR="${STRUMWELL_PIPEWIRE_DIR:-/tmp/strumwell-pipewire}"
            # shellcheck disable=SC1091
            source tools/pipewire-null-sink.sh || exit 1
            trap 'strumwell_pipewire_stop' EXIT
        else
            export STRUMWELL_PULSE_DIR="${STRUMWELL_PULSE_DIR:-/tmp/strumwell-pulse}"
            # shellcheck disable=SC1091
            source tools/pulse-null-sink.sh || exit 1
            trap 'strumwell_pulse_stop; [ -z "$PIPE_READER" ] || kill "$PIPE_READER" 2>/dev/null' EXIT
        fi
        sound_benches_sink "$server" || exit 1
        echo "=== $* on $(pactl info | sed -n 's/^Server Name: //p'), sink $(pactl get-default-sink) ($sink)"
        "$@"
    ) || status=$?
done
exit "$status"
