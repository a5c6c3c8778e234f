#!/usr/bin/env bash
# Fuzzes the song file: builds the two fuzz targets with clang (libFuzzer, AddressSanitizer,
# UBSan) in their own build folder and runs them one after the other, sharing SECONDS (default 60)
# equally, each seeded with the hand-written song files:
#   songfile_fuzz    the format alone (the check of both entry points, the registry file), fast;
#   song_path_fuzz   the whole path: bytes on disk, opened into the real window (offscreen) by
#                    File > Open or the command line, and saved again.
# Exits non-zero on a crash, hang, leak or sanitizer report of either.
#   tools/fuzz-songfile.sh [SECONDS]
# Needs clang and libclang-rt-14-dev. STRUMWELL_FUZZ_BUILD names another build folder.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${STRUMWELL_FUZZ_BUILD:-$root/build-fuzz}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSTRUMWELL_FUZZ=ON -DSTRUMWELL_WERROR=ON -DSTRUMWELL_BUILD_TESTS=OFF -DSTRUMWELL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target songfile_fuzz song_path_fuzz
# The window's saves go to a memory-backed folder where there is one, so syncing costs nothing.
shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm=${TMPDIR:-/tmp}
work=$(mktemp -d)
files=$(mktemp -d -p "$shm")
trap 'rm -rf "$work" "$files"' EXIT
mkdir "$work/format" "$work/path"
cp "$root"/tests/fixtures/*.swl "$work/format"/
# The path target reads its first byte as the way in: even for File > Open, odd for the command line.
for song in "$root"/tests/fixtures/*.swl; do
  name=$(basename "$song")
  { printf '\000'; cat "$song"; } >"$work/path/$name.menu"
  { printf '\001'; cat "$song"; } >"$work/path/$name.command-line"
done
half=$(( (seconds + 1) / 2 ))
cd "$build"  # crash inputs land here
export LSAN_OPTIONS=print_suppressions=0
"$build/fuzz/songfile_fuzz" -max_total_time="$half" -timeout=10 -rss_limit_mb=2048 \
  -max_len=16384 -dict="$root/fuzz/songfile.dict" -print_final_stats=1 "$work/format"
QT_QPA_PLATFORM=offscreen TMPDIR=$files "$build/fuzz/song_path_fuzz" -max_total_time="$half" \
  -timeout=30 -rss_limit_mb=4096 -max_len=16384 -dict="$root/fuzz/songfile.dict" -print_final_stats=1 \
  "$work/path"
