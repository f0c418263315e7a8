// The options of tarnwick: one table holds each, and the scanner, the mode checks and --help are made from it.
#include "cli/options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>

#include "cli/arg_values.h"
#include "cli/usage.h"
#include "image/header.h"
#include "image/table_rows.h"
#include "modes/run_rules.h"
#include "platform/memory.h"
#include "report/diag.h"

constexpr option_row OPTION_TABLE[] = {
	{OPT_CRYSTAL, 'c', nullptr, 1, IN_CONVERT | IN_VERIFY | IN_UPDATE, "-c MHz",
	 "crystal frequency: 4, 8, 12, 16 (default) or 20"},
	{OPT_SLOW_CLOCK, 's', nullptr, 0, IN_CONVERT | IN_VERIFY | IN_UPDATE, "-s",
	 "slow EEPROM clock (500 kHz) instead of 1 MHz and higher"},
	{OPT_PROGRAM_SIZE, 'p', nullptr, 1, IN_EVERY_MODE, "-p size",
	 "program memory size in bytes, at most 65536 (default 4096)"},
	{OPT_IGNORE_CHECKSUMS, 'i', nullptr, 0, IN_EVERY_MODE, "-i",
	 "ignore checksum mismatches in the input"},
	{OPT_LENGTH_HEADER, 't', nullptr, 0, IN_EVERY_MODE, "-t",
	 "two-byte length header instead of the boot header"},
	{OPT_EXPERT, 'e', nullptr, 1, IN_CONVERT | IN_VERIFY | IN_UPDATE, "-e file",
	 "expert mode: load the data in file (Intel HEX or S-record)\nahead of the program"},
	{OPT_BASE_ADDRESS, 'b', nullptr, 1, IN_EVERY_MODE & ~IN_UPDATE, "-b address",
	 "hexadecimal address of cell 0 in the Intel HEX or S-record\noutput, and in an image "
	 "read back"},
	{OPT_ARRAY, 'a', nullptr, 1, IN_CONVERT, "-a name",
	 "write the image as a C array called name"},
	{OPT_BINARY, 0, "binary", 0, IN_EVERY_MODE & ~IN_UPDATE, "--binary",
	 "write the image as raw bytes, one for each cell of the\nprogram memory (of the EEPROM "
	 "with --eeprom-size); read an\nimage back as raw bytes"},
	{OPT_SREC, 0, "srec", 0, IN_CONVERT, "--srec",
	 "write the image as S-records (S1, S2 or S3, as its addresses\nneed) instead of Intel HEX"},
	{OPT_FILL, 0, "fill", 1, IN_EVERY_MODE, "--fill=HH",
	 "give every cell of the program memory that holds no byte the\nhexadecimal value HH "
	 "(FF by default with --binary)"},
	{OPT_EEPROM_SIZE, 0, "eeprom-size", 1, IN_EVERY_MODE, "--eeprom-size=N",
	 "size of the EEPROM in bytes (32768, or 32K with K for 1024),\nat most 16384K: the "
	 "image must fit into it, and the output\ncovers it"},
	{OPT_SET, 0, "set", 1, IN_CONVERT | IN_VERIFY | IN_UPDATE, "--set=ADDRESS:BYTES",
	 "replace the program's bytes from program address ADDRESS\n(hexadecimal) on by BYTES "
	 "(pairs of hexadecimal digits, 1 to\n256 of them); may be given more than once"},
	{OPT_SERIAL, 0, "serial", 1, IN_EVERY_MODE, "--serial=ADDRESS:FORMAT:WIDTH",
	 "write a serial number over the program's bytes from ADDRESS\non, in FORMAT, WIDTH "
	 "bytes or digits wide (a USB string's\ndigits behind its descriptor at ADDRESS); read it "
	 "back from\nan image read back. FORMAT is one of:"},
	{OPT_SERIAL_NUMBER, 0, "serial-number", 1, IN_CONVERT | IN_VERIFY | IN_UPDATE, "--serial-number=N",
	 "the serial number of --serial, decimal"},
	{OPT_SERIAL_COUNTER, 0, "serial-counter", 1, IN_CONVERT | IN_UPDATE, "--serial-counter=FILE",
	 "take the serial number of --serial from the counter in FILE,\nwhich goes one up"},
	{OPT_SERIAL_LOG, 0, "serial-log", 1, IN_CONVERT | IN_VERIFY | IN_UPDATE, "--serial-log=FILE",
	 "add a line for each image written with --serial to FILE,\nand refuse a number that it "
	 "holds; with --verify, check that\nit holds the board's number once"},
	{OPT_INFO, 0, "info", 0, IN_EVERY_MODE, "--info",
	 "read the image back: print what its header says and its\nCRC-32 on the standard "
	 "output, and check it against the\ncontents"},
	{OPT_VERIFY, 0, "verify", 0, IN_EVERY_MODE, "--verify",
	 "compare the image, cell by cell, with the one that the\nprogram and the options lay "
	 "out, and write nothing"},
	{OPT_EXTRACT, 0, "extract", 0, IN_EVERY_MODE, "--extract",
	 "check the image as --info does, write its program (and\nexpert-mode data) to the "
	 "files named, as Intel HEX, and\nprint the command that rebuilds the image from them"},
	{OPT_DIFF, 0, "diff", 0, IN_EVERY_MODE, "--diff",
	 "compare two images, cell by cell: print their formats and\nCRC-32s and how many cells "
	 "differ, and name the lowest"},
	{OPT_UPDATE, 0, "update", 0, IN_EVERY_MODE, "--update",
	 "write the image into the chip, a file that stands for it, in\nplace: only the pages that "
	 "differ, the header's last, then\nread the chip back"},
	{OPT_PAGE_SIZE, 0, "page-size", 1, IN_UPDATE, "--page-size=N",
	 "the chip's page, N bytes, a power of two up to 4096 (by\ndefault that of the common "
	 "chips of its size)"},
	{OPT_DRY_RUN, 0, "dry-run", 0, IN_UPDATE, "--dry-run",
	 "with --update: read and compare, and name the pages that\nwould be written, but "
	 "write nothing"},
	{OPT_JSON, 0, "json", 0, IN_READ_BACK | IN_DIFF | IN_UPDATE, "--json",
	 "print the report of a mode that reports as one JSON object on\none line"},
	{OPT_MAP, 0, "map", 0, IN_READ_BACK | IN_DIFF, "--map",
	 "end the report of --info, --verify, --extract or --diff with\na map of the image, a "
	 "character for each 256-byte block"},
	{OPT_PICTURE, 0, "picture", 1, IN_READ_BACK | IN_DIFF | IN_UPDATE, "--picture=FILE",
	 "draw the image's cells into FILE, an SVG picture: what each\nholds, in colours, and "
	 "where the images differ"},
	{OPT_USAGE, 'h', nullptr, 0, IN_EVERY_MODE, "-h",
	 "print the short usage text on the standard error stream"},
	{OPT_HELP, 0, "help", 0, IN_EVERY_MODE, "--help", "print this help"},
	{OPT_VERSION, 0, "version", 0, IN_EVERY_MODE, "--version", "print the version"},
};

static_assert(rows_in_order(OPTION_TABLE, OPTION_COUNT),
	      "one row for each option, in the order of OPT_");

// The code that getopt_long gives an option: its letter, or for an option
// that has only a long name one beyond every character.
static int code_of(const option_row &row)
{
	return row.letter != 0 ? row.letter : 256 + row.id;
}

// The option string and the long options of getopt_long, made from the
// table.
struct getopt_tables {
	char short_options[2 * OPTION_COUNT + 1];
	struct option long_options[OPTION_COUNT + 1];
};

static void make_getopt_tables(getopt_tables *t)
{
	char *s = t->short_options;
	struct option *l = t->long_options;
	for (const option_row &row : OPTION_TABLE) {
		if (row.long_name != nullptr) {
			*l++ = {row.long_name, row.takes_value ? required_argument : no_argument,
				nullptr, code_of(row)};
			continue;
		}
		*s++ = static_cast<char>(row.letter);
		if (row.takes_value)
			*s++ = ':';
	}
	*s = '\0';
	*l = {nullptr, 0, nullptr, 0};
}

// The option of a code that getopt_long gave, or -1 for none.
static int option_of(int code)
{
	for (const option_row &row : OPTION_TABLE)
		if (code_of(row) == code)
			return row.id;
	return -1;
}

// The option's name, as a message or the tables of modes and forms name
// it: "--json", "-c".
static void name_option(const option_row &row, char *text, size_t size)
{
	const char *name = row.long_name != nullptr ? row.long_name : "";
	size_t n = std::strlen(name), dashes = row.long_name != nullptr ? 2 : 1;
	if (n + dashes + 2 > size)
		n = size - dashes - 2;
	std::memcpy(text, "--", dashes);
	if (row.long_name == nullptr)
		text[dashes++] = char(row.letter);
	std::memcpy(text + dashes, name, n);
	text[dashes + n] = '\0';
}

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

static int set_page_size(run_options *opts, const char *arg)
{
	opts->page_size = parse_page_size(arg);
	if (opts->page_size == 0) {
		diag_error("Invalid --page-size value");
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
		char names[128];
		serial_format_names(names, sizeof names);
		diag_error("Invalid --serial value: give ADDRESS:FORMAT:WIDTH, a FORMAT of %s and a "
			   "WIDTH that it takes",
			   names);
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
		diag_error("Options %s and %s cannot be given together", MODES[opts->mode].option,
			   MODES[mode].option);
		return SCAN_ERROR;
	}
	opts->mode = mode;
	return SCAN_CONTINUE;
}

// What each option changes; an option that asks for a mode sets it, and
// one that asks for a form of the image sets that.
static int apply_option(run_options *opts, int option, const char *arg)
{
	char name[32] = "";
	if (option >= 0)
		name_option(OPTION_TABLE[option], name, sizeof name);
	int mode = name[1] == '-' ? mode_of_option(name + 2) : -1;
	if (mode >= 0)
		return set_mode(opts, mode);
	int form = form_of_option(name);
	if (form >= 0)
		opts->image_form = form;
	if (form >= 0 && !OPTION_TABLE[option].takes_value)
		return SCAN_CONTINUE;
	switch (option) {
	case OPT_ARRAY: opts->array_name = arg; break;
	case OPT_BASE_ADDRESS: set_base_address(opts, arg); break;
	case OPT_CRYSTAL: return set_crystal(opts, arg);
	case OPT_EXPERT: opts->expert_file = arg; break;
	case OPT_USAGE: print_usage(); return SCAN_USAGE;
	case OPT_IGNORE_CHECKSUMS: opts->verify_checksums = 0; break;
	case OPT_PROGRAM_SIZE: return set_program_size(opts, arg);
	case OPT_SLOW_CLOCK: opts->slow_clock = 1; break;
	case OPT_LENGTH_HEADER: opts->length_header = 1; break;
	case OPT_SET: return add_byte_patch(opts, arg);
	case OPT_SERIAL: return set_serial(opts, arg);
	case OPT_SERIAL_NUMBER: return set_serial_number(opts, arg);
	case OPT_SERIAL_COUNTER: opts->serial_counter = arg; break;
	case OPT_SERIAL_LOG: opts->serial_log = arg; break;
	case OPT_EEPROM_SIZE: return set_eeprom_size(opts, arg);
	case OPT_PAGE_SIZE: return set_page_size(opts, arg);
	case OPT_DRY_RUN: opts->dry_run = 1; break;
	case OPT_FILL: return set_fill_byte(opts, arg);
	case OPT_HELP: print_help(); return SCAN_HELP;
	case OPT_JSON: opts->json = 1; break;
	case OPT_MAP: opts->map = 1; break;
	case OPT_PICTURE: opts->picture_file = arg; break;
	case OPT_VERSION: break; // taken before the scan
	default: print_usage(); return SCAN_ERROR;
	}
	return SCAN_CONTINUE;
}

// The place of a file name of the mode.
static const char **name_slot(run_options *opts, int name)
{
	switch (name) {
	case NAME_PROGRAM: return &opts->program_file;
	case NAME_EXPERT: return &opts->expert_file;
	case NAME_SECOND_IMAGE: return &opts->second_image_file;
	default: return &opts->image_file;
	}
}

// Takes the file names of the mode, each to its place. A wrong count is
// the usage text for a conversion, else the line of the mode.
static int take_names(run_options *opts, char **names, int count)
{
	const mode_row &m = MODES[opts->mode];
	if (count < m.least_names || count > m.most_names) {
		if (m.call == nullptr)
			print_usage();
		else
			diag_error("%s (see tarnwick --help)", m.call);
		return SCAN_ERROR;
	}
	for (int i = 0; i < count; i++)
		*name_slot(opts, m.names[i]) = names[i];
	return SCAN_CONTINUE;
}

// The modes that take the option, but the conversion, in the table's
// order: "--info, --verify, --extract or --diff".
static void name_modes(const option_row &row, char *text, size_t size)
{
	int n = 0, count = 0, taken = 0;
	for (const mode_row &m : MODES)
		count += m.option != nullptr && (row.modes & (1 << m.id)) != 0;
	for (const mode_row &m : MODES)
		if (m.option != nullptr && (row.modes & (1 << m.id)) != 0)
			n += std::snprintf(text + n, size - size_t(n), "%s%s",
					   taken++ == 0 ? "" : taken == count ? " or " : ", ", m.option);
}

// An option that only other modes take needs one; the first in the table
// is named.
static int check_needs_mode(const run_options *opts, const int *given)
{
	if (opts->mode != MODE_CONVERT)
		return SCAN_CONTINUE;
	for (const option_row &row : OPTION_TABLE)
		if (given[row.id] != 0 && (row.modes & IN_CONVERT) == 0) {
			char name[32], modes[128];
			name_option(row, name, sizeof name);
			name_modes(row, modes, sizeof modes);
			diag_error("Option %s needs %s", name, modes);
			return SCAN_ERROR;
		}
	return SCAN_CONTINUE;
}

// Of the options that the mode does not take, the one given first is
// named.
static int check_mode_options(const run_options *opts, const int *given)
{
	int refused = -1;
	for (const option_row &row : OPTION_TABLE)
		if (given[row.id] != 0 && (row.modes & (1 << opts->mode)) == 0 &&
		    (refused < 0 || given[row.id] < given[refused]))
			refused = row.id;
	if (refused < 0)
		return SCAN_CONTINUE;
	char name[32];
	name_option(OPTION_TABLE[refused], name, sizeof name);
	diag_error("Option %s has no meaning with %s", name, MODES[opts->mode].option);
	return SCAN_ERROR;
}

int scan_options(int argc, char **argv, run_options *opts)
{
	getopt_tables t;
	int code, given[OPTION_COUNT] = {}, order = 0;

	set_defaults(opts);
	make_getopt_tables(&t);
	optind = 0; // a fresh scan, which also reads POSIXLY_CORRECT anew
	// getopt_long is getopt in its GNU form: it permutes the arguments,
	// stops at "--" and honours POSIXLY_CORRECT, on glibc and on mingw-w64
	// alike, whose plain getopt does not permute.
	while ((code = getopt_long(argc, argv, t.short_options, t.long_options, nullptr)) != -1) {
		int option = option_of(code);
		if (option >= 0 && given[option] == 0)
			given[option] = ++order;
		int result = apply_option(opts, option, optarg);
		if (result != SCAN_CONTINUE)
			return result;
	}
	if (check_needs_mode(opts, given) != SCAN_CONTINUE ||
	    take_names(opts, argv + optind, argc - optind) != SCAN_CONTINUE)
		return SCAN_ERROR;
	if (check_mode_options(opts, given) != SCAN_CONTINUE || check_run_rules(opts) != 0)
		return SCAN_ERROR;
	return SCAN_CONTINUE;
}

int asks_for_version(int argc, char **argv)
{
	// Only a word that begins with "--v" can be --version, or an
	// abbreviation of it: without one there is nothing to scan for.
	int maybe = 0;
	for (int i = 1; i < argc; i++)
		maybe |= std::strncmp(argv[i], "--v", 3) == 0;
	if (!maybe)
		return 0;
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
		found |= option_of(code) == OPT_VERSION;
	opterr = 1;
	std::free(copy);
	return found;
}
