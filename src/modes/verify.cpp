// --verify: the image a program lays out, compared with an image read back.
#include <cstdlib>
#include <cstring>

#include "image/image_compare.h"
#include "image/image_map.h"
#include "modes/patch_checks.h"
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

// The differences of the image read back from the layout patched with the
// run's bytes and serial number, and the blocks that hold them.
static uint32_t compare(const run_options *opts, read_back *b, int form, cell_difference *diffs,
			uint8_t *differing)
{
	// A read-out saved as text leaves out the records of erased cells: with
	// a fill byte given, a missing cell holds it.
	compare_request q = {&opts->plan, form != FORM_RAW && opts->fill_byte != NO_FILL};
	return image_compare(b->other, b->img, &q, diffs, NAMED_DIFFERENCES, differing);
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
	uint32_t blocks = map_blocks_of(b->img->size);
	uint8_t *differing = static_cast<uint8_t *>(run_realloc(nullptr, blocks));
	if (differing == nullptr) {
		diag_error("Out of memory");
		return 1;
	}
	std::memset(differing, 0, blocks);
	cell_difference diffs[NAMED_DIFFERENCES];
	uint32_t count = compare(opts, b, form, diffs, differing);
	report_number(&b->r, "differing cells", count);
	if (opts->has_serial && serial.kind == BOARD_OK)
		report_unsigned(&b->r, "serial", number);
	else if (opts->has_serial)
		report_text(&b->r, "serial", nullptr);
	if (opts->map)
		report_map(&b->r, b->img, &opts->plan, differing);
	std::free(differing);
	if (!opts->json)
		std::fflush(stdout);
	report_differences(diffs, count);
	if (serial.kind != BOARD_OK)
		report_board_finding(&serial, &opts->serial);
	int logged = serial.kind == BOARD_OK && opts->has_serial ? check_logged(opts, b, &l, number) : 0;
	return count == 0 && serial.kind == BOARD_OK && logged == 0 ? 0 : 1;
}

int run_verify(const run_options *opts)
{
	return run_read_back(opts, OTHER_LAYOUT, verify);
}
