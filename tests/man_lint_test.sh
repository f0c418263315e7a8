#!/bin/sh
# The manual page passes groff's and mandoc's checks without a word.
# Usage: man_lint_test.sh path/to/tarnwick.1
set -eu
page=$1
for tool in groff mandoc; do
	command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool not found"; exit 1; }
done
failed=0
report=$(groff -man -ww -z "$page" 2>&1) || failed=1
[ -z "$report" ] || { echo "groff -man -ww -z reports:"; echo "$report"; failed=1; }
report=$(mandoc -T lint "$page" 2>&1) || failed=1
[ -z "$report" ] || { echo "mandoc -T lint reports:"; echo "$report"; failed=1; }
[ "$failed" -eq 0 ] && echo "manual page lints clean"
exit "$failed"
