#!/bin/bash
# Four slots on one PC under a private 1920x1080 Xvfb: `rurizuda --slots`
# starts four station processes against four simulated units; their windows
# must fit the screen without overlapping. Each window gets its unit's four
# labels typed, so the four one-key tests run at the same time; each stores
# its unit with TEST FINISH into the shared PASS.mdb (four rows). Then the
# unit of slot 1 is moved to slot 4 and tested there: it is refused as a
# duplicate, PASS.mdb keeps four rows.
#
# slots-cycle.sh STATION SIMULATOR CONTROL_CENTRES PROFILE OUT
set -euo pipefail

station="$1" simulator="$2" centres="$3" profile="$4" out="$5"
source "$(dirname "$0")/xvfb-helpers.sh"

readonly kSlots=4
readonly kScreen=1920x1080
# Four one-key tests one after the other would take about four times one
# test (over 80 s); side by side they take about one.
readonly kTogetherSeconds=45

# unit_options K / labels K: the K-th unit, the example unit with K as the
# last digit of every identity, and its labels in scan order.
unit_options() {
  echo --mac "A45E60C1229$1" --ssid "RURIZUDA-229$1" --imei "86740001234567$1" \
       --sn "RZ26A014587$1" --pcba-sn "PB26A014587$1" --key-delay 500 --pn-locked
}
labels() { echo "A45E60C1229$1 86740001234567$1 RZ26A014587$1 PB26A014587$1"; }

require_tools Xvfb xdotool xwd python3

rm -rf "$out"
mkdir -p "$out/station"
cp "$profile" "$out/station/workstation.ini"
start_xvfb "$kScreen"

# Each slot's port is a link to its simulator's terminal, so that a unit can
# be moved to another slot by pointing the link at another simulator.
ports=()
for k in $(seq "$kSlots"); do
  # shellcheck disable=SC2046
  start_simulator "unit-$k" $(unit_options "$k")
  ln -sfn "$port" "$out/slot-port-$k"
  ports+=(--port "$out/slot-port-$k")
done

"$station" --slots "${ports[@]}" --dir "$out/station" >"$out/slots.out" 2>"$out/slots.err" &
pids+=($!)

declare -A windows
find_windows() {
  local k
  for k in $(seq "$kSlots"); do
    windows[$k]="$(xdotool search --name "^SLOT $k - $kTitle\$" | head -n 1)"
    [ -n "${windows[$k]}" ] || return 1
  done
}
wait_for 30 "window of each slot" find_windows

# No window leaves the screen or overlaps another.
declare -A geometry
for k in $(seq "$kSlots"); do
  eval "$(xdotool getwindowgeometry --shell "${windows[$k]}")"
  geometry[$k]="$X $Y $WIDTH $HEIGHT"
  echo "slot $k at ${geometry[$k]}"
done
python3 - "${kScreen%x*}" "${kScreen#*x}" "${geometry[@]}" <<'PYTHON' || fail "windows overlap or leave the screen"
import sys
width, height = int(sys.argv[1]), int(sys.argv[2])
boxes = [tuple(map(int, g.split())) for g in sys.argv[3:]]
for i, (x, y, w, h) in enumerate(boxes):
    assert 0 <= x and 0 <= y and x + w <= width and y + h <= height, ("off screen", boxes[i])
    for (x2, y2, w2, h2) in boxes[:i]:
        assert x + w <= x2 or x2 + w2 <= x or y + h <= y2 or y2 + h2 <= y, ("overlap", boxes[i], (x2, y2, w2, h2))
PYTHON

# The controls' places in a window at the scale the launcher gave the stations.
scale="$(tr '\0' '\n' <"/proc/$(xdotool getwindowpid "${windows[1]}")/cmdline" | grep -A1 -x -- --scale | tail -n 1)"
[ -n "$scale" ] || scale=1
load_centres "$centres" --scale "$scale" scan-mac led-pass oled-pass test-finish retest slot-label

rebooted() { [ "$(resets "$out/$1.log")" -gt 0 ]; }

# The four one-key tests, started one after the other as fast as an
# operator's scanner types, run side by side.
began=$SECONDS
for k in $(seq "$kSlots"); do
  # shellcheck disable=SC2046
  scan "${windows[$k]}" $(labels "$k")
done
sleep 0.5
for k in $(seq "$kSlots"); do
  click "${windows[$k]}" led-pass
  click "${windows[$k]}" oled-pass
done
for k in $(seq "$kSlots"); do
  wait_for 60 "verdict of slot $k" rebooted "unit-$k"
done
took=$((SECONDS - began))
echo "four one-key tests took $took s"
[ "$took" -le "$kTogetherSeconds" ] || fail "the four tests did not run side by side ($took s)"
shoot verdicts
box_open && fail "a message box came up during the passing tests"
# Each slot's large label stands on green for its passed unit.
for k in $(seq "$kSlots"); do
  colour="$(colour_at "${windows[$k]}" slot-label)"
  [ "$colour" = "0 200 0" ] || fail "slot $k's label is not on green after its pass ($colour)"
done

for k in $(seq "$kSlots"); do
  click "${windows[$k]}" test-finish
  sleep 1
  # The first store creates PASS.mdb and says so in a box.
  while ! close_box; do sleep 0.2; done
done
[ "$(row_count "$out/station/PASS.mdb")" = "$kSlots" ] || fail "PASS.mdb does not hold the four units"
# Stored: the label leaves the verdict's green.
for k in $(seq "$kSlots"); do
  colour="$(colour_at "${windows[$k]}" slot-label)"
  [ "$colour" != "0 200 0" ] || fail "slot $k's label still shows the verdict after TEST FINISH"
done
[ ! -e "$out/station/FAIL.mdb" ] || fail "a passed unit went to FAIL.mdb"
for k in $(seq "$kSlots"); do
  [ -f "$out/station/slot-$k/writelog.txt" ] \
    || fail "slot $k keeps no log in slot-$k/"
done
[ ! -e "$out/station/writelog.txt" ] || fail "a slot wrote the shared folder's log"

# The unit of slot 1 goes to slot 4: stored once already, it is refused.
click "${windows[$kSlots]}" retest
# shellcheck disable=SC2046
start_simulator moved-unit $(unit_options 1)
ln -sfn "$port" "$out/slot-port-$kSlots"
# shellcheck disable=SC2046
scan "${windows[$kSlots]}" $(labels 1)
sleep 0.5
click "${windows[$kSlots]}" led-pass
click "${windows[$kSlots]}" oled-pass
wait_for 60 "verdict of the moved unit" rebooted moved-unit
click "${windows[$kSlots]}" test-finish
wait_for 10 "duplicate refusal" box_open
sleep 0.5
shoot refusal
[ "$(row_count "$out/station/PASS.mdb")" = "$kSlots" ] || fail "the unit was stored in two slots"
wait_for 10 "refusal to close" close_box
echo "PASS: four slots side by side, four units stored, the moved unit refused; pictures in $out"
