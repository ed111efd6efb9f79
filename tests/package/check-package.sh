#!/usr/bin/env bash
# check-package.sh BUILD_DIR VERSION: makes the Debian package of BUILD_DIR
# with cpack, unpacks it with dpkg -x into a temporary root and checks its
# files, its control fields, lintian's verdict and where the unpacked station
# keeps its files. Installs nothing on the machine.
set -euo pipefail

build="$1"
version="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/rurizuda-package-XXXXXX")"
cleanup() {
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The package.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb="$work/out/rurizuda_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack made: $(ls "$work/out")"

# Control fields: the libraries come from the binaries, the font is named.
depends="$(dpkg-deb -f "$deb" Depends)"
for dep in libc6 libqt6widgets6 libudev1 fonts-wqy-zenhei; do
  [[ "$depends" == *"$dep"* ]] || fail "Depends lacks $dep: $depends"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is not $version"

# The files.
root="$work/root"
dpkg -x "$deb" "$root"
expected=(
  usr/bin/rurizuda
  usr/bin/rurizuda-at
  usr/bin/rurizuda-unit-sim
  usr/lib/udev/rules.d/61-rurizuda-unit.rules
  usr/share/applications/rurizuda.desktop
  usr/share/icons/hicolor/48x48/apps/rurizuda.png
  usr/share/icons/hicolor/256x256/apps/rurizuda.png
  usr/share/rurizuda/workstation.example.ini
  usr/share/doc/rurizuda/README.md
  usr/share/doc/rurizuda/README.Debian
  usr/share/doc/rurizuda/workstation.example.ini
  usr/share/doc/rurizuda/copyright
  usr/share/doc/rurizuda/changelog.gz
)
[ -x "$build/bin/rurizuda-report" ] && expected+=(usr/bin/rurizuda-report)
[ -x "$build/bin/rurizuda-mes" ] && expected+=(usr/bin/rurizuda-mes)
for file in "${expected[@]}"; do
  [ -f "$root/$file" ] || fail "the package lacks /$file"
done
for program in "$root"/usr/bin/*; do
  [ -x "$program" ] || fail "$program is not executable"
done
file --brief "$root/usr/share/icons/hicolor/48x48/apps/rurizuda.png" | grep -q '^PNG image data, 48 x 48' \
  || fail "the 48x48 icon is not a 48 x 48 PNG"
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -qx './postinst' || fail "no postinst"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/rurizuda.desktop" || fail "desktop entry not valid"
fi
grep -qx 'Name=RuriZuda (all slots)' "$root/usr/share/applications/rurizuda.desktop" \
  && grep -qx 'Exec=rurizuda --slots' "$root/usr/share/applications/rurizuda.desktop" \
  || fail "the desktop entry offers no start of all slots"

# The version, from the unpacked files.
reported="$("$root/usr/bin/rurizuda" --version)"
[ "$reported" = "rurizuda $version" ] || fail "--version said: $reported"

# lintian: errors fail, warnings are listed.
command -v lintian >/dev/null || fail "lintian is missing (scripts/common.sh installs it)"
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
if grep -q '^E:' "$work/lintian.log"; then
  fail "lintian reports errors"
fi

# The station started from the unpacked /usr/bin, in that folder, keeps its
# files in the station folder and writes nothing beside itself.
run_station() {
  (cd "$root/usr/bin" && env -u XDG_DATA_HOME -u DISPLAY -u WAYLAND_DISPLAY \
    HOME="$work/home" QT_QPA_PLATFORM=offscreen ./rurizuda --screenshot "$work/window.png" "$@")
}
mkdir "$work/home"
chmod a-w "$root/usr/bin"
before="$(ls -la --time-style=full-iso "$root/usr/bin")"
run_station 2>"$work/first.err" || { cat "$work/first.err" >&2; fail "the unpacked station did not start"; }
station="$work/home/.local/share/rurizuda"
[ -f "$station/writelog.txt" ] || fail "no writelog.txt in $station"
cmp -s "$station/workstation.ini" "$root/usr/share/rurizuda/workstation.example.ini" \
  || fail "the example profile was not copied to $station"
grep -q "copied the example profile" "$work/first.err" || fail "the first start did not say it copied the profile"
[ -f "$work/window.png" ] || fail "no screenshot"
[ "$(ls -la --time-style=full-iso "$root/usr/bin")" = "$before" ] || fail "the station wrote into /usr/bin"

# A later start keeps the profile and says nothing about it.
echo "; edited" >>"$station/workstation.ini"
run_station 2>"$work/second.err" || fail "the second start failed"
grep -q "; edited" "$station/workstation.ini" || fail "the second start replaced the profile"
! grep -q "example profile" "$work/second.err" || fail "the second start copied the profile again"

# --dir names the station folder.
run_station --dir "$work/line-3" 2>/dev/null || fail "the start with --dir failed"
[ -f "$work/line-3/workstation.ini" ] && [ -f "$work/line-3/writelog.txt" ] || fail "--dir was not used"
[ "$(ls -la --time-style=full-iso "$root/usr/bin")" = "$before" ] || fail "the station wrote into /usr/bin"
echo "package checks passed"
