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

readonly kTitle="KAVO RURIZUDA TOOL 1.2.2.5"
readonly kBoxTitle="RuriZuda"  # the station's message boxes
# The labels of the simulated unit, in the order the scan fields take them.
readonly kLabels=(A45E60C1229F 867400012345678 RZ26A0145871 PB26A0145871)
readonly kSkipped=77

for tool in Xvfb xdotool xwd python3; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is missing (scripts/test.sh installs it)"
    exit "$kSkipped"
  fi
done

rm -rf "$out"
mkdir -p "$out/station"
cp "$profile" "$out/station/workstation.ini"

pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  shoot failure
  echo "--- station log" >&2
  cat "$out/station/writelog.txt" >&2 2>/dev/null || true
  echo "--- station output" >&2
  tail -n 20 "$out/station.err" >&2 2>/dev/null || true
  exit 1
}

# wait_for SECONDS DESCRIPTION COMMAND...: polls COMMAND every 0.1 s.
wait_for() {
  local seconds="$1" what="$2"
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || fail "no $what within $seconds s"
    sleep 0.1
  done
}

# shoot NAME: a picture of the whole screen as OUT/NAME.xwd, and of the top
# message box, if one is open, as OUT/NAME-box.xwd.
shoot() {
  [ -n "${DISPLAY:-}" ] || return 0
  xwd -root -silent -out "$out/$1.xwd" 2>/dev/null || true
  local box
  box="$(xdotool search --onlyvisible --name "^$kBoxTitle\$" 2>/dev/null | tail -n 1 || true)"
  [ -z "$box" ] || xwd -id "$box" -silent -out "$out/$1-box.xwd" 2>/dev/null || true
}

# Xvfb picks a free display itself and names it on the descriptor.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 -u "$displayfd" display || fail "Xvfb named no display"
exec {displayfd}>&-
export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
echo "display $DISPLAY"

# The unit arrives locked to its network, as from the line before: UNLOCK
# opens it, LOCK closes it again before it leaves.
coproc SIM { exec "$simulator" --pn-locked --key-delay 500 --log 2>"$out/simulator.log"; }
pids+=("$SIM_PID")
read -r -t 10 -u "${SIM[0]}" port || fail "the simulator named no terminal"
echo "unit on $port"

"$station" --port "$port" --dir "$out/station" >"$out/station.out" 2>"$out/station.err" &
pids+=($!)

window=""
find_window() { window="$(xdotool search --name "^$kTitle\$" | head -n 1)"; [ -n "$window" ]; }
wait_for 20 "station window" find_window
echo "window $window"

declare -A centre
while read -r name x y; do
  centre[$name]="$x $y"
done < <("$centres" scan-mac led-pass oled-pass test-finish retest)

click() {
  # shellcheck disable=SC2086
  xdotool mousemove --window "$window" ${centre[$1]} click 1
}

box_open() { xdotool search --onlyvisible --name "^$kBoxTitle\$" >/dev/null; }

# row_count FILE: the rows of SNTable, through the sqlite3 library.
row_count() {
  python3 - "$1" <<'EOF'
import sqlite3, sys
db = sqlite3.connect("file:" + sys.argv[1] + "?mode=ro", uri=True)
assert db.execute("PRAGMA integrity_check").fetchone()[0] == "ok"
print(db.execute("SELECT count(*) FROM SNTable").fetchone()[0])
EOF
}

# One unit: scan the labels fast, each ending in Enter (the last one starts
# the one-key test), then judge the LED; the OLED is judged apart, outside
# the one-key test.
test_unit() {
  xdotool windowfocus --sync "$window" || true
  click scan-mac
  local label
  for label in "${kLabels[@]}"; do
    xdotool type --delay 2 "$label"
    xdotool key Return
  done
  sleep 0.5
  click led-pass
  click oled-pass
}

# The verdict: the key report has come and the station has asked the unit
# to reboot, which it does only after a passed one-key test.
resets() { grep -aci "reset" "$out/simulator.log" || true; }
resets_before=0
rebooted() { [ "$(resets)" -gt "$resets_before" ]; }

test_unit
wait_for 45 "verdict and reboot request" rebooted
shoot verdict
box_open && fail "a message box came up during a passing test"

click test-finish
# A new PASS.mdb: the station says so in a box; the row is there.
wait_for 10 "box announcing the new result file" box_open
[ "$(row_count "$out/station/PASS.mdb")" = 1 ] || fail "PASS.mdb does not hold the unit"
close_box() {
  local box
  box="$(xdotool search --onlyvisible --name "^$kBoxTitle\$" | tail -n 1 || true)"
  [ -z "$box" ] && return 0
  xdotool windowfocus --sync "$box" key Return 2>/dev/null || true
  return 1
}
wait_for 10 "box to close" close_box
[ ! -e "$out/station/FAIL.mdb" ] || fail "a passed unit went to FAIL.mdb"

click retest
resets_before="$(resets)"

test_unit
wait_for 45 "second verdict and reboot request" rebooted
click test-finish
# The same inputs passed every completeness check the first time, so a box
# that leaves PASS.mdb as it was is the refusal.
wait_for 10 "duplicate refusal" box_open
sleep 0.5  # let the box paint itself before the picture
shoot refusal
[ "$(row_count "$out/station/PASS.mdb")" = 1 ] || fail "the duplicate was stored"
[ ! -e "$out/station/FAIL.mdb" ] || fail "the duplicate went to FAIL.mdb"
wait_for 10 "refusal to close" close_box
echo "PASS: stored once, refused again; pictures in $out"
