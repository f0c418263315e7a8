// Checks of --set and --serial against the program laid out, and their findings in the words of the options.
#include "modes/patch_checks.h"

#include <cinttypes>
#include <cstdio>

#include "report/diag.h"

// The option of a patch: a byte patch, or the serial (which -1).
static const char *option_of(int which)
{
	return which < 0 ? "--serial" : "--set";
}

void describe_cell(char *text, size_t size, int64_t cell, int or_byte, int erased)
{
	if (cell >= 0)
		std::snprintf(text, size, "%02Xh", unsigned(cell));
	else if (or_byte >= 0 && erased && or_byte != ERASED_BYTE)
		std::snprintf(text, size, "no byte, %02Xh or %02Xh", unsigned(ERASED_BYTE), unsigned(or_byte));
	else if (or_byte >= 0)
		std::snprintf(text, size, "no byte or %02Xh", unsigned(or_byte));
	else
		std::snprintf(text, size, "no byte");
}

void report_board_finding(const board_finding *f, const serial_spec *serial)
{
	char what[64], first[16], second[16];
	switch (f->kind) {
	case BOARD_NO_BYTE:
		diag_error("The program holds no byte at %" PRIX32 "h, which %s writes", f->address,
			   option_of(f->which));
		break;
	case BOARD_OVERLAP:
		diag_error("%s at %" PRIX32 "h overlaps %s at %" PRIX64 "h", option_of(f->which),
			   f->address, option_of(int(f->value)), f->other);
		break;
	case BOARD_NOT_DESCRIPTOR:
		describe_cell(first, sizeof first, f->value);
		describe_cell(second, sizeof second, f->other);
		diag_error("The bytes at %" PRIX32 "h are not a USB string descriptor of %u %s: "
			   "they are %s %s, not %02Xh 03h",
			   f->address, unsigned(serial->width),
			   count_word(serial->width, "character", "characters"), first, second,
			   unsigned(2 + 2 * serial->width));
		break;
	case BOARD_NOT_NUMBER:
		describe_serial(serial, what, sizeof what);
		describe_cell(first, sizeof first, f->value);
		if (f->value == -2)
			diag_error("The serial number at %" PRIX32 "h is not a %s: its digits pass %" PRIu64,
				   f->address, what, UINT64_MAX);
		else
			diag_error("The serial number at %" PRIX32 "h is not a %s: cell %" PRId64 " holds %s",
				   f->address, what, f->other, first);
		break;
	}
}

int check_patches(const run_options *opts, const image *img, const image_layout *l)
{
	board_finding f = check_board_data(img, l, opts->patches, opts->patch_count,
					   opts->has_serial ? &opts->serial : nullptr);
	if (f.kind == BOARD_OK)
		return 0;
	report_board_finding(&f, &opts->serial);
	return 1;
}

// "Serial number N does not fit into 4 bytes", or into digits.
int check_serial_fits(const run_options *opts, uint64_t number)
{
	if (serial_fits(&opts->serial, number))
		return 0;
	diag_error("Serial number %" PRIu64 " does not fit into %u %s%s", number,
		   unsigned(opts->serial.width), serial_unit(&opts->serial),
		   opts->serial.width == 1 ? "" : "s");
	return 1;
}
