#!/bin/sh
# Builds tarnwick into build/ and converts the bundled example program, and
# draws its image.
# Usage: scripts/build.sh
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh cmake make gcc g++
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=OFF
cmake --build build --parallel
./build/tarnwick examples/blink.hex build/blink.eeprom.hex
./build/tarnwick -a blink_image examples/blink.hex build/blink.eeprom.c
./build/tarnwick --info --picture=build/blink.eeprom.svg build/blink.eeprom.hex >/dev/null
cmp build/blink.eeprom.hex examples/blink.eeprom.hex
cmp build/blink.eeprom.c examples/blink.eeprom.c
cmp build/blink.eeprom.svg examples/blink.eeprom.svg
echo "built build/tarnwick; converted examples/blink.hex to build/blink.eeprom.hex"
echo "(and to the C array build/blink.eeprom.c, and drew it as build/blink.eeprom.svg):"
cat build/blink.eeprom.hex
