#!/usr/bin/env bash
# Installs what is missing, builds, and starts the station in run/ (which
# holds workstation.ini and writelog.txt). When no unit is attached by USB,
# the bundled unit simulator serves a pseudo-terminal and the station uses it.
# Options after the script name go to the station (see build/bin/rurizuda --help).
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_packages
build "$ROOT/build" -DRURIZUDA_TESTS=OFF -DRURIZUDA_SANITIZE=OFF -DRURIZUDA_BENCH=OFF

bin="$ROOT/build/bin"
run="$ROOT/run"
mkdir -p "$run"
[ -f "$run/workstation.ini" ] || cp "$ROOT/config/workstation.example.ini" "$run/workstation.ini"
cd "$run"

# Is the unit's AT interface (USB 1286:4e31, interface 04) attached?
unit_attached() {
  local tty dev
  for tty in /sys/class/tty/*; do
    dev="$tty/device"
    [ -r "$dev/bInterfaceNumber" ] && [ -r "$dev/../idVendor" ] || continue
    if [ "$(cat "$dev/../idVendor")" = 1286 ] && [ "$(cat "$dev/../idProduct")" = 4e31 ] \
       && [ "$(cat "$dev/bInterfaceNumber")" = 04 ]; then
      return 0
    fi
  done
  return 1
}

if unit_attached; then
  exec "$bin/rurizuda" "$@"
fi

echo "No unit attached: starting the unit simulator."
coproc SIM { exec "$bin/rurizuda-unit-sim" --log 2>"$run/unit-sim.log"; }
trap 'kill "$SIM_PID" 2>/dev/null || true' EXIT
read -r -t 10 port <&"${SIM[0]}" || { echo "The unit simulator did not start (see $run/unit-sim.log)." >&2; exit 1; }
echo "Unit simulator on $port (its traffic: $run/unit-sim.log)."
"$bin/rurizuda" --port "$port" "$@"
