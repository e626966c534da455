#!/usr/bin/env bash
# Fuzzes the data-file reader under AddressSanitizer and UndefinedBehaviorSanitizer
# for a bounded time: scripts/fuzz.sh [seconds, default 60]. Fails on a crash;
# the crashing input is kept in fuzz-out/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build-fuzz

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORVANE_FUZZ=ON -DMORVANE_SANITIZE=ON -DMORVANE_BENCH=OFF >/dev/null
cmake --build "$build" --target datafile_fuzz

# Work on a copy of the seed corpus so that new inputs stay out of the tree.
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
cp fuzz/datafile/corpus/* "$corpus"/
mkdir -p fuzz-out
"$build/fuzz/datafile/datafile_fuzz" -max_total_time="$seconds" -max_len=8192 \
  -print_final_stats=1 -artifact_prefix=fuzz-out/ "$corpus"
