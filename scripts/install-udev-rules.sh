#!/usr/bin/env bash
# Installs the udev rules for the unit's AT port and applies them to the
# ports already attached. Operators must be in the dialout group.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" install -m 0644 "$root/discovery/61-rurizuda-unit.rules" /etc/udev/rules.d/61-rurizuda-unit.rules
"${sudo[@]}" udevadm control --reload
"${sudo[@]}" udevadm trigger --subsystem-match=tty --subsystem-match=usb
echo "Installed /etc/udev/rules.d/61-rurizuda-unit.rules."
echo "Add each operator to dialout if needed: sudo usermod -aG dialout USER (takes effect at the next login)."
