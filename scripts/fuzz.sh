#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each one
# on its seed corpus for SECONDS (default 5). A crash, a sanitizer report or a
# time-out of one input fails the run and leaves the input in build-fuzz/.
#   scripts/fuzz.sh            a short run, as the test command does
#   scripts/fuzz.sh 600        ten minutes per target
set -euo pipefail
source "$(dirname "$0")/common.sh"

seconds="${1:-5}"
dir="$ROOT/build-fuzz"
install_packages
CC=clang CXX=clang++ build "$dir" -DCMAKE_CXX_COMPILER=clang++ -DRURIZUDA_FUZZ=ON

cd "$dir"
for target in fuzz_command_replies fuzz_value_extraction fuzz_profile_text fuzz_series_rules; do
  # Inputs found along the way go to a working corpus; the checked-in seeds stay as they are.
  work="$dir/corpus/$target"
  mkdir -p "$work"
  echo "== $target: $seconds s"
  status=0
  "$dir/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$dir/$target-" "$work" "$ROOT/fuzz/corpus/$target" >"$dir/$target.log" 2>&1 || status=$?
  grep -E '^stat::(number_of_executed_units|new_units_added)' "$dir/$target.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$dir/$target.log"
    echo "$target failed (status $status); see $dir/$target.log" >&2
    exit 1
  fi
done
