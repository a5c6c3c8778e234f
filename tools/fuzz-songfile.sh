#!/usr/bin/env bash
# Fuzzes the song-file reader: builds the fuzz target with clang (libFuzzer, AddressSanitizer,
# UBSan) in its own build folder and runs it for SECONDS (default 60), seeded with the
# hand-written song files. Exits non-zero on a crash, hang or sanitizer report.
#   tools/fuzz-songfile.sh [SECONDS]
# Needs clang and libclang-rt-14-dev. STRUMWELL_FUZZ_BUILD names another build folder.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${STRUMWELL_FUZZ_BUILD:-$root/build-fuzz}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSTRUMWELL_FUZZ=ON -DSTRUMWELL_BUILD_TESTS=OFF -DSTRUMWELL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target songfile_fuzz
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$root"/tests/fixtures/*.swl "$corpus"/
cd "$build"  # crash inputs land here
"$build/fuzz/songfile_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=16384 -dict="$root/fuzz/songfile.dict" -print_final_stats=1 "$corpus"
