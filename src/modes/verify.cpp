// --verify: the image a program lays out, compared with an image read back.
#include "platform/files.h"
#include "modes/info_report.h"
#include "modes/lay_out.h"
#include "modes/modes.h"
#include "modes/read_back.h"
#include "modes/read_file.h"
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

// The differences of the cells from IMAGE_CELLS on, after those of the
// image: every cell there in use differs, as the layout leaves it empty.
static uint32_t add_tail_differences(const chip_tail *tail, uint32_t count,
				     cell_difference *diffs, uint8_t fill)
{
	for (int i = 0; i < tail->named && count + uint32_t(i) < NAMED_DIFFERENCES; i++)
		diffs[count + uint32_t(i)] = {tail->lowest[i].cell, tail->lowest[i].byte, EMPTY_CELL,
					      fill};
	return count + tail->in_use;
}

// The map of the image read back, a cell in use where the comparison does
// not take it for empty, and 'X' where it differs.
static void put_map(const run_options *opts, read_back *b, const compare_request *q,
		    const uint8_t *differing)
{
	map_rule rule = {q->program_size, q->below_fill, q->above_fill,
			 map_reach(q->program_size, opts->eeprom_size)};
	report_map(&b->r, b->img, b->tail, &rule, map_last_in_use(b->img, b->tail, &rule),
		   differing);
}

static int verify(const run_options *opts, read_back *b)
{
	int form;
	uint32_t raw_length;
	if (build_layout(opts, b->layout) != 0 || read_image(opts, b, &form, &raw_length) != 0)
		return 1;
	// A read-out saved as text leaves out the records of erased cells: with
	// a fill byte given, a missing cell below -p holds it. With
	// --eeprom-size, the chip's every empty cell holds the fill byte.
	compare_request q = {uint32_t(opts->program_size), opts->chip_fill,
			     opts->eeprom_size != 0 ? opts->chip_fill : ERASED_BYTE,
			     form != INPUT_RAW && opts->fill_byte != NO_FILL ? opts->fill : NO_FILL};
	cell_difference diffs[NAMED_DIFFERENCES];
	uint8_t differing[IMAGE_CELLS / MAP_BLOCK_CELLS] = {};
	uint32_t count = image_compare(b->layout, b->img, &q, diffs, NAMED_DIFFERENCES, differing);
	if (b->tail != nullptr)
		count = add_tail_differences(b->tail, count, diffs, opts->chip_fill);
	report_number(&b->r, "differing cells", count);
	if (opts->map)
		put_map(opts, b, &q, differing);
	if (!opts->json)
		std::fflush(stdout);
	report_differences(diffs, count);
	return count == 0 ? 0 : 1;
}

int run_verify(const run_options *opts)
{
	return run_read_back(opts, 1, verify);
}
