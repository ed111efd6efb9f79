#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
#   scripts/test.sh              the normal build (build/)
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/)
set -euo pipefail
source "$(dirname "$0")/common.sh"

dir="$ROOT/build"
options=()
if [ "${1:-}" = "--sanitize" ]; then
  dir="$ROOT/build-asan"
  options=(-DRURIZUDA_SANITIZE=ON -DRURIZUDA_BENCH=OFF)
fi

install_packages
build "$dir" "${options[@]}"
export QT_QPA_PLATFORM=offscreen
cd "$dir"
ctest --output-on-failure -j2 --timeout 300
