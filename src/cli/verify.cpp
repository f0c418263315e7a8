// --verify: the image a program lays out, compared with an image read back.
#include "cli/files.h"
#include "cli/lay_out.h"
#include "cli/modes.h"
#include "cli/read_back.h"
#include "cli/read_file.h"
#include "image/image_compare.h"
#include "report/diag.h"

// Differing cells named one a line; the rest are counted.
constexpr uint32_t NAMED_DIFFERENCES = 10;

// "5Ah", "no byte", or "no byte or FFh" for a cell the layout leaves empty.
static void describe(char *text, size_t size, image_cell cell, int or_byte)
{
	if (cell != EMPTY_CELL)
		std::snprintf(text, size, "%02Xh", unsigned(cell));
	else if (or_byte >= 0)
		std::snprintf(text, size, "no byte or %02Xh", unsigned(or_byte));
	else
		std::snprintf(text, size, "no byte");
}

static void report_differences(const cell_difference *diffs, uint32_t count)
{
	for (uint32_t i = 0; i < count && i < NAMED_DIFFERENCES; i++) {
		char held[24], expected[24];
		describe(held, sizeof held, diffs[i].held, -1);
		describe(expected, sizeof expected, diffs[i].expected, diffs[i].or_byte);
		diag_error("Cell %u holds %s, expected %s", unsigned(diffs[i].cell), held, expected);
	}
	if (count == NAMED_DIFFERENCES + 1)
		diag_error("1 more cell differs");
	else if (count > NAMED_DIFFERENCES)
		diag_error("%u more cells differ", unsigned(count - NAMED_DIFFERENCES));
}

// Lays out the program into layout, its files opened, read and closed.
static int build_layout(const run_options *opts, image *layout)
{
	FILE *expert, *program;
	if (open_inputs(opts, &expert, &program) != 0)
		return 1;
	int failed = lay_out(opts, expert, program, layout, 1);
	close_input(expert);
	close_input(program);
	return failed;
}

static int verify(const run_options *opts, report *r, image *actual, image *layout)
{
	int form;
	uint32_t raw_length;
	if (build_layout(opts, layout) != 0 || read_image(opts, actual, &form, &raw_length) != 0)
		return 1;
	// A read-out saved as text leaves out the records of erased cells: with
	// a fill byte given, a missing cell below -p holds it.
	int missing = form != INPUT_RAW && opts->fill_byte != NO_FILL ? opts->fill : NO_FILL;
	cell_difference diffs[NAMED_DIFFERENCES];
	uint32_t count = image_compare(layout, actual, uint32_t(opts->program_size), opts->chip_fill,
				       missing, diffs, NAMED_DIFFERENCES);
	report_number(r, "differing cells", count);
	if (!opts->json)
		std::fflush(stdout);
	report_differences(diffs, count);
	return count == 0 ? 0 : 1;
}

int run_verify(const run_options *opts)
{
	return run_read_back(opts, 1, verify);
}
