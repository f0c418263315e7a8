#!/bin/sh
# Cross-builds the Windows executable build-win/tarnwick.exe with mingw-w64.
# With --test it also runs the end-to-end tests against it under wine, in a
# fresh wine prefix that is removed afterwards.
# Usage: scripts/windows.sh [--test]
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh cmake make g++-mingw-w64-x86-64
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	-DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=OFF
cmake --build build-win --parallel
echo "built build-win/tarnwick.exe"
[ "${1:-}" = "--test" ] || exit 0

# The end-to-end tests are a Linux program that runs the executable.
sh scripts/install-deps.sh wine64 wine gcc g++ libgtest-dev
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=ON >/dev/null
cmake --build build-test --parallel --target tarnwick_e2e_tests

WINEDEBUG=-all
WINEPREFIX=$(mktemp -d)
export WINEDEBUG WINEPREFIX
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
# The first run makes the prefix and starts wine's services, which keep the
# streams they inherit: give them none, so that no later run waits on them.
wineserver -p
wine build-win/tarnwick.exe -h </dev/null >/dev/null 2>&1 || true
TARNWICK_BINARY=$PWD/build-win/tarnwick.exe ./build-test/tests/tarnwick_e2e_tests
