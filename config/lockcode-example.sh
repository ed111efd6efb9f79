#!/bin/sh
# Example unlock-code rule for LOCKCODE_COMMAND in workstation.ini.
# The station runs this program with the unit's IMEI as its only argument and
# sends the first line it prints as the unlock code: letters and digits only,
# at most 18 of them. Exit with a non-zero status when no code can be given;
# what goes to standard error reaches the station's trace channel.
# This rule: the last eight digits of the IMEI.
imei="$1"
case "$imei" in
"" | *[!0-9]*)
    echo "lockcode-example: not an IMEI: '$imei'" >&2
    exit 2
    ;;
esac
printf '%s\n' "${imei#???????}"
