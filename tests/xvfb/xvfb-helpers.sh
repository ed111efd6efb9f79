# shellcheck shell=bash
# Helpers of the tests that drive real station windows under a private Xvfb
# from outside, as a barcode scanner and a mouse would. Sourced by the test
# scripts after they have set `out` (the folder of their files and pictures).
# Starting one sets an EXIT trap that ends every process it started.

readonly kTitle="KAVO RURIZUDA TOOL 1.2.2.5"
readonly kBoxTitle="RuriZuda"  # the station's message boxes
readonly kSkipped=77

# require_tools TOOL...: skips the test when one is missing.
require_tools() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is missing (scripts/test.sh installs it)"
      exit "$kSkipped"
    fi
  done
}

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

# fail TEXT: says why, leaves a picture, the station logs and output, ends.
fail() {
  echo "FAIL: $*" >&2
  shoot failure
  local file
  for file in $(find "$out" -name writelog.txt) "$out"/*.err; do
    [ -f "$file" ] || continue
    echo "--- $file" >&2
    tail -n 20 "$file" >&2
  done
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

# top_box: the window of the top open message box; "" when none is open.
top_box() { xdotool search --onlyvisible --name "^$kBoxTitle\$" 2>/dev/null | tail -n 1 || true; }

# shoot NAME: a picture of the whole screen as OUT/NAME.xwd, and of the top
# message box, if one is open, as OUT/NAME-box.xwd.
shoot() {
  [ -n "${DISPLAY:-}" ] || return 0
  xwd -root -silent -out "$out/$1.xwd" 2>/dev/null || true
  local box
  box="$(top_box)"
  [ -z "$box" ] || xwd -id "$box" -silent -out "$out/$1-box.xwd" 2>/dev/null || true
}

# start_xvfb WIDTHxHEIGHT: a private X server; exports DISPLAY. Xvfb picks a
# free display itself and names it on the descriptor.
start_xvfb() {
  local displayfd display
  exec {displayfd}<> <(:)
  Xvfb -displayfd "$displayfd" -screen 0 "$1x24" -nolisten tcp >"$out/xvfb.log" 2>&1 &
  pids+=($!)
  read -r -t 10 -u "$displayfd" display || fail "Xvfb named no display"
  exec {displayfd}>&-
  export DISPLAY=":$display"
  export QT_QPA_PLATFORM=xcb
  echo "display $DISPLAY"
}

# start_simulator NAME OPTION...: the unit simulator program ($simulator)
# with OPTIONs, its traffic in OUT/NAME.log; its terminal's path is left in
# `port`.
start_simulator() {
  local name="$1"
  shift
  "$simulator" "$@" --log >"$out/$name.port" 2>"$out/$name.log" &
  pids+=($!)
  port=""
  for _ in $(seq 100); do
    read -r port 2>/dev/null <"$out/$name.port" && [ -n "$port" ] && return 0
    sleep 0.1
  done
  fail "the simulator $name named no terminal"
}

# load_centres CENTRES OPTION... NAME...: the centres of the named controls
# into the array `centre`, as CENTRES prints them.
declare -A centre
load_centres() {
  local name x y
  while read -r name x y; do
    centre[$name]="$x $y"
  done < <("$@")
}

# click WINDOW NAME: a click on the centre of the named control.
click() {
  # shellcheck disable=SC2086
  xdotool mousemove --window "$1" ${centre[$2]} click 1
}

# scan WINDOW LABEL...: the labels typed into the scan fields from SCAN MAC
# on, each ending in Enter (the last one starts the one-key test).
scan() {
  local window="$1" label
  shift
  xdotool windowfocus --sync "$window" || true
  click "$window" scan-mac
  for label in "$@"; do
    xdotool type --delay 2 "$label"
    xdotool key Return
  done
}

box_open() { [ -n "$(top_box)" ]; }

# close_box: presses OK in the top message box; false while one was open.
close_box() {
  local box
  box="$(top_box)"
  [ -z "$box" ] && return 0
  xdotool windowfocus --sync "$box" key Return 2>/dev/null || true
  return 1
}

# row_count FILE: the rows of SNTable, through the sqlite3 library.
row_count() {
  python3 - "$1" <<'PYTHON'
import sqlite3, sys
db = sqlite3.connect("file:" + sys.argv[1] + "?mode=ro", uri=True)
assert db.execute("PRAGMA integrity_check").fetchone()[0] == "ok"
print(db.execute("SELECT count(*) FROM SNTable").fetchone()[0])
PYTHON
}

# resets LOG: how often the simulator of LOG was asked to reboot, which the
# station does only after a passed one-key test.
resets() { grep -aci "reset" "$1" || true; }

# colour_at WINDOW NAME: the colour ("R G B") of the window's pixel at the
# named control's centre, from a picture of the window.
colour_at() {
  local picture="$out/colour-$1.xwd"
  xwd -id "$1" -silent -out "$picture" || return 1
  # shellcheck disable=SC2086
  python3 - "$picture" ${centre[$2]} <<'PYTHON'
import struct, sys
data = open(sys.argv[1], "rb").read()
fields = struct.unpack(">25I", data[:100])
header_size, byte_order, bits, line = fields[0], fields[7], fields[11], fields[12]
masks, colours = fields[14:17], fields[19]
x, y = int(sys.argv[2]), int(sys.argv[3])
start = header_size + colours * 12 + y * line + x * bits // 8
pixel = int.from_bytes(data[start:start + bits // 8], "little" if byte_order == 0 else "big")
def channel(mask):
    shift = (mask & -mask).bit_length() - 1
    return (pixel & mask) >> shift
print(*(channel(mask) for mask in masks))
PYTHON
}
