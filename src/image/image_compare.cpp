// Comparing images cell by cell: one read back with the layout of its program, or two read back.
#include "image/image_compare.h"

#include <cstring>

// Cells checked together without branches, so that the check vectorises;
// only a block with a difference is looked at cell by cell.
constexpr uint32_t COMPARE_BLOCK_CELLS = 64;

// Where the differences go and how many were found.
struct difference_list {
	cell_difference *diffs;
	uint32_t most;
	uint32_t count;
	uint64_t *differing;
};

// Whether cell i of actual fits cell i of layout (null: a layout that
// leaves the cell empty).
static bool cell_fits(const image *layout, const image *actual, const compare_request *q,
		      uint32_t i)
{
	if (layout == nullptr || !image_holds(layout, i))
		return !cell_in_use(actual, q->plan, i);
	// A cell without a byte holds the fill byte when missing_is_fill.
	return actual->bytes[i] == layout->bytes[i] && (image_holds(actual, i) || q->missing_is_fill);
}

cell_difference cell_difference_at(const image *layout, const image *actual,
				   const compare_request *q, uint32_t i)
{
	bool empty = layout == nullptr || i >= layout->size || !image_holds(layout, i);
	return {i, image_cell(actual, i), empty ? -1 : layout->bytes[i], empty ? q->plan->fill : -1,
		i >= plan_beyond(q->plan)};
}

// Counts a difference and keeps it while there is room.
static void note_difference(difference_list *list, const image *layout, const image *actual,
			    const compare_request *q, uint32_t i)
{
	if (list->count < list->most)
		list->diffs[list->count] = cell_difference_at(layout, actual, q, i);
	list->count++;
	if (list->differing != nullptr)
		add_to_cell_set(list->differing, i);
}

static void compare_cells(const image *layout, const image *actual, const compare_request *q,
			  uint32_t first, uint32_t end, difference_list *list)
{
	for (uint32_t i = first; i < end; i++)
		if (!cell_fits(layout, actual, q, i))
			note_difference(list, layout, actual, q, i);
}

// Whether every cell of the block of 64 from first on fits. Where a fill
// byte is in play and a cell of the layout without a byte holds it, as in
// an image from plan_image, a cell fits exactly when the two bytes are the
// same and, where the layout holds one, the cell read back holds one too
// (or stands for the fill byte): the bytes and the held bits compare whole.
static bool block_fits(const image *layout, const image *actual, const compare_request *q,
		       uint32_t first)
{
	if (q->plan->fill == NO_FILL || layout->empty != uint8_t(q->plan->fill)) {
		for (uint32_t i = first; i < first + COMPARE_BLOCK_CELLS; i++)
			if (!cell_fits(layout, actual, q, i))
				return false;
		return true;
	}
	uint64_t wanted = layout->held[first >> 6];
	uint64_t got = q->missing_is_fill ? ~uint64_t(0) : actual->held[first >> 6];
	return (wanted & ~got) == 0 &&
	       std::memcmp(layout->bytes + first, actual->bytes + first, COMPARE_BLOCK_CELLS) == 0;
}

// Whether no cell of the block of 64 from first on is in use.
static bool block_unused(const image *actual, const chip_plan *p, uint32_t first)
{
	return cells_in_use(actual, p, first, COMPARE_BLOCK_CELLS) == USE_NONE;
}

// Whether the 64 bytes from a and b on are the same, in eight words whose
// differences are gathered with OR, without a branch.
static bool same_block(const uint8_t *a, const uint8_t *b)
{
	uint64_t differ = 0;
	for (uint32_t k = 0; k < COMPARE_BLOCK_CELLS; k += 8) {
		uint64_t x, y;
		std::memcpy(&x, a + k, 8);
		std::memcpy(&y, b + k, 8);
		differ |= x ^ y;
	}
	return differ == 0;
}

uint32_t image_diff(const image *a, const image *b, cell_pair *pairs, uint32_t most,
		    uint64_t *differing)
{
	uint32_t count = 0, size = a->size;
	for (uint32_t first = 0; first < size; first += COMPARE_BLOCK_CELLS) {
		uint32_t end = size - first < COMPARE_BLOCK_CELLS ? size : first + COMPARE_BLOCK_CELLS;
		if (end - first == COMPARE_BLOCK_CELLS && same_block(a->bytes + first, b->bytes + first))
			continue;
		for (uint32_t i = first; i < end; i++) {
			if (a->bytes[i] == b->bytes[i])
				continue;
			if (count < most)
				pairs[count] = cell_pair{i, a->bytes[i], b->bytes[i]};
			count++;
			add_to_cell_set(differing, i);
		}
	}
	return count;
}

uint32_t image_compare(const image *layout, const image *actual, const compare_request *request,
		       cell_difference *diffs, uint32_t most, uint64_t *differing)
{
	difference_list list = {diffs, most, 0, differing};
	uint32_t reach = plan_chip_cells(request->plan);
	uint32_t laid = layout->size < reach ? layout->size : reach;
	uint32_t i = 0;
	for (; laid - i >= COMPARE_BLOCK_CELLS; i += COMPARE_BLOCK_CELLS)
		if (!block_fits(layout, actual, request, i))
			compare_cells(layout, actual, request, i, i + COMPARE_BLOCK_CELLS, &list);
	compare_cells(layout, actual, request, i, laid, &list);
	// Behind the layout's cells no cell may be in use.
	for (i = laid; reach - i >= COMPARE_BLOCK_CELLS; i += COMPARE_BLOCK_CELLS)
		if (!block_unused(actual, request->plan, i))
			compare_cells(nullptr, actual, request, i, i + COMPARE_BLOCK_CELLS, &list);
	compare_cells(nullptr, actual, request, i, reach, &list);
	return list.count;
}
