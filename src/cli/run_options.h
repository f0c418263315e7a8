// The command line of one run: option scanning into run_options.
#ifndef TARNWICK_RUN_OPTIONS_H
#define TARNWICK_RUN_OPTIONS_H

#include <cstdint>

// Largest program memory size that -p accepts: the whole image.
constexpr int32_t MAX_PROGRAM_SIZE = 65536;

struct run_options {
	int verify_checksums;    // 0 after -i
	int32_t program_size;    // -p, bytes; 4096 by default
	int crystal_code;        // -c, 0 to 4; 3 (16 MHz) by default
	int slow_clock;          // 1 after -s
	int length_header;       // 1 after -t
	const char *array_name;  // -a: write a C array; null for Intel HEX
	uint32_t base_address;   // -b: output address of cell 0
	const char *expert_file; // -e: expert-mode data file, or null
	const char *input_file;  // first file name
	const char *output_file; // second file name
};

// Results of scan_options.
enum { SCAN_CONTINUE = 0, SCAN_HELP = 1, SCAN_ERROR = 2 };

// Scans argv with getopt (GNU permutation, "--" and POSIXLY_CORRECT) into
// opts, whose strings point into argv. Returns SCAN_CONTINUE with both file
// names set; SCAN_HELP after printing the usage text for -h; SCAN_ERROR after
// reporting a bad option, crystal frequency, program size or file count.
int scan_options(int argc, char **argv, run_options *opts);

// Reads a decimal integer as atoi does (leading white space, an optional
// sign, the digits up to the first other character; 0 without digits), but
// a value beyond the range of int is held at its nearest end.
int parse_decimal(const char *text);

// Reads a hexadecimal number as "%x" does (leading white space, an optional
// sign and "0x", the digits of either case up to the first other character)
// into *value and returns 0; returns 1 and leaves *value alone when text
// holds no such number. A magnitude beyond 32 bits gives FFFFFFFFh, the
// highest address, rather than its low bits.
int parse_hex_argument(const char *text, uint32_t *value);

// The crystal code for a frequency in MHz, or -1 for an unknown frequency.
int crystal_code_for(int megahertz);

#endif
