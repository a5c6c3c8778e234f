#!/usr/bin/env bash
# Builds everything with warnings as errors and runs the whole test suite, against a sound server
# of its own (a PulseAudio null sink), and the sound tests once more against PipeWire.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTRUMWELL_WERROR=ON
cmake --build build
if [ -x tools/pulse-null-sink.sh ]; then
  # shellcheck disable=SC1091
  source tools/pulse-null-sink.sh
  trap strumwell_pulse_stop EXIT
  # The server is up: the sound tests must fail, not skip, if they cannot reach it.
  export STRUMWELL_SOUND_SERVER=required
fi
# A print scheduler whose default queue writes PDF files, for the printing tests.
if [ "$(id -u)" -eq 0 ]; then
  tools/start-cups.sh
else
  echo "not root: the print scheduler is not started; the printing tests that need it skip"
fi
# A short fuzz run of the song file, its format and its whole path through the window (clang,
# libFuzzer, AddressSanitizer and UBSan).
tools/fuzz-songfile.sh "${STRUMWELL_FUZZ_SECONDS:-60}" 2>&1 | tail -n 30
ctest --test-dir build --output-on-failure
# The sound tests once more, against a PipeWire stack of their own (pipewire, wireplumber and its
# pulse interface, with a null sink), stopped when they end.
if [ -x tools/pipewire-null-sink.sh ]; then
  (
    unset PULSE_SERVER
    # shellcheck disable=SC1091
    source tools/pipewire-null-sink.sh
    trap strumwell_pipewire_stop EXIT
    export STRUMWELL_SOUND_SERVER=required
    ctest --test-dir build --output-on-failure -R '^sound$'
  )
fi
