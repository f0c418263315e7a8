#!/bin/sh
# Measures tarnwick against srec_cat, objcopy and cp on one machine, in one
# run, and prints a Markdown table with the ratios and the targets.
#   instructions: valgrind --tool=callgrind (repeatable on a busy machine)
#   wall time:    hyperfine, median of repeated runs
#   CPU time:     hyperfine, mean user plus system time
#   memory:       peak resident set size from GNU time, least of five runs
#   throughput:   the loader and the writer in-process (Google Benchmark)
# Usage: bench/run.sh [output.md]     (the table also goes to the file, a
#                                     relative name being taken from where
#                                     the script is started)
set -eu
table=""
if [ "$#" -ge 1 ]; then
	case $1 in
	/*) table=$1 ;;
	*) table=$PWD/$1 ;;
	esac
fi
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh cmake make gcc g++ libbenchmark-dev valgrind hyperfine srecord binutils time \
	libarchive-zip-perl strace
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=OFF -DTARNWICK_BENCH=ON >/dev/null
cmake --build build-bench --parallel >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
./build-bench/make_inputs "$work"
tool=$PWD/build-bench/tarnwick
cd "$work"

# Instructions of one command (all its output to /dev/null).
instructions() {
	valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
		sed -n 's/.*Collected : *\([0-9]*\).*/\1/p; s/.*I *refs: *\([0-9,]*\).*/\1/p' |
		tr -d , | tail -n 1
}
# Median wall time in milliseconds over `runs` runs.
wall_ms() {
	runs=$1
	shift
	hyperfine --style none --warmup 3 --runs "$runs" --export-csv wall.csv "$*" >/dev/null 2>&1
	awk -F, 'NR == 2 { printf "%.3f", $4 * 1000 }' wall.csv
}
# Peak resident set size in KiB: the least of five runs, as the pages of
# the shared libraries that a run touches vary from run to run.
peak_kib() {
	least=""
	for run in 1 2 3 4 5; do
		/usr/bin/time -f %M -o rss.txt "$@" >/dev/null 2>&1 || true
		kib=$(tail -n 1 rss.txt)
		[ -z "$least" ] || [ "$kib" -lt "$least" ] && least=$kib
	done
	echo "$least"
}
# Mean CPU time (user plus system) in milliseconds over `runs` runs.
cpu_ms() {
	runs=$1
	shift
	hyperfine -N -i --style none --warmup 3 --runs "$runs" --export-csv cpu.csv "$*" >/dev/null 2>&1
	awk -F, 'NR == 2 { printf "%.3f", ($5 + $6) * 1000 }' cpu.csv
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }

TW="$tool"
HELP_I=$(instructions "$TW" -h)
HELP_MS=$(wall_ms 50 "$TW -h")
HELP_KIB=$(peak_kib "$TW" -h)

row() { # name, instructions, wall ms, peak KiB
	printf '| %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4"
}

{
echo "# Benchmark results"
echo
echo "Machine: $(uname -srm), $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)."
echo "Run: $(date -u '+%Y-%m-%d %H:%M UTC'), tarnwick $("$TW" -h 2>&1 | sed -n 's/^tarnwick version //p'),"
echo "$(srec_cat -version 2>/dev/null | head -n 1), $(objcopy --version | head -n 1)."
echo
echo "| command | instructions | median wall ms | peak RSS KiB |"
echo "|---|---:|---:|---:|"
row "tarnwick -h (start-up)" "$HELP_I" "$HELP_MS" "$HELP_KIB"

for input in prog4k full; do
	size=65536
	[ "$input" = prog4k ] && size=4096
	ti=$(instructions "$TW" -p $size $input.hex out.hex); tm=$(wall_ms 30 "$TW -p $size $input.hex out.hex"); tk=$(peak_kib "$TW" -p $size $input.hex out.hex)
	ai=$(instructions "$TW" -p $size -a image $input.hex out.c); am=$(wall_ms 30 "$TW -p $size -a image $input.hex out.c"); ak=$(peak_kib "$TW" -p $size -a image $input.hex out.c)
	ri=$(instructions "$TW" -p $size --binary $input.hex out.bin); rw=$(wall_ms 30 "$TW -p $size --binary $input.hex out.bin"); rk=$(peak_kib "$TW" -p $size --binary $input.hex out.bin)
	si=$(instructions srec_cat $input.hex -intel -offset 3 -o out.hex -intel); sm=$(wall_ms 30 "srec_cat $input.hex -intel -offset 3 -o out.hex -intel"); sk=$(peak_kib srec_cat $input.hex -intel -offset 3 -o out.hex -intel)
	oi=$(instructions objcopy -I ihex -O ihex --change-addresses 3 $input.hex out.hex); om=$(wall_ms 30 "objcopy -I ihex -O ihex --change-addresses 3 $input.hex out.hex"); ok=$(peak_kib objcopy -I ihex -O ihex --change-addresses 3 $input.hex out.hex)
	ci=$(instructions cp $input.hex out.hex); cm=$(wall_ms 30 "cp $input.hex out.hex"); ck=$(peak_kib cp $input.hex out.hex)
	row "tarnwick -p $size $input.hex" "$ti" "$tm" "$tk"
	row "tarnwick -p $size -a image $input.hex" "$ai" "$am" "$ak"
	row "tarnwick -p $size --binary $input.hex" "$ri" "$rw" "$rk"
	row "srec_cat $input.hex -intel -offset 3 -o out.hex -intel" "$si" "$sm" "$sk"
	row "objcopy -I ihex -O ihex --change-addresses 3 $input.hex" "$oi" "$om" "$ok"
	row "cp $input.hex out.hex" "$ci" "$cm" "$ck"
	eval "${input}_t=$ti ${input}_r=$ri ${input}_tm=$tm ${input}_tk=$tk ${input}_s=$si ${input}_o=$oi ${input}_cm=$cm"
done
# Reading the full image back: the image that the full-size conversion
# writes, compared with its layout and taken apart again. A mode that fails
# on this good image (one the build does not have yet, say) gets its exit
# status and first message instead of figures, and no instruction count.
"$TW" -p 65536 full.hex image.hex 2>/dev/null
read_back() { # variable for the instructions, tarnwick's arguments
	var=$1
	shift
	if "$TW" "$@" >/dev/null 2>run.err; then
		i=$(instructions "$TW" "$@"); m=$(wall_ms 30 "$TW $*"); k=$(peak_kib "$TW" "$@")
		row "tarnwick $*" "$i" "$m" "$k"
	else
		row "tarnwick $*" "fails: exit status $?, $(sed '/^tarnwick version /d; s|^[^ ]*/tarnwick: |tarnwick: |; s/|/\\|/g; q' run.err)" "-" "-"
		i=""
	fi
	eval "$var=\$i"
}
srec_i=$(instructions "$TW" -p 65536 full.srec out.hex); srec_m=$(wall_ms 30 "$TW -p 65536 full.srec out.hex"); srec_k=$(peak_kib "$TW" -p 65536 full.srec out.hex)
row "tarnwick -p 65536 full.srec (S1 records of 16 bytes)" "$srec_i" "$srec_m" "$srec_k"
sout_i=$(instructions "$TW" -p 65536 --srec full.hex out.s19); sout_m=$(wall_ms 30 "$TW -p 65536 --srec full.hex out.s19"); sout_k=$(peak_kib "$TW" -p 65536 --srec full.hex out.s19)
row "tarnwick -p 65536 --srec full.hex" "$sout_i" "$sout_m" "$sout_k"
chip_i=$(instructions "$TW" -p 65536 --binary --eeprom-size=65536 full.hex out.bin); chip_m=$(wall_ms 30 "$TW -p 65536 --binary --eeprom-size=65536 full.hex out.bin"); chip_k=$(peak_kib "$TW" -p 65536 --binary --eeprom-size=65536 full.hex out.bin)
row "tarnwick -p 65536 --binary --eeprom-size=65536 full.hex" "$chip_i" "$chip_m" "$chip_k"
read_back info_i --info -p 65536 image.hex
read_back map_i --info --map -p 65536 image.hex
read_back picture_i --info --picture=image.svg -p 65536 image.hex
read_back verify_i --verify -p 65536 full.hex image.hex
read_back extract_i --extract -p 65536 image.hex back.hex
# A chip of 64 KiB that holds the full image, updated in place; and the
# write calls of an update of it with one page that differs, and without.
"$TW" -p 65536 --binary full.hex chip64.bin 2>/dev/null
read_back verify64_i --verify --binary -p 65536 full.hex chip64.bin
read_back update64_i --update -p 65536 full.hex chip64.bin
writes() { strace -f -e trace=pwrite64 -o writes.txt "$TW" --update -p 65536 full.hex "$1" >/dev/null 2>&1; grep -c pwrite64 writes.txt || true; }
writes_held=$(writes chip64.bin)
printf '\125' | dd of=chip64.bin bs=1 seek=1000 conv=notrunc 2>/dev/null
writes_one=$(writes chip64.bin)
bi=$(instructions "$TW" -p 65536 big.hex out.hex); bm=$(wall_ms 5 "$TW -p 65536 big.hex out.hex"); bk=$(peak_kib "$TW" -p 65536 big.hex out.hex)
bcm=$(wall_ms 5 "cp big.hex out.hex")
row "tarnwick -p 65536 big.hex ($(($(wc -c <big.hex) / 1000000)) MB)" "$bi" "$bm" "$bk"
row "cp big.hex out.hex" "-" "$bcm" "-"

# A 16 MiB chip read out: the full image's conversion as raw bytes (and a
# copy, for cmp) and as Intel HEX with every cell filled.
CHIP="-p 65536 --eeprom-size=16384K"
"$TW" $CHIP --binary full.hex chip.bin 2>/dev/null
cp chip.bin chip2.bin
# A second read-out that differs from the first in its last cell.
cp chip.bin chip3.bin
printf '\000' | dd of=chip3.bin bs=1 seek=16777215 conv=notrunc 2>/dev/null
"$TW" $CHIP --fill=FF full.hex chip.hex 2>/dev/null
echo
echo "A 16 MiB chip (mean CPU time, user and system, in place of wall time):"
echo
echo "| command | instructions | mean CPU ms | peak RSS KiB |"
echo "|---|---:|---:|---:|"
chip_row() { # variable prefix, what the row is called, command
	var=$1 name=$2
	shift 2
	ci=$(instructions "$@"); cc=$(cpu_ms 20 "$*"); ck=$(peak_kib "$@")
	row "$name" "$ci" "$cc" "$ck"
	eval "${var}_i=\$ci ${var}_c=\$cc ${var}_k=\$ck"
}
chip_row cv "tarnwick --verify --binary $CHIP full.hex chip.bin" "$TW" --verify --binary $CHIP full.hex chip.bin
chip_row ci "tarnwick --info --binary $CHIP chip.bin" "$TW" --info --binary $CHIP chip.bin
chip_row cpi "tarnwick --info --binary $CHIP --picture=chip.svg chip.bin" "$TW" --info --binary $CHIP --picture=chip.svg chip.bin
chip_row ch "tarnwick --verify $CHIP full.hex chip.hex ($(($(wc -c <chip.hex) / 1000000)) MB)" "$TW" --verify $CHIP full.hex chip.hex
chip_row cd "tarnwick --diff --binary $CHIP chip.bin chip3.bin" "$TW" --diff --binary $CHIP chip.bin chip3.bin
chip_row cu "tarnwick --update $CHIP full.hex chip.bin" "$TW" --update $CHIP full.hex chip.bin
chip_row cm "cmp chip.bin chip2.bin" cmp chip.bin chip2.bin
chip_row cc "crc32 chip.bin" crc32 chip.bin

"$OLDPWD/build-bench/hex_bench" --benchmark_format=csv 2>/dev/null >gbench.csv
load_mbs=$(awk -F, '/bm_load_hex_file/ { printf "%.0f", $6 / 1e6 }' gbench.csv)
write_mbs=$(awk -F, '/bm_write_hex_image/ { printf "%.0f", $6 / 1e6 }' gbench.csv)
echo
echo "In-process throughput (Google Benchmark, Intel HEX text of the full image):"
echo "loader $load_mbs MB/s, writer $write_mbs MB/s."

own=$((full_t - HELP_I))
echo
echo "| target | figure | met |"
echo "|---|---|---|"
check() { printf '| %s | %s | %s |\n' "$1" "$2" "$(awk "BEGIN { print ($3) ? \"yes\" : \"no\" }")"; }
check "instructions, full image: 15x fewer than srec_cat" "$(ratio "$full_s" "$full_t")x" "$full_s >= 15 * $full_t"
check "instructions, full image: 5x fewer than objcopy" "$(ratio "$full_o" "$full_t")x" "$full_o >= 5 * $full_t"
check "instructions, full image: raw binary at most Intel HEX" "$full_r / $full_t" "$full_r <= $full_t"
check "instructions, full image: conversion at most 1,847,416, as before the whole chip" "$full_t" "$full_t <= 1847416"
check "instructions, full image: conversion at most 1,589,074, as before the table of modes" "$full_t" "$full_t <= 1589074"
check "instructions, full image: --srec at most 1.1x Intel HEX" "$sout_i / $full_t" "$sout_i <= 1.1 * $full_t"
check "instructions, full image: S-record at most 1.2x Intel HEX" "$srec_i / $full_t" "$srec_i <= 1.2 * $full_t"
check "instructions, full image: --binary --eeprom-size=65536 at most --binary -p 65536 before it (1,499,703)" "$chip_i" "$chip_i <= 1499703"
if [ -n "$info_i" ] && [ -n "$map_i" ]; then
	check "instructions, full image: --info --map at most 1.1x --info" "$map_i / $info_i" "$map_i <= 1.1 * $info_i"
else
	check "instructions, full image: --info --map at most 1.1x --info" "not measured: a mode fails" 0
fi
if [ -n "$info_i" ] && [ -n "$picture_i" ]; then
	check "instructions, full image: --info --picture at most 1.3x --info" "$picture_i / $info_i" "$picture_i <= 1.3 * $info_i"
else
	check "instructions, full image: --info --picture at most 1.3x --info" "not measured: a mode fails" 0
fi
check "instructions, 16 MiB: --info --binary --picture at most 1.5x --info --binary" "$cpi_i / $ci_i" "$cpi_i <= 1.5 * $ci_i"
# A mode that fails has no count and meets no target.
two_conversions() { # name, instructions or nothing
	if [ -n "$2" ]; then
		check "instructions, full image: $1 at most two conversions" "$2 / $full_t" "$2 <= 2 * $full_t"
	else
		check "instructions, full image: $1 at most two conversions" "not measured: $1 fails" 0
	fi
}
two_conversions --verify "$verify_i"
two_conversions --extract "$extract_i"
check "own share (conversion less -h) at most 2,000,000" "$own" "$own <= 2000000"
check "median wall time at most twice cp's" "$(ratio "$full_tm" "$full_cm")x cp" "$full_tm <= 2 * $full_cm"
check "peak RSS at most 1 MiB above -h" "+$((full_tk - HELP_KIB)) KiB" "$full_tk - $HELP_KIB <= 1024"
check "peak RSS, full image: at most 1,724 KiB, as before the whole chip" "$full_tk KiB" "$full_tk <= 1724"
check "instructions, 16 MiB: --verify --binary at most 100 M" "$cv_i" "$cv_i <= 100000000"
check "instructions, 16 MiB: --info --binary at most 100 M" "$ci_i" "$ci_i <= 100000000"
check "instructions, 16 MiB: --verify of Intel HEX at most 1,323 M, as before the whole chip" "$ch_i" "$ch_i <= 1323000000"
check "CPU time, 16 MiB: --verify --binary at most 1.5x cmp" "$(ratio "$cv_c" "$cm_c")x cmp" "$cv_c <= 1.5 * $cm_c"
check "CPU time, 16 MiB: --info --binary at most 1.5x cmp" "$(ratio "$ci_c" "$cm_c")x cmp" "$ci_c <= 1.5 * $cm_c"
check "peak RSS, 16 MiB: each run at most 24 MiB" "$cv_k / $ci_k / $ch_k KiB" "$cv_k <= 24576 && $ci_k <= 24576 && $ch_k <= 24576"
check "instructions, 16 MiB: --diff --binary at most 100 M" "$cd_i" "$cd_i <= 100000000"
check "CPU time, 16 MiB: --diff --binary at most 1.5x cmp" "$(ratio "$cd_c" "$cm_c")x cmp" "$cd_c <= 1.5 * $cm_c"
check "peak RSS, 16 MiB: --diff of two read-outs at most 48 MiB" "$cd_k KiB" "$cd_k <= 49152"
check "CPU time, 16 MiB: --update of a chip that holds the image at most 1.5x cmp" "$(ratio "$cu_c" "$cm_c")x cmp" "$cu_c <= 1.5 * $cm_c"
if [ -n "$update64_i" ] && [ -n "$verify64_i" ]; then
	check "instructions, 64 KiB chip that holds the image: --update at most 1.2x --verify --binary" "$update64_i / $verify64_i" "$update64_i <= 1.2 * $verify64_i"
else
	check "instructions, 64 KiB chip that holds the image: --update at most 1.2x --verify --binary" "not measured: a mode fails" 0
fi
check "write calls of --update: one for one page that differs, none for a chip that holds the image" "$writes_one / $writes_held" "$writes_one == 1 && $writes_held == 0"
check "loader at least 400 MB/s" "$load_mbs MB/s" "$load_mbs >= 400"
check "writer at least 400 MB/s" "$write_mbs MB/s" "$write_mbs >= 400"
check "100 MB file in under 0.5 s" "$bm ms" "$bm < 500"
# Own instructions per byte of input: the 100 MB file must cost no more per
# byte than the full image, give or take a quarter.
per_byte() { awk -v a="$1" -v h="$HELP_I" -v n="$(wc -c <"$2")" 'BEGIN { printf "%.2f", (a - h) / n }'; }
p4=$(per_byte "$prog4k_t" prog4k.hex) pf=$(per_byte "$full_t" full.hex) pb=$(per_byte "$bi" big.hex)
check "linear: own instructions per input byte, 4 KiB / full / 100 MB" "$p4 / $pf / $pb" "$pb <= 1.25 * $pf"
} | tee "$work/table.md"
[ -z "$table" ] || cp "$work/table.md" "$table"
exit 0
