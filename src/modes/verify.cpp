// --verify: the image a program lays out, compared with an image read back.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/image_compare.h"
#include "image/image_map.h"
#include "image/crc32.h"
#include "modes/patch_checks.h"
#include "modes/picture_file.h"
#include "modes/info_report.h"
#include "modes/program_image.h"
#include "modes/modes.h"
#include "modes/read_back.h"
#include "modes/serial_log.h"
#include "platform/files.h"
#include "report/diag.h"
#include "platform/memory.h"

static void report_differences(const cell_difference *diffs, uint32_t count)
{
	for (uint32_t i = 0; i < count && i < NAMED_DIFFERENCES; i++) {
		char held[24], expected[24];
		describe_cell(held, sizeof held, diffs[i].held);
		describe_cell(expected, sizeof expected, diffs[i].expected, diffs[i].or_byte,
			      diffs[i].erased);
		diag_error("Cell %u holds %s, expected %s", unsigned(diffs[i].cell), held, expected);
	}
	report_more_differences(count);
}

// Lays out the program into layout, its files opened, read and closed, as
// l says, and checks its patches.
static int build_layout(const run_options *opts, image *layout, image_layout *l)
{
	FILE *expert, *program;
	if (open_inputs(opts, &expert, &program) != 0)
		return 1;
	int failed = lay_out_program(opts, expert, program, layout, 1, l) ||
		     (has_patches(opts) && check_patches(opts, layout, l));
	close_input(expert);
	close_input(program);
	return failed;
}

// The serial number that the layout is patched with: --serial-number's,
// or else the one that the image read back holds where the layout puts
// it. Returns the finding of reading it back.
static board_finding serial_of(const run_options *opts, const read_back *b, const image_layout *l,
			       uint64_t *number)
{
	*number = opts->serial_number;
	if (opts->has_serial_number)
		return board_finding{BOARD_OK, 0, 0, 0, 0};
	return read_serial(b->img, l->program_first, &opts->serial, number);
}

// How the image read back is compared with the layout: a read-out saved as
// text leaves out the records of erased cells, so with a fill byte given,
// a missing cell holds it.
static compare_request request_of(const run_options *opts, int form)
{
	return {&opts->plan, form != FORM_RAW && opts->fill_byte != NO_FILL};
}

// A comparison of an image read back with its layout, as a picture tells
// a cell that differs.
struct verify_context {
	const image *layout;
	const image *actual;
	compare_request request;
};

// The text of a cell that differs from the layout: "55h, expected FFh".
static void describe_verified(const void *context, uint32_t cell, char *text, size_t size)
{
	const verify_context *v = static_cast<const verify_context *>(context);
	cell_difference d = cell_difference_at(v->layout, v->actual, &v->request, cell);
	char held[24], expected[24];
	describe_cell(held, sizeof held, d.held);
	describe_cell(expected, sizeof expected, d.expected, d.or_byte, d.erased);
	std::snprintf(text, size, "%s, expected %s", held, expected);
}

// With --picture, draws the image read back, its cells that differ from
// the layout l marked.
static int draw(const run_options *opts, const read_back *b, int form, uint32_t raw_length,
		const image_layout *l, const uint64_t *differing)
{
	if (opts->picture_file == nullptr)
		return 0;
	uint32_t covered = covered_cells(&opts->plan, raw_length);
	verify_context v = {b->other, b->img, request_of(opts, form)};
	picture_request r = picture_of_layout(opts, form, b->img, covered, image_crc32(b->img, covered),
					      l, differing, describe_verified, &v);
	return write_picture_file(opts, &r);
}

// With --serial-log, the number that the board holds must be in the log,
// once. A board that holds no number where --serial-number is given
// differs from the layout, which says so.
static int check_logged(const run_options *opts, const read_back *b, const image_layout *l,
			uint64_t number)
{
	if (opts->serial_log == nullptr ||
	    (opts->has_serial_number &&
	     read_serial(b->img, l->program_first, &opts->serial, &number).kind != BOARD_OK))
		return 0;
	return check_logged_once(opts->serial_log, number);
}

static int verify(const run_options *opts, read_back *b)
{
	int form;
	uint32_t raw_length;
	image_layout l;
	if (build_layout(opts, b->other, &l) != 0 ||
	    read_image(opts, opts->image_file, &b->img, &form, &raw_length) != 0)
		return 1;
	uint64_t number = 0;
	board_finding serial = {BOARD_OK, 0, 0, 0, 0};
	if (opts->has_serial && (serial = serial_of(opts, b, &l, &number)).kind == BOARD_OK &&
	    check_serial_fits(opts, number) != 0)
		return 1;
	apply_board_data(b->other, &l, opts->patches, opts->patch_count,
			 opts->has_serial && serial.kind == BOARD_OK ? &opts->serial : nullptr, number);
	uint64_t *differing = new_cell_set(b->img->size);
	if (differing == nullptr)
		return 1;
	cell_difference diffs[NAMED_DIFFERENCES];
	compare_request q = request_of(opts, form);
	uint32_t count = image_compare(b->other, b->img, &q, diffs, NAMED_DIFFERENCES, differing);
	report_number(&b->r, "differing cells", count);
	if (opts->has_serial && serial.kind == BOARD_OK)
		report_unsigned(&b->r, "serial", number);
	else if (opts->has_serial)
		report_text(&b->r, "serial", nullptr);
	if (opts->map)
		report_map(&b->r, b->img, &opts->plan, differing);
	if (!opts->json)
		std::fflush(stdout);
	report_differences(diffs, count);
	if (serial.kind != BOARD_OK)
		report_board_finding(&serial, &opts->serial);
	int logged = serial.kind == BOARD_OK && opts->has_serial ? check_logged(opts, b, &l, number) : 0;
	int drawn = draw(opts, b, form, raw_length, &l, differing);
	std::free(differing);
	return count == 0 && serial.kind == BOARD_OK && logged == 0 && drawn == 0 ? 0 : 1;
}

int run_verify(const run_options *opts)
{
	return run_read_back(opts, OTHER_LAYOUT, verify);
}
