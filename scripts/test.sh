#!/bin/sh
# Builds tarnwick with its tests into build-test/ and runs every test.
# Usage: scripts/test.sh
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=ON
cmake --build build-test --parallel
ctest --test-dir build-test --output-on-failure --parallel 2
