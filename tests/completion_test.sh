#!/bin/sh
# The bash completion offers tarnwick's options, the -c frequencies and file
# names, for a few command lines.
# Usage: completion_test.sh path/to/tarnwick.bash
set -eu
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch "$work/prog.hex" "$work/prog.map"
cd "$work"
failed=0
# offers "words on the command line" "what it must offer"
offers() {
	got=$(bash -c '. "$1"; COMP_WORDS=($2); [ "${2% }" = "$2" ] || COMP_WORDS+=("")
		COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tarnwick; echo "${COMPREPLY[*]}"' sh "$script" "$1")
	if [ "$got" != "$2" ]; then
		echo "FAIL: '$1' offers '$got', not '$2'"
		failed=1
	fi
}
offers "tarnwick -c " "4 8 12 16 20"
offers "tarnwick -c 1" "12 16"
offers "tarnwick --" "--binary --fill= --help --version"
offers "tarnwick --b" "--binary"
offers "tarnwick -" "-a -b -c -e -h -i -p -s -t --binary --fill= --help --version"
offers "tarnwick -s prog.h" "prog.hex"
offers "tarnwick -e " "prog.hex prog.map"
offers "tarnwick -p " ""
[ "$failed" -eq 0 ] && echo "completion offers what it should"
exit "$failed"
