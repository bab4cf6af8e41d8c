#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into the given folder and runs each
# for the given number of seconds (default 60), all at once, on a copy of its
# committed seed corpus.  Fails when any target finds a crash, a leak or
# undefined behaviour; the finding's log is printed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$top/build-fuzz"}
seconds=${2:-60}
# Each target runs in a folder of its own, so every path it is given is
# absolute: a build folder named relative to where the script was started.
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
targets=(las pm road_file dxf project tile_store)

CC=clang CXX=clang++ cmake -S "$top" -B "$dir" -G Ninja -DCORVANE_FUZZ=ON >/dev/null
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

work="$dir/fuzz-runs"
rm -rf "$work"
mkdir -p "$work"
pids=()
for target in "${targets[@]}"; do
  mkdir -p "$work/$target/corpus" "$work/$target/findings"
  (cd "$work/$target" &&
     ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     "$dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
       -artifact_prefix="$work/$target/findings/" "$work/$target/corpus" "$top/fuzz/corpus/$target" \
       >"$work/$target/log" 2>&1) &
  pids+=($!)
done
failed=0
for i in "${!targets[@]}"; do
  if wait "${pids[$i]}"; then
    echo "fuzz_${targets[$i]}: $(grep -E '^Done [0-9]+ runs' "$work/${targets[$i]}/log" || echo done)"
  else
    echo "fuzz_${targets[$i]} FAILED:"
    tail -n 60 "$work/${targets[$i]}/log"
    failed=1
  fi
done
exit "$failed"
