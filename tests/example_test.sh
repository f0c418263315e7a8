#!/bin/sh
# The bundled example converts to the committed Intel HEX and C array files.
# Usage: example_test.sh path/to/tarnwick path/to/examples
set -eu
tool=$1 examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" "$examples/blink.hex" "$work/blink.eeprom.hex" 2>/dev/null
"$tool" -a blink_image "$examples/blink.hex" "$work/blink.eeprom.c" 2>/dev/null
cmp "$work/blink.eeprom.hex" "$examples/blink.eeprom.hex"
cmp "$work/blink.eeprom.c" "$examples/blink.eeprom.c"
echo "example converts as committed"
