#!/usr/bin/env bash
# Builds the program and starts it. Any arguments are passed on (a song file to open).
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTRUMWELL_BUILD_BENCH=OFF >/dev/null
cmake --build build --target Strumwell
exec build/src/Strumwell "$@"
