// The command line of one run: option scanning into run_options.
#ifndef TARNWICK_RUN_OPTIONS_H
#define TARNWICK_RUN_OPTIONS_H

#include <cstdint>

#include "image/image.h"

// Largest program memory size that -p accepts: the whole image; and the
// size of a run without -p.
constexpr int32_t MAX_PROGRAM_SIZE = 65536;
constexpr int32_t DEFAULT_PROGRAM_SIZE = 4096;

// What a run does: convert a program into an image (the default), or read
// an image back: report on it (--info), compare it with the image of a
// program (--verify), or take the program out of it (--extract).
enum { MODE_CONVERT = 0, MODE_INFO, MODE_VERIFY, MODE_EXTRACT };

// Forms of the image file: Intel HEX, a C array (written only), raw bytes.
enum { FORM_HEX = 0, FORM_C_ARRAY = 1, FORM_RAW = 2 };

struct run_options {
	int mode;                 // MODE_
	int json;                 // 1 after --json: the report as one JSON object
	int verify_checksums;     // 0 after -i
	int32_t program_size;     // -p, bytes; 4096 by default
	int crystal_code;         // -c, 0 to 4; 3 (16 MHz) by default
	int slow_clock;           // 1 after -s
	int length_header;        // 1 after -t
	int image_form;           // FORM_ of the image file: the later of -a and --binary
	int fill_byte;            // --fill: 0 to 255, or NO_FILL
	const char *array_name;   // -a: the C array's name, or null
	uint32_t base_address;    // -b: the address of cell 0 in an Intel HEX image
	int base_invalid;         // the last -b has a sign, or no value of 32 bits
	int conversion_only;      // the first of -a, -c, -e, -s given, or 0
	const char *program_file; // the program as Intel HEX: read, or written by --extract
	const char *image_file;   // the image: written by a conversion, else read
	const char *expert_file;  // expert-mode data: -e (read), or --extract's third name
};

// Results of scan_options: go on with the run, or end it after --help (on
// stdout), after -h (on stderr), or after an error.
enum { SCAN_CONTINUE = 0, SCAN_HELP = 1, SCAN_ERROR = 2, SCAN_USAGE = 3 };

// Scans argv with getopt_long (GNU permutation, "--", POSIXLY_CORRECT and
// the long options --binary, --extract, --fill, --help, --info, --json,
// --verify and --version, which may be abbreviated) into opts, whose
// strings point into argv. Returns SCAN_CONTINUE with the file names of the
// mode set; SCAN_USAGE after printing the usage text for -h, SCAN_HELP
// after the help text for --help; SCAN_ERROR after reporting a bad option,
// crystal frequency, program size, fill byte, file count, a second mode, or
// an option that the mode cannot use.
int scan_options(int argc, char **argv, run_options *opts);

// Returns 1 when getopt_long would read --version (or an abbreviation of
// it) as an option somewhere on the command line, else 0. Prints nothing;
// argv itself is left as it is.
int asks_for_version(int argc, char **argv);

// The byte that a cell without one stands for: the --fill byte; else
// ERASED_BYTE for a raw image and for --verify; else NO_FILL. The one
// place where the default fill is worked out.
int fill_of(const run_options *opts);

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

#endif
