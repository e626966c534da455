#!/usr/bin/env bash
# Fuzzes every target under fuzz/ with AddressSanitizer and UndefinedBehaviorSanitizer
# for a bounded time: scripts/fuzz.sh [seconds in all, default 60] [target...].
# The time is shared among the targets. Fails on a crash; the crashing input is
# kept in fuzz-out/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
build=build-fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in fuzz/*/; do
    [ -f "$dir/CMakeLists.txt" ] && targets+=("$(basename "$dir")")
  done
fi
each=$(( seconds / ${#targets[@]} ))
[ "$each" -ge 1 ] || each=1

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORVANE_FUZZ=ON -DMORVANE_SANITIZE=ON -DMORVANE_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]/%/_fuzz}"

mkdir -p fuzz-out
for target in "${targets[@]}"; do
  # Work on a copy of the seed corpus so that new inputs stay out of the tree.
  corpus="$(mktemp -d)"
  cp -r "fuzz/$target/corpus/." "$corpus"/
  echo "== fuzzing $target for ${each}s"
  options=(-max_total_time="$each" -print_final_stats=1 -artifact_prefix="fuzz-out/$target-")
  [ -f "fuzz/$target/options" ] && read -r -a extra < "fuzz/$target/options" && options+=("${extra[@]}")
  "$build/fuzz/$target/${target}_fuzz" "${options[@]}" "$corpus"
  rm -rf "$corpus"
done
