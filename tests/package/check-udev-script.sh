#!/usr/bin/env bash
# scripts/install-udev-rules.sh in throwaway folders: its copy never takes the
# package's name, an old copy under that name goes, and with the package's
# rules present it installs nothing.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/etc" "$dir/lib"
cp "$root/discovery/61-rurizuda-unit.rules" "$dir/etc/61-rurizuda-unit.rules"
run() { RURIZUDA_UDEV_ETC="$dir/etc" RURIZUDA_UDEV_LIB="$dir/lib" RURIZUDA_UDEVADM=true \
  bash "$root/scripts/install-udev-rules.sh" >/dev/null; }
run
[ "$(ls "$dir/etc")" = "61-rurizuda-unit-source.rules" ] || { ls "$dir/etc"; exit 1; }
rm "$dir/etc/"*
cp "$root/discovery/61-rurizuda-unit.rules" "$dir/lib/"
run
[ -z "$(ls "$dir/etc")" ] || { ls "$dir/etc"; exit 1; }
