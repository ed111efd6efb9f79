#!/usr/bin/env bash
# Installs what is missing, builds, and starts the station. With no unit
# attached it serves the bundled unit simulator on a pseudo-terminal.
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_packages
build "$ROOT/build" -DRURIZUDA_TESTS=OFF -DRURIZUDA_BENCH=OFF

bin="$ROOT/build/bin"
echo "Starting the unit simulator (Ctrl+C ends it)."
exec "$bin/rurizuda-unit-sim" --log "$@"
