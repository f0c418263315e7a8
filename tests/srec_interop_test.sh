#!/bin/sh
# srec_cat, an independent Intel HEX tool, reads what tarnwick writes without a
# warning and finds the header and the moved program where they belong.
# Usage: srec_interop_test.sh path/to/tarnwick
set -eu
tool=$1
if ! command -v srec_cat >/dev/null 2>&1; then
	echo "srec_cat not found (Debian package srecord)" >&2
	exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# A program of 2000 random bytes at addresses 0 to 1999, with a gap.
head -c 2000 /dev/urandom >program.bin
srec_cat program.bin -binary -exclude 0x300 0x340 -o program.hex -intel
# The boot header's block byte: (3 + 1999) >> 8.
block=7
failures=0

check() {
	base=$1 header=$2 shift=$3
	shift 3
	if ! "$tool" -p 65536 "$@" program.hex out.hex 2>/dev/null; then
		echo "FAIL: tarnwick $* exited non-zero"; failures=$((failures + 1)); return
	fi
	srec_cat out.hex -intel -o reread.hex -intel 2>warnings.txt
	if [ -s warnings.txt ]; then
		echo "FAIL: srec_cat warned on tarnwick $*:"; cat warnings.txt
		failures=$((failures + 1)); return
	fi
	# shellcheck disable=SC2086
	srec_cat '(' -generate 0 "$shift" -repeat-data $header \
		program.hex -intel -offset "$shift" ')' -offset "$base" \
		-o expected.hex -intel
	if srec_cmp out.hex -intel expected.hex -intel >cmp.txt 2>&1; then
		echo "ok: tarnwick $*"
	else
		echo "FAIL: tarnwick $* differs:"; cat cmp.txt
		failures=$((failures + 1))
	fi
}

check 0 "0x0B 0x03 $block" 3
check 0x8000 "0x0B 0x03 $block" 3 -b 8000
check 0xFFF0 "0x0B 0x03 $block" 3 -b FFF0
check 0x12340000 "0x0B 0x03 $block" 3 -b 0x12340000
check 0 "0x04 0x03 $block" 3 -c 20 -s
check 0 "0xD0 0x07" 2 -t

echo "$((6 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
