// --verify: the image a program lays out, compared with an image read back.
#include "cli/files.h"
#include "cli/lay_out.h"
#include "cli/modes.h"
#include "cli/read_image.h"
#include "image/image_compare.h"
#include "report/diag.h"
#include "report/report.h"

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
	if (count > NAMED_DIFFERENCES)
		diag_error("%u more cells differ", unsigned(count - NAMED_DIFFERENCES));
}

// Lays out the program into layout and reads the image into actual, each
// file opened, read and closed in turn.
static int build_and_read(const run_options *opts, image *layout, image *actual)
{
	FILE *expert = nullptr, *program = nullptr;
	if ((opts->expert_file != nullptr &&
	     (expert = open_reported(opts->expert_file, "rb")) == nullptr) ||
	    (program = open_reported(opts->program_file, "rb")) == nullptr) {
		close_input(expert);
		return 1;
	}
	int failed = lay_out(opts, expert, program, layout);
	close_input(expert);
	close_input(program);
	FILE *stream = failed ? nullptr : open_reported(opts->image_file, "rb");
	uint32_t raw_length;
	failed = failed || stream == nullptr || read_image(opts, stream, actual, &raw_length) != 0;
	close_input(stream);
	return failed;
}

int run_verify(const run_options *opts)
{
	report r;
	report_begin(&r, stdout, opts->json);
	image *layout = image_alloc(), *actual = image_alloc();
	int status = 1;
	if (layout == nullptr || actual == nullptr) {
		diag_error("Out of memory");
	} else if (build_and_read(opts, layout, actual) == 0) {
		cell_difference diffs[NAMED_DIFFERENCES];
		uint32_t count = image_compare(layout, actual, uint32_t(opts->program_size),
					       uint8_t(fill_of(opts)), diffs, NAMED_DIFFERENCES);
		report_number(&r, "differing cells", count);
		if (!opts->json)
			std::fflush(stdout);
		report_differences(diffs, count);
		status = count == 0 ? 0 : 1;
	}
	report_end(&r);
	image_free(layout);
	image_free(actual);
	return status;
}
