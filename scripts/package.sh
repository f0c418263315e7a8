#!/bin/sh
# Builds the Debian package of tarnwick with CPack into build-package/.
# With --check it also installs the package with dpkg (as root), runs the
# installed tarnwick on the example, finds the manual page with man -w and
# removes the package again.
# Usage: scripts/package.sh [--check]
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh cmake make gcc g++ dpkg-dev man-db
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=OFF
cmake --build build-package --parallel
rm -f build-package/tarnwick_*.deb
(cd build-package && cpack -G DEB)
deb=$(ls build-package/tarnwick_*.deb)
echo "built $deb"
dpkg-deb -I "$deb"
dpkg-deb -c "$deb"
[ "${1:-}" = "--check" ] || exit 0

dpkg -i "$deb"
work=$(mktemp -d)
trap 'rm -rf "$work"; dpkg -r tarnwick >/dev/null' EXIT
/usr/bin/tarnwick examples/blink.hex "$work/blink.eeprom.hex"
cmp "$work/blink.eeprom.hex" examples/blink.eeprom.hex
page=$(man -w tarnwick)
echo "installed tarnwick converts the example; man -w tarnwick: $page"
[ "$page" = /usr/share/man/man1/tarnwick.1 ] || [ "$page" = /usr/share/man/man1/tarnwick.1.gz ]
