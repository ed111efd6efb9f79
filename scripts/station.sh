#!/usr/bin/env bash
# Installs what is missing, builds, and starts the station in run/ (which
# holds workstation.ini and writelog.txt). When no unit is attached by USB,
# the bundled unit simulator serves a pseudo-terminal and the station uses it.
# Options after the script name go to the station (see build/bin/rurizuda --help).
#
# --slots N (1 to 8) starts N simulated units, each with identities of its
# own, and one station per unit in slots 1..N, their windows side by side.
# --slots without a number starts the slots of [Slots] in run/workstation.ini.
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

# slot_unit K: the simulator options of the K-th simulated unit: the
# example unit with K as the last digit of its identities, so that every
# slot tests a unit of its own and all pass the example profile's checks.
slot_unit() {
  local k="$1"
  echo --pn-locked --mac "A45E60C1229$k" --ssid "RURIZUDA-229$k" --imei "86740001234567$k" \
       --sn "RZ26A014587$k" --pcba-sn "PB26A014587$k"
}

if [ "${1:-}" = --slots ] && [[ "${2:-}" =~ ^[1-8]$ ]]; then
  count="$2"
  shift 2
  sims=()
  trap 'kill "${sims[@]}" 2>/dev/null || true' EXIT
  ports=()
  for k in $(seq 1 "$count"); do
    # The simulator names its terminal on its first line.
    # shellcheck disable=SC2046
    "$bin/rurizuda-unit-sim" $(slot_unit "$k") --key-delay 500 --log >"$run/unit-sim-$k.port" 2>"$run/unit-sim-$k.log" &
    sims+=($!)
    port=""
    for _ in $(seq 100); do
      read -r port 2>/dev/null <"$run/unit-sim-$k.port" && [ -n "$port" ] && break
      sleep 0.1
    done
    [ -n "$port" ] || { echo "Unit simulator $k did not start (see $run/unit-sim-$k.log)." >&2; exit 1; }
    ports+=(--port "$port")
    echo "Slot $k: simulated unit on $port (its traffic: $run/unit-sim-$k.log)."
  done
  "$bin/rurizuda" --slots "${ports[@]}" "$@"
  exit
fi

if unit_attached || [ "${1:-}" = --slots ]; then
  exec "$bin/rurizuda" "$@"
fi

echo "No unit attached: starting the unit simulator."
coproc SIM { exec "$bin/rurizuda-unit-sim" --log 2>"$run/unit-sim.log"; }
trap 'kill "$SIM_PID" 2>/dev/null || true' EXIT
read -r -t 10 port <&"${SIM[0]}" || { echo "The unit simulator did not start (see $run/unit-sim.log)." >&2; exit 1; }
echo "Unit simulator on $port (its traffic: $run/unit-sim.log)."
"$bin/rurizuda" --port "$port" "$@"
