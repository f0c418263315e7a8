#!/bin/sh
# Each table of the program is checked when it is built: with one of its
# rows left out, or put out of its place, its source file does not
# compile; as it is, it does.
# Usage: missing_row_test.sh c++-compiler source-folder
set -eu
cxx=$1 src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
compiles() { "$cxx" -std=c++17 -fsyntax-only -I"$src" -x c++ "$1" 2>"$work/errors"; }

# Writes the table file $1 with the row that begins "{$2," (its lines up
# to the one that ends in "},") left out, or with $4 = move put behind the
# row that begins "{$3,".
edit_table() {
	awk -v row="{$2," -v next_row="{$3," -v move="$4" '
		function starts(s, with) { sub(/^[ \t]+/, "", s); return index(s, with) == 1 }
		starts($0, row) { in_row = 1 }
		in_row { kept = kept $0 "\n"; if ($0 ~ /},[ \t]*$/) in_row = 0; next }
		starts($0, next_row) { in_next = 1 }
		{ print }
		in_next && $0 ~ /},[ \t]*$/ { in_next = 0; if (move == "move") printf "%s", kept }
	' "$src/$1" >"$work/table.cpp"
}

for table in modes/modes.cpp:MODE_INFO:MODE_VERIFY forms/forms.cpp:FORM_SREC:FORM_C_ARRAY \
	cli/options.cpp:OPT_JSON:OPT_MAP image/serial_formats.cpp:SERIAL_HEX:SERIAL_USB \
	image/cell_kinds.cpp:KIND_SERIAL:KIND_SET; do
	file=${table%%:*} rest=${table#*:}
	row=${rest%%:*} next=${rest#*:}
	if ! compiles "$src/$file"; then
		echo "FAIL: $file does not compile as it is:"
		cat "$work/errors"
		failed=1
	fi
	for change in leave move; do
		edit_table "$file" "$row" "$next" "$change"
		if cmp -s "$src/$file" "$work/table.cpp"; then
			echo "FAIL: no row $row found in $file"
			failed=1
		elif compiles "$work/table.cpp"; then
			echo "FAIL: $file compiles with its row $row (${change})"
			failed=1
		fi
	done
done
[ "$failed" -eq 0 ] && echo "every table refuses to build with a row left out or moved"
exit "$failed"
