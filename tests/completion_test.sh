#!/bin/sh
# The bash completion offers tarnwick's options, the -c frequencies and file
# names, for a few command lines, and knows every option that --help lists.
# Usage: completion_test.sh path/to/tarnwick.bash path/to/tarnwick
set -eu
case $1 in /*) script=$1 ;; *) script=$PWD/$1 ;; esac # the test leaves the directory
help=$("$2" --help 2>/dev/null | sed -n 's/^  \(-[^ ]*\).*/\1/p' | sed 's/=.*/=/' | sort | tr '\n' ' ')
known=$(bash -c '. "$1"; printf "%s\n" $_tarnwick_options' sh "$script" | sort | tr '\n' ' ')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/dir"
touch "$work/dir/prog.hex" "$work/dir/prog.map" "$work/my file.hex"
cd "$work/dir"
failed=0
if [ "$help" != "$known" ]; then
	echo "FAIL: --help lists '$help', the completion knows '$known'"
	failed=1
fi
# offers "words on the command line" "what it must offer" [number of words
# offered [number of the word completed, else the last]]; "\ " is a blank
# within a word
offers() {
	got=$(bash -c '. "$1"; read -a COMP_WORDS <<<"$2"; [ "${2% }" = "$2" ] || COMP_WORDS+=("")
		COMP_CWORD=${3:-$((${#COMP_WORDS[@]} - 1))}; _tarnwick
		echo "${#COMPREPLY[@]} ${COMPREPLY[*]}"' sh "$script" "$1" "${4-}")
	if [ "${got#* }" != "$2" ] || [ "${got%% *}" != "${3:-${got%% *}}" ]; then
		echo "FAIL: '$1' offers '$got' (number, words), not '${3:+$3 }$2'"
		failed=1
	fi
}
offers "tarnwick -c " "4 8 12 16 20"
offers "tarnwick -c 1" "12 16"
offers "tarnwick --" "--binary --diff --eeprom-size= --extract --fill= --help --info --serial= --serial-counter= --serial-log= --serial-number= --set= --srec --update --verify --version"
offers "tarnwick --b" "--binary"
offers "tarnwick -" "-a -b -c -e -h -i -p -s -t --binary --diff --eeprom-size= --extract --fill= --help --info --serial= --serial-counter= --serial-log= --serial-number= --set= --srec --update --verify --version"
offers "tarnwick -s prog.h" "prog.hex"
offers "tarnwick -e " "prog.hex prog.map"
offers "tarnwick -p " ""
offers "tarnwick --i" "--info"
offers "tarnwick ../my\\ f" "../my file.hex" 1
offers "tarnwick -- -" ""
offers "tarnwick -b -- -" "-a -b -c -e -h -i -p -s -t --binary --diff --eeprom-size= --extract --fill= --help --info --serial= --serial-counter= --serial-log= --serial-number= --set= --srec --verify --version"
offers "tarnwick --info prog.hex -" "-b -h -i -p -t --binary --eeprom-size= --fill= --help --json --map --picture= --serial= --version"
offers "tarnwick --verify -" "-b -c -e -h -i -p -s -t --binary --eeprom-size= --fill= --help --json --map --picture= --serial= --serial-log= --serial-number= --set= --version"
offers "tarnwick - --ext prog.hex" "-b -h -i -p -t --binary --eeprom-size= --fill= --help --json --map --picture= --serial= --version" "" 1
offers "tarnwick -s --" "--binary --eeprom-size= --fill= --help --serial= --serial-counter= --serial-log= --serial-number= --set= --srec --update --verify --version"
offers "tarnwick -a x --" "--binary --eeprom-size= --fill= --help --serial= --serial-counter= --serial-log= --serial-number= --set= --srec --version"
offers "tarnwick --update -" "-c -e -h -i -p -s -t --dry-run --eeprom-size= --fill= --help --json --page-size= --picture= --serial= --serial-counter= --serial-log= --serial-number= --set= --version"
offers "tarnwick --srec --" "--binary --eeprom-size= --fill= --help --serial= --serial-counter= --serial-log= --serial-number= --set= --srec --version"
offers "tarnwick --serial-counter " "prog.hex prog.map"
offers "tarnwick --info --picture = p" "prog.hex prog.map"
offers "tarnwick --eeprom-size " ""
offers "tarnwick -sc 1" "12 16"
offers "tarnwick --fil " ""
offers "tarnwick --fill = p" ""
[ "$failed" -eq 0 ] && echo "completion offers what it should"
exit "$failed"
