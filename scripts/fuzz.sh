#!/bin/sh
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for the given time, both at once.
# Usage: scripts/fuzz.sh [seconds per target, default 60]
# New inputs go to build-fuzz/corpus/<target>; a crash, leak or failed
# property leaves its input in build-fuzz/findings/<target>/ and makes the
# script exit non-zero. Each target's closing statistics are printed.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
sh scripts/install-deps.sh cmake make clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DTARNWICK_FUZZ=ON -DTARNWICK_TESTS=OFF \
	-DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --parallel --target hex_load_fuzz run_fuzz

pids=""
for target in hex_load_fuzz run_fuzz; do
	seeds=tests/fuzz/corpus/${target%_fuzz}
	corpus=build-fuzz/corpus/$target
	findings=build-fuzz/findings/$target
	mkdir -p "$corpus" "$findings"
	# -close_fd_mask=2: the tool's own messages are not libFuzzer's output.
	# GNU time, where it is installed, records the CPU time the target used.
	timer=""
	[ -x /usr/bin/time ] && timer="/usr/bin/time -o build-fuzz/$target.cpu -f cpu_seconds:_%U_user_%S_system"
	# shellcheck disable=SC2086
	$timer ./build-fuzz/$target -max_total_time="$seconds" -max_len=8192 -timeout=10 \
		-close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$findings/" \
		"$corpus" "$seeds" >"build-fuzz/$target.log" 2>&1 &
	pids="$pids $!"
done

status=0
for pid in $pids; do
	wait "$pid" || status=1
done
for target in hex_load_fuzz run_fuzz; do
	echo "== $target"
	grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb)|ERROR|property violated' \
		"build-fuzz/$target.log" || true
	cat "build-fuzz/$target.cpu" 2>/dev/null || true
	ls "build-fuzz/findings/$target"
done
[ "$status" -eq 0 ] && echo "fuzzing found nothing" || echo "fuzzing found a failure: see build-fuzz/findings/"
exit "$status"
