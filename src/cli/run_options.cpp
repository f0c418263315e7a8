// The command line of one run: option scanning into run_options.
#include "cli/run_options.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <getopt.h>

#include "cli/usage.h"

static const char OPTION_STRING[] = "a:b:c:e:hip:st";

static void set_defaults(run_options *opts)
{
	opts->verify_checksums = 1;
	opts->program_size = 4096;
	opts->crystal_code = 3;
	opts->slow_clock = 0;
	opts->length_header = 0;
	opts->array_name = nullptr;
	opts->base_address = 0;
	opts->expert_file = nullptr;
	opts->input_file = nullptr;
	opts->output_file = nullptr;
}

int parse_decimal(const char *text)
{
	long value = std::strtol(text, nullptr, 10);
	if (value > INT_MAX)
		return INT_MAX;
	if (value < INT_MIN)
		return INT_MIN;
	return static_cast<int>(value);
}

int crystal_code_for(int megahertz)
{
	static const int FREQUENCIES[] = {4, 8, 12, 16, 20};
	for (int code = 0; code < 5; code++)
		if (FREQUENCIES[code] == megahertz)
			return code;
	return -1;
}

static int set_crystal(run_options *opts, const char *arg)
{
	int code = crystal_code_for(parse_decimal(arg));
	if (code < 0) {
		std::fputs("ERROR: Invalid crystal frequency\n", stderr);
		return SCAN_ERROR;
	}
	opts->crystal_code = code;
	return SCAN_CONTINUE;
}

static int set_program_size(run_options *opts, const char *arg)
{
	int size = parse_decimal(arg);
	if (size > MAX_PROGRAM_SIZE) {
		std::fputs("ERROR: Program memory size must not exceed 65536 "
			   "bytes\n",
			   stderr);
		return SCAN_ERROR;
	}
	opts->program_size = size;
	return SCAN_CONTINUE;
}

// Whether the magnitude of the hexadecimal number in text needs more than
// 32 bits; the sign, if any, does not count.
static bool hex_exceeds_32_bits(const char *text)
{
	while (std::isspace(static_cast<unsigned char>(*text)))
		text++;
	if (*text == '+' || *text == '-')
		text++;
	errno = 0;
	unsigned long long value = std::strtoull(text, nullptr, 16);
	return errno == ERANGE || value > 0xFFFFFFFFull;
}

int parse_hex_argument(const char *text, uint32_t *value)
{
	unsigned int scanned;
	if (std::sscanf(text, "%x", &scanned) != 1)
		return 1;
	*value = hex_exceeds_32_bits(text) ? 0xFFFFFFFFu : scanned;
	return 0;
}

static int apply_option(run_options *opts, int letter, const char *arg)
{
	switch (letter) {
	case 'a': opts->array_name = arg; break;
	case 'b': parse_hex_argument(arg, &opts->base_address); break;
	case 'c': return set_crystal(opts, arg);
	case 'e': opts->expert_file = arg; break;
	case 'h': print_usage(); return SCAN_HELP;
	case 'i': opts->verify_checksums = 0; break;
	case 'p': return set_program_size(opts, arg);
	case 's': opts->slow_clock = 1; break;
	case 't': opts->length_header = 1; break;
	default: print_usage(); return SCAN_ERROR;
	}
	return SCAN_CONTINUE;
}

int scan_options(int argc, char **argv, run_options *opts)
{
	int letter;

	set_defaults(opts);
	optind = 0; // a fresh scan, which also reads POSIXLY_CORRECT anew
	// getopt_long without a table of long options is getopt in its GNU form:
	// it permutes the arguments, stops at "--" and honours POSIXLY_CORRECT,
	// on glibc and on mingw-w64 alike, whose plain getopt does not permute.
	while ((letter = getopt_long(argc, argv, OPTION_STRING, nullptr, nullptr)) != -1) {
		int result = apply_option(opts, letter, optarg);
		if (result != SCAN_CONTINUE)
			return result;
	}
	if (argc - optind != 2) {
		print_usage();
		return SCAN_ERROR;
	}
	opts->input_file = argv[optind];
	opts->output_file = argv[optind + 1];
	return SCAN_CONTINUE;
}
