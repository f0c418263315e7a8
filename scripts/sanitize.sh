#!/bin/sh
# Builds tarnwick and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (any finding aborts the run) into build-asan/
# and runs every test against that build.
# Usage: scripts/sanitize.sh
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_SANITIZE=ON
cmake --build build-asan --parallel
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --test-dir build-asan --output-on-failure --parallel 2
