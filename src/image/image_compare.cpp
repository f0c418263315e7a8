// Comparing an image read back with the image that a layout says it must be.
#include "image/image_compare.h"

// Cells checked together without branches, so that the check vectorises;
// only a block with a difference is looked at cell by cell. 64 rather than
// 16: GCC checks a block of 16 one cell at a time, one of 64 four at a time.
constexpr uint32_t COMPARE_BLOCK_CELLS = 64;

// Where the differences go and how many were found.
struct difference_list {
	cell_difference *diffs;
	uint32_t most;
	uint32_t count;
	uint8_t *blocks;
};

// What a range of cells is compared by: the byte that an empty layout cell
// may hold instead, and what an empty cell read back stands for
// (EMPTY_CELL: itself).
struct compare_rule {
	image_cell unused;
	image_cell missing;
};

// All bits set when a cell holding held fits want, which may leave it empty
// (EMPTY_CELL) for no byte or the byte unused; else 0. Masks of comparisons
// and a select rather than branches, so that a block of cells is checked in
// vector registers.
static uint32_t cell_fits(image_cell want, image_cell held, compare_rule rule)
{
	held = held == EMPTY_CELL ? rule.missing : held;
	uint32_t same = 0u - uint32_t(held == want);
	uint32_t left_unused = 0u - uint32_t((want == EMPTY_CELL) & (held == rule.unused));
	return same | left_unused;
}

// All bits set when every cell of the block fits, else not.
static uint32_t block_fits(const image_cell *want, const image_cell *held, compare_rule rule)
{
	uint32_t all = ~0u;
	for (uint32_t k = 0; k < COMPARE_BLOCK_CELLS; k++)
		all &= cell_fits(want[k], held[k], rule);
	return all;
}

// Counts a difference and keeps it while there is room.
static void note_difference(difference_list *list, uint32_t cell, image_cell want,
			    image_cell held, image_cell unused)
{
	if (list->count < list->most)
		list->diffs[list->count] = {cell, held, want, want == EMPTY_CELL ? unused : -1};
	list->count++;
	if (list->blocks != nullptr)
		list->blocks[cell >> 8] = 1;
}

// Checks cells first to end - 1 one at a time.
static void compare_cells(const image *layout, const image *actual, uint32_t first,
			  uint32_t end, compare_rule rule, difference_list *list)
{
	for (uint32_t i = first; i < end; i++)
		if (cell_fits(layout->cells[i], actual->cells[i], rule) == 0)
			note_difference(list, i, layout->cells[i], actual->cells[i], rule.unused);
}

// Checks cells first to end - 1 by the rule.
static void compare_range(const image *layout, const image *actual, uint32_t first,
			  uint32_t end, compare_rule rule, difference_list *list)
{
	uint32_t i = first;
	for (; end - i >= COMPARE_BLOCK_CELLS; i += COMPARE_BLOCK_CELLS)
		if (block_fits(layout->cells + i, actual->cells + i, rule) != ~0u)
			compare_cells(layout, actual, i, i + COMPARE_BLOCK_CELLS, rule, list);
	compare_cells(layout, actual, i, end, rule, list);
}

uint32_t image_compare(const image *layout, const image *actual, const compare_request *request,
		       cell_difference *diffs, uint32_t most, uint8_t *differing_blocks)
{
	difference_list list = {diffs, most, 0, differing_blocks};
	uint32_t split = request->program_size < IMAGE_CELLS ? request->program_size : IMAGE_CELLS;
	image_cell missing = request->missing == NO_FILL ? EMPTY_CELL : image_cell(request->missing);
	compare_range(layout, actual, 0, split, compare_rule{request->below_fill, missing}, &list);
	compare_range(layout, actual, split, IMAGE_CELLS,
		      compare_rule{request->above_fill, EMPTY_CELL}, &list);
	return list.count;
}
