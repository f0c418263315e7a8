// The command line of one run: option scanning into run_options.
#ifndef TARNWICK_RUN_OPTIONS_H
#define TARNWICK_RUN_OPTIONS_H

#include <cstdint>

// Largest program memory size that -p accepts: the whole image.
constexpr int32_t MAX_PROGRAM_SIZE = 65536;

// Forms of the output file.
enum { OUTPUT_HEX = 0, OUTPUT_C_ARRAY = 1, OUTPUT_BINARY = 2 };

// fill_byte when --fill was not given.
constexpr int NO_FILL = -1;

struct run_options {
	int verify_checksums;    // 0 after -i
	int32_t program_size;    // -p, bytes; 4096 by default
	int crystal_code;        // -c, 0 to 4; 3 (16 MHz) by default
	int slow_clock;          // 1 after -s
	int length_header;       // 1 after -t
	int output_format;       // OUTPUT_: the later of -a and --binary decides
	int fill_byte;           // --fill: 0 to 255 for every empty cell, or NO_FILL
	const char *array_name;  // -a: the C array's name, or null
	uint32_t base_address;   // -b: output address of cell 0
	int base_invalid;        // the last -b has a sign, or no value of 32 bits
	const char *expert_file; // -e: expert-mode data file, or null
	int info;                // 1 after --info: read the image back
	int conversion_only;     // the first of -a, -c, -e, -s given, or 0
	const char *input_file;  // first file name (with --info the image)
	const char *output_file; // second file name; null with --info
};

// Results of scan_options: go on with the run, or end it after --help (on
// stdout), after -h (on stderr), or after an error.
enum { SCAN_CONTINUE = 0, SCAN_HELP = 1, SCAN_ERROR = 2, SCAN_USAGE = 3 };

// Scans argv with getopt_long (GNU permutation, "--", POSIXLY_CORRECT and
// the long options --binary, --fill, --help, --info and --version, which may
// be abbreviated) into opts, whose strings point into argv. Returns
// SCAN_CONTINUE with both file names set (with --info the one file name);
// SCAN_USAGE after printing the usage text for -h, SCAN_HELP after the help
// text for --help; SCAN_ERROR after reporting a bad option, crystal frequency,
// program size, fill byte, file count, or an option that --info cannot use.
int scan_options(int argc, char **argv, run_options *opts);

// Returns 1 when getopt_long would read --version (or an abbreviation of
// it) as an option somewhere on the command line, else 0. Prints nothing;
// argv itself is left as it is.
int asks_for_version(int argc, char **argv);

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

// Reads a fill byte: one or two hexadecimal digits, with 0x or 0X before
// them or h or H after them (not both), and nothing else. Returns the byte,
// or -1 for any other text.
int parse_fill_byte(const char *text);

// The crystal code for a frequency in MHz, or -1 for an unknown frequency.
int crystal_code_for(int megahertz);

#endif
