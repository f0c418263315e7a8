#!/bin/sh
# Builds the Debian package of tarnwick with CPack into build-package/.
# With --check it also unpacks the package into a temporary folder, without
# installing it, and checks what it holds: the executable converts the
# example, the manual page and the bash completion are in place, and the
# package depends on libc6. Each failed check is named.
# Usage: scripts/package.sh [--check]
set -eu
cd "$(dirname "$0")/.."
# dpkg-dev and file: CPack's scan of the shared libraries that tarnwick uses.
sh scripts/install-deps.sh cmake make gcc g++ dpkg-dev file
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=OFF
cmake --build build-package --parallel
rm -f build-package/tarnwick_*.deb
(cd build-package && cpack -G DEB)
deb=$(ls build-package/tarnwick_*.deb)
echo "built $deb"
dpkg-deb -I "$deb"
dpkg-deb -c "$deb"
[ "${1:-}" = "--check" ] || exit 0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"
failed=0
fail() { echo "package check failed: $*" >&2; failed=1; }
if ! "$work/root/usr/bin/tarnwick" examples/blink.hex "$work/blink.eeprom.hex" 2>"$work/stderr"; then
	fail "the packaged usr/bin/tarnwick does not convert examples/blink.hex: $(cat "$work/stderr")"
elif ! cmp -s "$work/blink.eeprom.hex" examples/blink.eeprom.hex; then
	fail "the packaged usr/bin/tarnwick converts examples/blink.hex to other bytes"
fi
page=$(ls "$work/root/usr/share/man/man1/tarnwick.1"* 2>/dev/null || true)
[ -n "$page" ] || fail "no manual page usr/share/man/man1/tarnwick.1 in the package"
[ -f "$work/root/usr/share/bash-completion/completions/tarnwick" ] ||
	fail "no bash completion usr/share/bash-completion/completions/tarnwick in the package"
dpkg-deb -f "$deb" Depends | grep -q libc6 || fail "the package does not depend on libc6"
[ "$failed" -eq 0 ] && echo "package holds a working tarnwick, its manual page and its completion"
exit "$failed"
