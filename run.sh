#!/usr/bin/env bash
# Builds the program and starts it. Any arguments are passed on (a song file to open). Installs
# only what building and running take, and builds in build-run/, apart from ./test.sh's build/,
# so that either command leaves the other's build as it was.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh run
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSTRUMWELL_BUILD_TESTS=OFF -DSTRUMWELL_BUILD_BENCH=OFF >/dev/null
cmake --build build-run --target Strumwell
exec build-run/src/Strumwell "$@"
