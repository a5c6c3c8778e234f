#!/usr/bin/env bash
# Builds everything (the program, the tests, the benches) in build/ with warnings as errors and
# runs the whole test suite, against a sound server of its own (a PulseAudio null sink), and the
# sound tests once more against PipeWire.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh test
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTRUMWELL_WERROR=ON \
  -DSTRUMWELL_BUILD_TESTS=ON -DSTRUMWELL_BUILD_BENCH=ON
cmake --build build
# The tests' own home: what the toolkit and the libraries keep in a home (a file dialog's history,
# a sound library's cookie) lands there and goes with it, never in the user's.
test_home="$(mktemp -d "${TMPDIR:-/tmp}/strumwell-test-home.XXXXXX")"
strumwell_test_stop() {
  rm -rf "$test_home"
  if declare -F strumwell_pulse_stop >/dev/null; then strumwell_pulse_stop; fi
}
trap strumwell_test_stop EXIT
in_test_home() {
  HOME="$test_home" env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME -u XDG_STATE_HOME "$@"
}
if [ -x tools/pulse-null-sink.sh ]; then
  # shellcheck disable=SC1091
  source tools/pulse-null-sink.sh
  # The server is up: the sound tests must fail, not skip, if they cannot reach it.
  export STRUMWELL_SOUND_SERVER=required
fi
# A print scheduler of the run's own, whose queues write PDF files, for the printing tests. When
# the script ends, after a failure or a signal too, the scheduler stops and the machine's own
# printing is checked (default printer, queues, ~/PDF): a change fails the run.
source tools/private-cups.sh
# A short fuzz run of the song file, its format and its whole path through the window (clang,
# libFuzzer, AddressSanitizer and UBSan).
in_test_home tools/fuzz-songfile.sh "${STRUMWELL_FUZZ_SECONDS:-60}" 2>&1 | tail -n 30
in_test_home ctest --test-dir build --output-on-failure
# The sound tests once more, against a PipeWire stack of their own (pipewire, wireplumber and its
# pulse interface, with a null sink), stopped when they end.
if [ -x tools/pipewire-null-sink.sh ]; then
  (
    unset PULSE_SERVER
    # shellcheck disable=SC1091
    source tools/pipewire-null-sink.sh
    trap strumwell_pipewire_stop EXIT
    export STRUMWELL_SOUND_SERVER=required
    in_test_home ctest --test-dir build --output-on-failure -R '^sound$'
  )
fi
