// The command line of one run: option scanning into run_options.
#include "cli/run_options.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>

#include "cli/usage.h"

static const char OPTION_STRING[] = "a:b:c:e:hip:st";

// Values that getopt_long returns for the long options, beyond every
// character.
enum { OPTION_BINARY = 256, OPTION_FILL, OPTION_HELP, OPTION_INFO, OPTION_VERSION };

static const struct option LONG_OPTIONS[] = {
	{"binary", no_argument, nullptr, OPTION_BINARY},
	{"fill", required_argument, nullptr, OPTION_FILL},
	{"help", no_argument, nullptr, OPTION_HELP},
	{"info", no_argument, nullptr, OPTION_INFO},
	{"version", no_argument, nullptr, OPTION_VERSION},
	{nullptr, 0, nullptr, 0},
};

static void set_defaults(run_options *opts)
{
	opts->verify_checksums = 1;
	opts->program_size = 4096;
	opts->crystal_code = 3;
	opts->slow_clock = 0;
	opts->length_header = 0;
	opts->output_format = OUTPUT_HEX;
	opts->fill_byte = NO_FILL;
	opts->array_name = nullptr;
	opts->base_address = 0;
	opts->base_invalid = 0;
	opts->expert_file = nullptr;
	opts->info = 0;
	opts->conversion_only = 0;
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

int parse_fill_byte(const char *text)
{
	size_t n = std::strlen(text);
	if (n >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
		text += 2;
		n -= 2;
	} else if (n >= 1 && (text[n - 1] == 'h' || text[n - 1] == 'H')) {
		n--;
	}
	if (n < 1 || n > 2)
		return -1;
	int value = 0;
	for (size_t i = 0; i < n; i++) {
		int c = static_cast<unsigned char>(text[i]);
		if (!std::isxdigit(c))
			return -1;
		value = value << 4 | (std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
	}
	return value;
}

static int set_fill_byte(run_options *opts, const char *arg)
{
	int value = parse_fill_byte(arg);
	if (value < 0) {
		std::fputs("ERROR: Invalid fill byte\n", stderr);
		return SCAN_ERROR;
	}
	opts->fill_byte = value;
	return SCAN_CONTINUE;
}

// A conversion reads -b as "%x" does; reading an image back takes only an
// address of 0 to FFFFFFFFh without a sign.
static void set_base_address(run_options *opts, const char *arg)
{
	const char *p = arg;
	while (std::isspace(static_cast<unsigned char>(*p)))
		p++;
	bool signed_value = *p == '+' || *p == '-';
	opts->base_invalid = parse_hex_argument(arg, &opts->base_address) != 0 || signed_value ||
			     hex_exceeds_32_bits(arg);
}

static int apply_long_option(run_options *opts, int code, const char *arg)
{
	switch (code) {
	case OPTION_BINARY: opts->output_format = OUTPUT_BINARY; break;
	case OPTION_FILL: return set_fill_byte(opts, arg);
	case OPTION_HELP: print_help(); return SCAN_HELP;
	case OPTION_INFO: opts->info = 1; break;
	default: break; // --version is taken before the scan
	}
	return SCAN_CONTINUE;
}

static int apply_option(run_options *opts, int letter, const char *arg)
{
	if (letter >= OPTION_BINARY)
		return apply_long_option(opts, letter, arg);
	if (opts->conversion_only == 0 &&
	    (letter == 'a' || letter == 'c' || letter == 'e' || letter == 's'))
		opts->conversion_only = letter;
	switch (letter) {
	case 'a':
		opts->array_name = arg;
		opts->output_format = OUTPUT_C_ARRAY;
		break;
	case 'b': set_base_address(opts, arg); break;
	case 'c': return set_crystal(opts, arg);
	case 'e': opts->expert_file = arg; break;
	case 'h': print_usage(); return SCAN_USAGE;
	case 'i': opts->verify_checksums = 0; break;
	case 'p': return set_program_size(opts, arg);
	case 's': opts->slow_clock = 1; break;
	case 't': opts->length_header = 1; break;
	default: print_usage(); return SCAN_ERROR;
	}
	return SCAN_CONTINUE;
}

// Reading an image back knows no crystal, clock, array or expert-mode data,
// and needs a program memory size to measure it against.
static int check_info_options(const run_options *opts, int names)
{
	if (names != 1) {
		std::fputs("ERROR: Give one image: tarnwick --info [options] <image> (see tarnwick "
			   "--help)\n",
			   stderr);
		return SCAN_ERROR;
	}
	if (opts->conversion_only != 0) {
		std::fprintf(stderr, "ERROR: Option -%c has no meaning with --info\n",
			     opts->conversion_only);
		return SCAN_ERROR;
	}
	if (opts->base_invalid) {
		std::fputs("ERROR: Invalid address for -b: give 0 to FFFFFFFF\n", stderr);
		return SCAN_ERROR;
	}
	if (opts->program_size <= 0) {
		std::fputs("ERROR: Program memory size must be at least 1 byte\n", stderr);
		return SCAN_ERROR;
	}
	return SCAN_CONTINUE;
}

int scan_options(int argc, char **argv, run_options *opts)
{
	int letter;

	set_defaults(opts);
	optind = 0; // a fresh scan, which also reads POSIXLY_CORRECT anew
	// getopt_long is getopt in its GNU form: it permutes the arguments,
	// stops at "--" and honours POSIXLY_CORRECT, on glibc and on mingw-w64
	// alike, whose plain getopt does not permute.
	while ((letter = getopt_long(argc, argv, OPTION_STRING, LONG_OPTIONS, nullptr)) != -1) {
		int result = apply_option(opts, letter, optarg);
		if (result != SCAN_CONTINUE)
			return result;
	}
	if (opts->info) {
		opts->input_file = argv[optind];
		return check_info_options(opts, argc - optind);
	}
	if (argc - optind != 2) {
		print_usage();
		return SCAN_ERROR;
	}
	opts->input_file = argv[optind];
	opts->output_file = argv[optind + 1];
	return SCAN_CONTINUE;
}

int asks_for_version(int argc, char **argv)
{
	// The scan permutes what it is given: it works on a copy of argv.
	char **copy = static_cast<char **>(std::malloc(sizeof(char *) * (size_t(argc) + 1)));
	if (copy == nullptr)
		return 0;
	for (int i = 0; i <= argc; i++)
		copy[i] = i < argc ? argv[i] : nullptr;
	int found = 0, code;
	opterr = 0;
	optind = 0;
	while ((code = getopt_long(argc, copy, OPTION_STRING, LONG_OPTIONS, nullptr)) != -1)
		found |= code == OPTION_VERSION;
	opterr = 1;
	std::free(copy);
	return found;
}
