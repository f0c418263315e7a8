// The options of tarnwick: one table holds each, and the scanner, the mode checks and --help are made from it.
#include "cli/options.h"

#include <cstdio>
#include <cstdlib>
#include <getopt.h>

#include "cli/arg_values.h"
#include "cli/usage.h"
#include "image/header.h"
#include "report/diag.h"
#include "report/memory.h"

const option_row OPTION_TABLE[] = {
	{'c', nullptr, 1, IN_CONVERT | IN_VERIFY, "-c MHz",
	 "crystal frequency: 4, 8, 12, 16 (default) or 20"},
	{'s', nullptr, 0, IN_CONVERT | IN_VERIFY, "-s",
	 "slow EEPROM clock (500 kHz) instead of 1 MHz and higher"},
	{'p', nullptr, 1, IN_EVERY_MODE, "-p size",
	 "program memory size in bytes, at most 65536 (default 4096)"},
	{'i', nullptr, 0, IN_EVERY_MODE, "-i", "ignore checksum mismatches in the input"},
	{'t', nullptr, 0, IN_EVERY_MODE, "-t", "two-byte length header instead of the boot header"},
	{'e', nullptr, 1, IN_CONVERT | IN_VERIFY, "-e file",
	 "expert mode: load the data in file (Intel HEX or S-record)\nahead of the program"},
	{'b', nullptr, 1, IN_EVERY_MODE, "-b address",
	 "hexadecimal address of cell 0 in the Intel HEX or S-record\noutput, and in an image "
	 "read back"},
	{'a', nullptr, 1, IN_CONVERT, "-a name", "write the image as a C array called name"},
	{OPTION_BINARY, "binary", 0, IN_EVERY_MODE, "--binary",
	 "write the image as raw bytes, one for each cell of the\nprogram memory (of the EEPROM "
	 "with --eeprom-size); with\n--info, --verify and --extract, read it as raw bytes"},
	{OPTION_SREC, "srec", 0, IN_CONVERT, "--srec",
	 "write the image as S-records (S1, S2 or S3, as its addresses\nneed) instead of Intel HEX"},
	{OPTION_FILL, "fill", 1, IN_EVERY_MODE, "--fill=HH",
	 "give every cell of the program memory that holds no byte the\nhexadecimal value HH "
	 "(FF by default with --binary)"},
	{OPTION_EEPROM_SIZE, "eeprom-size", 1, IN_EVERY_MODE, "--eeprom-size=N",
	 "size of the EEPROM in bytes (32768, or 32K with K for 1024),\nat most 16384K: the "
	 "image must fit into it, and the output\ncovers it"},
	{OPTION_SET, "set", 1, IN_CONVERT | IN_VERIFY, "--set=ADDRESS:BYTES",
	 "replace the program's bytes from program address ADDRESS\n(hexadecimal) on by BYTES "
	 "(pairs of hexadecimal digits, 1 to\n256 of them); may be given more than once"},
	{OPTION_SERIAL, "serial", 1, IN_EVERY_MODE, "--serial=ADDRESS:FORMAT:WIDTH",
	 "write a serial number over the program's bytes from ADDRESS\non: FORMAT le or be "
	 "(WIDTH bytes, 1 to 8), dec or hex\n(WIDTH digits, 1 to 20 or 16), usb or usbhex (those "
	 "digits\nin the USB string descriptor at ADDRESS); with --info,\n--verify and --extract, "
	 "read it back"},
	{OPTION_SERIAL_NUMBER, "serial-number", 1, IN_CONVERT | IN_VERIFY, "--serial-number=N",
	 "the serial number of --serial, decimal"},
	{OPTION_SERIAL_COUNTER, "serial-counter", 1, IN_CONVERT, "--serial-counter=FILE",
	 "take the serial number of --serial from the counter in FILE,\nwhich goes one up"},
	{OPTION_SERIAL_LOG, "serial-log", 1, IN_CONVERT | IN_VERIFY, "--serial-log=FILE",
	 "add a line for each image written with --serial to FILE,\nand refuse a number that it "
	 "holds; with --verify, check that\nit holds the board's number once"},
	{OPTION_INFO, "info", 0, IN_EVERY_MODE, "--info",
	 "read the image back: print what its header says and its\nCRC-32 on the standard "
	 "output, and check it against the\ncontents"},
	{OPTION_VERIFY, "verify", 0, IN_EVERY_MODE, "--verify",
	 "compare the image, cell by cell, with the one that the\nprogram and the options lay "
	 "out, and write nothing"},
	{OPTION_EXTRACT, "extract", 0, IN_EVERY_MODE, "--extract",
	 "check the image as --info does, write its program (and\nexpert-mode data) to the "
	 "files named, as Intel HEX, and\nprint the command that rebuilds the image from them"},
	{OPTION_JSON, "json", 0, IN_READ_BACK, "--json",
	 "print the report of --info, --verify or --extract as one\nJSON object on one line"},
	{OPTION_MAP, "map", 0, IN_READ_BACK, "--map",
	 "end the report of --info, --verify or --extract with a map\nof the image, a character "
	 "for each 256-byte block"},
	{'h', nullptr, 0, IN_EVERY_MODE, "-h",
	 "print the short usage text on the standard error stream"},
	{OPTION_HELP, "help", 0, IN_EVERY_MODE, "--help", "print this help"},
	{OPTION_VERSION, "version", 0, IN_EVERY_MODE, "--version", "print the version"},
};

const int OPTION_COUNT = sizeof OPTION_TABLE / sizeof OPTION_TABLE[0];

// The option string and the long options of getopt_long, made from the
// table.
struct getopt_tables {
	char short_options[2 * sizeof OPTION_TABLE / sizeof OPTION_TABLE[0] + 1];
	struct option long_options[sizeof OPTION_TABLE / sizeof OPTION_TABLE[0] + 1];
};

static void make_getopt_tables(getopt_tables *t)
{
	char *s = t->short_options;
	struct option *l = t->long_options;
	for (const option_row &row : OPTION_TABLE) {
		if (row.long_name != nullptr) {
			*l++ = {row.long_name, row.takes_value ? required_argument : no_argument,
				nullptr, row.code};
			continue;
		}
		*s++ = static_cast<char>(row.code);
		if (row.takes_value)
			*s++ = ':';
	}
	*s = '\0';
	*l = {nullptr, 0, nullptr, 0};
}

// The row of an option's code, or -1 for a code that no option has.
static int row_of(int code)
{
	for (int i = 0; i < OPTION_COUNT; i++)
		if (OPTION_TABLE[i].code == code)
			return i;
	return -1;
}

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
	opts->image_form = FORM_INTEL_HEX;
	opts->fill_byte = NO_FILL;
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

static int set_eeprom_size(run_options *opts, const char *arg)
{
	opts->eeprom_size = parse_eeprom_size(arg);
	if (opts->eeprom_size == 0) {
		diag_error("Invalid EEPROM size");
		return SCAN_ERROR;
	}
	return SCAN_CONTINUE;
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
	parse_hex_argument(arg, &opts->base_address);
	opts->base_invalid = !is_plain_address(arg);
}

// A bad value of --set or --serial ends the run where it stands, as a bad
// fill byte does.
static int add_byte_patch(run_options *opts, const char *arg)
{
	size_t size = (size_t(opts->patch_count) + 1) * sizeof(byte_patch);
	byte_patch *patches = static_cast<byte_patch *>(run_realloc(opts->patches, size));
	if (patches == nullptr) {
		diag_error("Out of memory");
		return SCAN_ERROR;
	}
	opts->patches = patches;
	if (parse_byte_patch(arg, &opts->patches[opts->patch_count]) != 0) {
		diag_error("Invalid --set value: give ADDRESS:BYTES in hexadecimal, 1 to %u bytes",
			   unsigned(MAX_PATCH_BYTES));
		return SCAN_ERROR;
	}
	opts->patch_count++;
	return SCAN_CONTINUE;
}

static int set_serial(run_options *opts, const char *arg)
{
	if (opts->has_serial) {
		diag_error("Give --serial once");
		return SCAN_ERROR;
	}
	if (parse_serial_spec(arg, &opts->serial) != 0) {
		diag_error("Invalid --serial value: give ADDRESS:FORMAT:WIDTH, a FORMAT of le, be, dec, "
			   "hex, usb or usbhex and a WIDTH that it takes");
		return SCAN_ERROR;
	}
	opts->has_serial = 1;
	return SCAN_CONTINUE;
}

static int set_serial_number(run_options *opts, const char *arg)
{
	if (parse_serial_number(arg, &opts->serial_number) != 0) {
		diag_error("Invalid serial number");
		return SCAN_ERROR;
	}
	opts->has_serial_number = 1;
	return SCAN_CONTINUE;
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

// What each option changes.
static int apply_option(run_options *opts, int code, const char *arg)
{
	switch (code) {
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
	case OPTION_BINARY: opts->image_form = FORM_RAW; break;
	case OPTION_SREC: opts->image_form = FORM_SREC; break;
	case OPTION_SET: return add_byte_patch(opts, arg);
	case OPTION_SERIAL: return set_serial(opts, arg);
	case OPTION_SERIAL_NUMBER: return set_serial_number(opts, arg);
	case OPTION_SERIAL_COUNTER: opts->serial_counter = arg; break;
	case OPTION_SERIAL_LOG: opts->serial_log = arg; break;
	case OPTION_EEPROM_SIZE: return set_eeprom_size(opts, arg);
	case OPTION_EXTRACT: return set_mode(opts, MODE_EXTRACT);
	case OPTION_FILL: return set_fill_byte(opts, arg);
	case OPTION_HELP: print_help(); return SCAN_HELP;
	case OPTION_INFO: return set_mode(opts, MODE_INFO);
	case OPTION_JSON: opts->json = 1; break;
	case OPTION_MAP: opts->map = 1; break;
	case OPTION_VERIFY: return set_mode(opts, MODE_VERIFY);
	case OPTION_VERSION: break; // taken before the scan
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

// An option that only reading an image back takes needs a mode; the first
// in the table is named.
static int check_needs_mode(const run_options *opts, const int *given)
{
	if (opts->mode != MODE_CONVERT)
		return SCAN_CONTINUE;
	for (int i = 0; i < OPTION_COUNT; i++)
		if (given[i] != 0 && (OPTION_TABLE[i].modes & IN_CONVERT) == 0) {
			diag_error("Option --%s needs --info, --verify or --extract",
				   OPTION_TABLE[i].long_name);
			return SCAN_ERROR;
		}
	return SCAN_CONTINUE;
}

// Of the options that the mode does not take, the one given first is
// named; reading an image back takes an address of 32 bits and needs a
// program memory size to measure the image against.
static int check_mode_options(const run_options *opts, const int *given)
{
	if (opts->mode == MODE_CONVERT)
		return SCAN_CONTINUE;
	int refused = -1;
	for (int i = 0; i < OPTION_COUNT; i++)
		if (given[i] != 0 && (OPTION_TABLE[i].modes & (1 << opts->mode)) == 0 &&
		    (refused < 0 || given[i] < given[refused]))
			refused = i;
	if (refused >= 0) {
		const option_row &row = OPTION_TABLE[refused];
		if (row.long_name != nullptr)
			diag_error("Option --%s has no meaning with %s", row.long_name,
				   MODE_OPTIONS[opts->mode]);
		else
			diag_error("Option -%c has no meaning with %s", row.code,
				   MODE_OPTIONS[opts->mode]);
		return SCAN_ERROR;
	}
	if (opts->base_invalid) {
		diag_error("Invalid address for -b: give 0 to FFFFFFFF");
		return SCAN_ERROR;
	}
	if (opts->program_size <= 0) {
		diag_error("Program memory size must be at least 1 byte");
		return SCAN_ERROR;
	}
	return SCAN_CONTINUE;
}

// The options of the serial number go together: its number needs
// --serial, and a conversion's --serial one source of its number.
static int check_serial_options(const run_options *opts)
{
	const char *source = opts->has_serial_number ? "--serial-number"
			     : opts->serial_counter != nullptr ? "--serial-counter"
			     : opts->serial_log != nullptr ? "--serial-log"
							   : nullptr;
	if (source != nullptr && !opts->has_serial)
		diag_error("Option %s needs --serial", source);
	else if (opts->has_serial_number && opts->serial_counter != nullptr)
		diag_error("Options --serial-number and --serial-counter cannot be given together");
	else if (opts->mode == MODE_CONVERT && opts->has_serial && !opts->has_serial_number &&
		 opts->serial_counter == nullptr)
		diag_error("Option --serial needs --serial-number or --serial-counter");
	else
		return SCAN_CONTINUE;
	return SCAN_ERROR;
}

int scan_options(int argc, char **argv, run_options *opts)
{
	getopt_tables t;
	int code, given[sizeof OPTION_TABLE / sizeof OPTION_TABLE[0]] = {}, order = 0;

	set_defaults(opts);
	make_getopt_tables(&t);
	optind = 0; // a fresh scan, which also reads POSIXLY_CORRECT anew
	// getopt_long is getopt in its GNU form: it permutes the arguments,
	// stops at "--" and honours POSIXLY_CORRECT, on glibc and on mingw-w64
	// alike, whose plain getopt does not permute.
	while ((code = getopt_long(argc, argv, t.short_options, t.long_options, nullptr)) != -1) {
		int row = row_of(code);
		if (row >= 0 && given[row] == 0)
			given[row] = ++order;
		int result = apply_option(opts, code, optarg);
		if (result != SCAN_CONTINUE)
			return result;
	}
	if (check_needs_mode(opts, given) != SCAN_CONTINUE ||
	    take_names(opts, argv + optind, argc - optind) != SCAN_CONTINUE)
		return SCAN_ERROR;
	plan_run(opts);
	if (check_mode_options(opts, given) != SCAN_CONTINUE)
		return SCAN_ERROR;
	return check_serial_options(opts);
}

int asks_for_version(int argc, char **argv)
{
	// The scan permutes what it is given: it works on a copy of argv.
	char **copy = static_cast<char **>(std::malloc(sizeof(char *) * (size_t(argc) + 1)));
	if (copy == nullptr)
		return 0;
	for (int i = 0; i <= argc; i++)
		copy[i] = i < argc ? argv[i] : nullptr;
	getopt_tables t;
	make_getopt_tables(&t);
	int found = 0, code;
	opterr = 0;
	optind = 0;
	while ((code = getopt_long(argc, copy, t.short_options, t.long_options, nullptr)) != -1)
		found |= code == OPTION_VERSION;
	opterr = 1;
	std::free(copy);
	return found;
}
