#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
#   scripts/test.sh              the normal build (build/)
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/)
set -euo pipefail
source "$(dirname "$0")/common.sh"

# Every option is given explicitly, so whatever configured the folder before
# (the station script builds without tests) the tests are built from the
# current sources.
dir="$ROOT/build"
options=(-DRURIZUDA_TESTS=ON -DRURIZUDA_SANITIZE=OFF -DRURIZUDA_BENCH=ON)
if [ "${1:-}" = "--sanitize" ]; then
  dir="$ROOT/build-asan"
  options=(-DRURIZUDA_TESTS=ON -DRURIZUDA_SANITIZE=ON -DRURIZUDA_BENCH=OFF)
fi

install_packages
build "$dir" "${options[@]}"
# The parsers under libFuzzer, a few seconds each, from their seed corpora.
[ "${1:-}" = "--sanitize" ] || bash "$ROOT/scripts/fuzz.sh" 5
export QT_QPA_PLATFORM=offscreen
# Leaks that system libraries leave behind are not the station's.
if [ "${1:-}" = "--sanitize" ]; then
  export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan-suppressions.txt"
fi
cd "$dir"
ctest --output-on-failure --no-tests=error -j2 --timeout 300
