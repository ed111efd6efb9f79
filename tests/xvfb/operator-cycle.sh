#!/bin/bash
# The operator's whole cycle in a real window: under a private Xvfb the
# station runs against the unit simulator program; the four labels are typed
# as a barcode scanner types them, the one-key test runs, LED PASS is judged,
# TEST FINISH stores the unit in PASS.mdb, RETEST clears the window, and the
# same unit tested again is refused as a duplicate. Pictures of the window at
# the verdict and at the refusal are left in OUT.
#
# operator-cycle.sh STATION SIMULATOR CONTROL_CENTRES PROFILE OUT
set -euo pipefail

station="$1" simulator="$2" centres="$3" profile="$4" out="$5"
source "$(dirname "$0")/xvfb-helpers.sh"

# The labels of the simulated unit, in the order the scan fields take them.
readonly kLabels=(A45E60C1229F 867400012345678 RZ26A0145871 PB26A0145871)

require_tools Xvfb xdotool xwd python3

rm -rf "$out"
mkdir -p "$out/station"
cp "$profile" "$out/station/workstation.ini"

start_xvfb 1280x1024

# The unit arrives locked to its network, as from the line before: UNLOCK
# opens it, LOCK closes it again before it leaves.
start_simulator simulator --pn-locked --key-delay 500
echo "unit on $port"

"$station" --port "$port" --dir "$out/station" >"$out/station.out" 2>"$out/station.err" &
pids+=($!)

window=""
find_window() { window="$(xdotool search --name "^$kTitle\$" | head -n 1)"; [ -n "$window" ]; }
wait_for 20 "station window" find_window
echo "window $window"

load_centres "$centres" scan-mac led-pass oled-pass test-finish retest

# One unit: scan the labels fast, each ending in Enter (the last one starts
# the one-key test), then judge the LED; the OLED is judged apart, outside
# the one-key test.
test_unit() {
  scan "$window" "${kLabels[@]}"
  sleep 0.5
  click "$window" led-pass
  click "$window" oled-pass
}

resets_before=0
rebooted() { [ "$(resets "$out/simulator.log")" -gt "$resets_before" ]; }

test_unit
wait_for 45 "verdict and reboot request" rebooted
shoot verdict
box_open && fail "a message box came up during a passing test"

click "$window" test-finish
# A new PASS.mdb: the station says so in a box; the row is there.
wait_for 10 "box announcing the new result file" box_open
[ "$(row_count "$out/station/PASS.mdb")" = 1 ] || fail "PASS.mdb does not hold the unit"
wait_for 10 "box to close" close_box
[ ! -e "$out/station/FAIL.mdb" ] || fail "a passed unit went to FAIL.mdb"

click "$window" retest
resets_before="$(resets "$out/simulator.log")"

test_unit
wait_for 45 "second verdict and reboot request" rebooted
click "$window" test-finish
# The same inputs passed every completeness check the first time, so a box
# that leaves PASS.mdb as it was is the refusal.
wait_for 10 "duplicate refusal" box_open
sleep 0.5  # let the box paint itself before the picture
shoot refusal
[ "$(row_count "$out/station/PASS.mdb")" = 1 ] || fail "the duplicate was stored"
[ ! -e "$out/station/FAIL.mdb" ] || fail "the duplicate went to FAIL.mdb"
wait_for 10 "refusal to close" close_box
echo "PASS: stored once, refused again; pictures in $out"
