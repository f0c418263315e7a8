// A map of an image: a character for each block of 256 cells.
#include "image/image_map.h"

// The number of cells in use among cells[0 .. n), where unused is the byte
// of a cell not in use or EMPTY_CELL: a branchless count that vectorises.
static uint32_t count_in_use(const image_cell *cells, uint32_t n, image_cell unused)
{
	uint32_t count = 0;
	for (uint32_t k = 0; k < n; k++)
		count += uint32_t((cells[k] != EMPTY_CELL) & (cells[k] != unused));
	return count;
}

static image_cell unused_cell(int unused)
{
	return unused == NO_FILL ? EMPTY_CELL : image_cell(unused);
}

int64_t map_last_in_use(const image *img, const chip_tail *tail, const map_rule *rule)
{
	if (tail != nullptr && tail->last_in_use >= 0)
		return tail->last_in_use;
	for (int64_t i = int64_t(image_used_end(img->cells, IMAGE_CELLS)) - 1; i >= 0; i--) {
		image_cell c = img->cells[i];
		int unused = i < int64_t(rule->program_size) ? rule->below_unused : rule->above_unused;
		if (c != EMPTY_CELL && c != unused_cell(unused))
			return i;
	}
	return -1;
}

uint32_t map_blocks(int64_t last_in_use, uint32_t reach)
{
	uint64_t end = last_in_use + 1 > int64_t(reach) ? uint64_t(last_in_use + 1) : reach;
	return uint32_t((end + MAP_BLOCK_CELLS - 1) / MAP_BLOCK_CELLS);
}

char map_block(const image *img, const chip_tail *tail, const map_rule *rule,
	       const uint8_t *differing, uint32_t block)
{
	uint32_t first = block * MAP_BLOCK_CELLS;
	if (first >= IMAGE_CELLS) {
		bool in_use = tail != nullptr && (chip_tail_block(tail, first) & TAIL_IN_USE) != 0;
		return !in_use ? '.' : differing != nullptr ? 'X' : '!';
	}
	if (differing != nullptr && differing[block])
		return 'X';
	// The cells below the program memory size, and those from it on.
	uint32_t split = rule->program_size < first ? first
			 : rule->program_size < first + MAP_BLOCK_CELLS ? rule->program_size
									  : first + MAP_BLOCK_CELLS;
	const image_cell *cells = img->cells + first;
	uint32_t below = count_in_use(cells, split - first, unused_cell(rule->below_unused));
	uint32_t above = count_in_use(cells + (split - first), first + MAP_BLOCK_CELLS - split,
				      unused_cell(rule->above_unused));
	if (above > 0)
		return '!';
	return below == MAP_BLOCK_CELLS ? '#' : below > 0 ? '+' : '.';
}
