#!/bin/sh
# Runs every example command of the README and of the manual page and checks
# that each succeeds and prints what the document shows after it; runs their
# Makefile rules and checks that they rebuild when the program changes and
# stop on a program that tarnwick refuses.
# Usage: doc_examples_test.sh path/to/tarnwick README.md path/to/tarnwick.1
set -eu
tool=$1 readme=$2 manual=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/run"
ln -s "$(cd "$(dirname "$tool")" && pwd)/$(basename "$tool")" "$work/bin/tarnwick"
PATH=$work/bin:$PATH
export PATH

# The files the examples work on.
fixtures() {
	printf ':03000000020000FB\n:00000001FF\n' >prog.hex
	printf ':02000000E0E13D\n:00000001FF\n' >expert.hex
	printf ':03000000020000FA\n:00000001FF\n' >edited.hex
	printf ':017FF000553B\n:00000001FF\n' >big.hex
}

# Turns the examples of one document into calls of `example`, each with the
# command and the output that the document shows for it, and of `makefile`
# with each Makefile rule. Roff escapes in the manual are undone.
extract() {
	awk -v roff="$2" '
	function flush() {
		if (cmd != "") { printf "example %s <<'\''END_OF_OUTPUT'\''\n%sEND_OF_OUTPUT\n", q(cmd), out }
		cmd = ""; out = ""
	}
	function q(s) { gsub(/'\''/, "'\''\\'\'''\''", s); return "'\''" s "'\''" }
	function unroff(s) { gsub(/\\-/, "-", s); gsub(/\\e/, "\\", s); gsub(/\\&/, "", s); return s }
	roff && /^\.SH/ { in_examples = ($0 ~ /^\.SH EXAMPLES/) }
	in_make { if ($0 ~ /^```/) { printf "makefile %s\n", q(rule); in_make = 0 } else rule = rule $0 "\n"; next }
	!roff && /^```make/ { in_make = 1; rule = ""; next }
	!roff && /^```/ { if (in_block) flush(); in_block = !in_block; next }
	roff && in_examples && /^\.EX/ { in_block = 1; rule = ""; next }
	roff && in_block && /^\.EE/ { flush(); in_block = 0; if (rule != "") printf "makefile %s\n", q(rule); next }
	in_block {
		line = roff ? unroff($0) : $0
		if (line ~ /^\$ /) { flush(); cmd = substr(line, 3) }
		else if (cmd != "") out = out line "\n"
		else rule = rule line "\n"
	}' "$1"
}

passed=0 failed=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

example() {
	expected=$(cat; echo x)
	(cd "$work/run" && fixtures && sh -c "$1") >"$work/actual" 2>"$work/stderr" ||
		{ fail "'$1' exited non-zero:"; cat "$work/stderr"; return; }
	actual=$(cat "$work/actual"; echo x)
	if [ "$actual" = "$expected" ]; then
		passed=$((passed + 1))
	else
		fail "'$1' printed:"; cat "$work/actual"
		echo "where the document shows:"; printf '%s' "${expected%x}"
	fi
}

makefile() {
	rm -rf "$work/make" && mkdir "$work/make"
	(
		cd "$work/make" && fixtures && printf '%s' "$1" >Makefile
		target=$(sed -n 's/^\([^ .:][^ :]*\):.*/\1/p' Makefile | head -n 1)
		make -s >/dev/null 2>&1 && [ -s "$target" ] && cp "$target" first || exit 1
		[ "$(make 2>&1)" = "make: '$target' is up to date." ] || exit 2
		sleep 1 && printf ':0100000011EE\n' >prog.hex
		make -s >/dev/null 2>&1 && ! cmp -s first "$target" || exit 3
		sleep 1 && printf ':0100000011EF\n' >prog.hex
		if make -s >/dev/null 2>&1; then exit 4; fi
		# The refused image must not stay behind looking up to date.
		if make -s >/dev/null 2>&1; then exit 5; fi
	) && passed=$((passed + 1)) || fail "Makefile rule (step $?):" "$1"
}

extract "$readme" 0 >"$work/readme.sh"
extract "$manual" 1 >"$work/manual.sh"
for doc in readme manual; do
	if ! grep -q '^example ' "$work/$doc.sh" || ! grep -q '^makefile ' "$work/$doc.sh"; then
		fail "no examples or no Makefile rule found in the $doc"
	fi
	. "$work/$doc.sh"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
