#!/bin/sh
# The bundled example converts to the committed Intel HEX and C array files,
# and its image draws as the committed picture.
# Usage: example_test.sh path/to/tarnwick path/to/examples
set -eu
tool=$1 examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" "$examples/blink.hex" "$work/blink.eeprom.hex" 2>/dev/null
"$tool" -a blink_image "$examples/blink.hex" "$work/blink.eeprom.c" 2>/dev/null
cmp "$work/blink.eeprom.hex" "$examples/blink.eeprom.hex"
cmp "$work/blink.eeprom.c" "$examples/blink.eeprom.c"
"$tool" --info --picture="$work/blink.eeprom.svg" "$examples/blink.eeprom.hex" >/dev/null 2>&1
cmp "$work/blink.eeprom.svg" "$examples/blink.eeprom.svg"
echo "example converts as committed"
