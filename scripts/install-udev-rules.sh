#!/usr/bin/env bash
# Installs the udev rules for the unit's AT port, for a station run from the
# source tree, and applies them to the ports already attached. Operators must
# be in the dialout group. The Debian package installs the same rules by
# itself (/usr/lib/udev/rules.d/61-rurizuda-unit.rules); this script's copy
# has a name of its own, so it never hides the package's later versions.
#   RURIZUDA_UDEV_ETC   where local rules go (default /etc/udev/rules.d)
#   RURIZUDA_UDEV_LIB   where the package's rules are (default /usr/lib/udev/rules.d)
#   RURIZUDA_UDEVADM    the udevadm command (default udevadm)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
etc=${RURIZUDA_UDEV_ETC:-/etc/udev/rules.d}
lib=${RURIZUDA_UDEV_LIB:-/usr/lib/udev/rules.d}
udevadm=${RURIZUDA_UDEVADM:-udevadm}
rules="$root/discovery/61-rurizuda-unit.rules"
local_name=61-rurizuda-unit-source.rules
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

if [ -f "$lib/61-rurizuda-unit.rules" ]; then
  echo "The installed package already provides $lib/61-rurizuda-unit.rules; nothing to do."
  exit 0
fi
# An older version of this script installed the rules under the package's
# name, which would override the package's copy for ever after.
if cmp -s "$rules" "$etc/61-rurizuda-unit.rules"; then
  "${sudo[@]}" rm -f "$etc/61-rurizuda-unit.rules"
fi
"${sudo[@]}" install -m 0644 "$rules" "$etc/$local_name"
"${sudo[@]}" "$udevadm" control --reload
"${sudo[@]}" "$udevadm" trigger --subsystem-match=tty --subsystem-match=usb
echo "Installed $etc/$local_name (remove it when you install the Debian package)."
echo "Add each operator to dialout if needed: sudo usermod -aG dialout USER (takes effect at the next login)."
