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
#include "hex/hex_digits.h"
#include "image/header.h"
#include "report/diag.h"

static const char OPTION_STRING[] = "a:b:c:e:hip:st";

// Values that getopt_long returns for the long options, beyond every
// character.
enum {
	OPTION_BINARY = 256,
	OPTION_EXTRACT,
	OPTION_FILL,
	OPTION_HELP,
	OPTION_INFO,
	OPTION_JSON,
	OPTION_VERIFY,
	OPTION_VERSION,
};

static const struct option LONG_OPTIONS[] = {
	{"binary", no_argument, nullptr, OPTION_BINARY},
	{"extract", no_argument, nullptr, OPTION_EXTRACT},
	{"fill", required_argument, nullptr, OPTION_FILL},
	{"help", no_argument, nullptr, OPTION_HELP},
	{"info", no_argument, nullptr, OPTION_INFO},
	{"json", no_argument, nullptr, OPTION_JSON},
	{"verify", no_argument, nullptr, OPTION_VERIFY},
	{"version", no_argument, nullptr, OPTION_VERSION},
	{nullptr, 0, nullptr, 0},
};

// The long option of each mode, and the form of its command line.
static const char *const MODE_OPTIONS[] = {nullptr, "--info", "--verify", "--extract"};
static const char *const MODE_NAMES[] = {
	nullptr,
	"Give one image: tarnwick --info [options] <image>",
	"Give a program and an image: tarnwick --verify [options] <infile> <image>",
	"Give an image and one or two files to write: tarnwick --extract [options] <image> "
	"<program.hex> [<expert.hex>]",
};

static void set_defaults(run_options *opts)
{
	*opts = run_options{};
	opts->mode = MODE_CONVERT;
	opts->verify_checksums = 1;
	opts->program_size = DEFAULT_PROGRAM_SIZE;
	opts->crystal_code = DEFAULT_CRYSTAL_CODE;
	opts->image_form = FORM_HEX;
	opts->fill_byte = NO_FILL;
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

static int set_crystal(run_options *opts, const char *arg)
{
	int code = crystal_code_for(parse_decimal(arg));
	if (code < 0) {
		diag_error("Invalid crystal frequency");
		return SCAN_ERROR;
	}
	opts->crystal_code = code;
	return SCAN_CONTINUE;
}

static int set_program_size(run_options *opts, const char *arg)
{
	int size = parse_decimal(arg);
	if (size > MAX_PROGRAM_SIZE) {
		diag_error("Program memory size must not exceed 65536 bytes");
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
	static constexpr hex_digit_table DIGITS{};
	int value = 0;
	for (size_t i = 0; i < n; i++) {
		int digit = DIGITS.value[static_cast<unsigned char>(text[i])];
		if (digit < 0)
			return -1;
		value = value << 4 | digit;
	}
	return value;
}

static int set_fill_byte(run_options *opts, const char *arg)
{
	int value = parse_fill_byte(arg);
	if (value < 0) {
		diag_error("Invalid fill byte");
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

// A run has one mode: a second one ends the run where it stands.
static int set_mode(run_options *opts, int mode)
{
	if (opts->mode != MODE_CONVERT && opts->mode != mode) {
		diag_error("Options %s and %s cannot be given together", MODE_OPTIONS[opts->mode],
			   MODE_OPTIONS[mode]);
		return SCAN_ERROR;
	}
	opts->mode = mode;
	return SCAN_CONTINUE;
}

static int apply_long_option(run_options *opts, int code, const char *arg)
{
	switch (code) {
	case OPTION_BINARY: opts->image_form = FORM_RAW; break;
	case OPTION_EXTRACT: return set_mode(opts, MODE_EXTRACT);
	case OPTION_FILL: return set_fill_byte(opts, arg);
	case OPTION_HELP: print_help(); return SCAN_HELP;
	case OPTION_INFO: return set_mode(opts, MODE_INFO);
	case OPTION_JSON: opts->json = 1; break;
	case OPTION_VERIFY: return set_mode(opts, MODE_VERIFY);
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
		opts->image_form = FORM_C_ARRAY;
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

// Takes the file names of the mode: a conversion's and --verify's program
// and image, --info's image, --extract's image, program and expert-mode
// data. A wrong count is the usage text for a conversion, else one line.
static int take_names(run_options *opts, char **names, int count)
{
	int least = opts->mode == MODE_INFO ? 1 : 2;
	int most = opts->mode == MODE_INFO ? 1 : opts->mode == MODE_EXTRACT ? 3 : 2;
	if (count < least || count > most) {
		if (opts->mode == MODE_CONVERT)
			print_usage();
		else
			diag_error("%s (see tarnwick --help)", MODE_NAMES[opts->mode]);
		return SCAN_ERROR;
	}
	bool image_first = opts->mode == MODE_INFO || opts->mode == MODE_EXTRACT;
	opts->image_file = names[image_first ? 0 : 1];
	opts->program_file = opts->mode == MODE_INFO ? nullptr : names[image_first ? 1 : 0];
	if (count == 3)
		opts->expert_file = names[2];
	return SCAN_CONTINUE;
}

// Reading an image back knows no crystal, clock, array or expert-mode data
// (--verify builds an image and knows all but the array), takes an address
// of 32 bits, and --info and --extract need a program memory size to
// measure the image against.
static int check_mode_options(const run_options *opts)
{
	int refused = opts->mode == MODE_VERIFY ? (opts->array_name != nullptr ? 'a' : 0)
						: opts->conversion_only;
	if (opts->mode == MODE_CONVERT)
		return SCAN_CONTINUE;
	if (refused != 0) {
		diag_error("Option -%c has no meaning with %s", refused, MODE_OPTIONS[opts->mode]);
		return SCAN_ERROR;
	}
	if (opts->base_invalid) {
		diag_error("Invalid address for -b: give 0 to FFFFFFFF");
		return SCAN_ERROR;
	}
	if (opts->program_size <= 0 && opts->mode != MODE_VERIFY) {
		diag_error("Program memory size must be at least 1 byte");
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
	if (opts->json && opts->mode == MODE_CONVERT) {
		diag_error("Option --json needs --info, --verify or --extract");
		return SCAN_ERROR;
	}
	if (take_names(opts, argv + optind, argc - optind) != SCAN_CONTINUE)
		return SCAN_ERROR;
	return check_mode_options(opts);
}

int fill_of(const run_options *opts)
{
	if (opts->fill_byte != NO_FILL)
		return opts->fill_byte;
	return opts->image_form == FORM_RAW || opts->mode == MODE_VERIFY ? ERASED_BYTE : NO_FILL;
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
