// A map of an image: a character for each block of cells.
#include "image/image_map.h"

uint32_t map_reach(const chip_plan *p)
{
	return p->chip_size > p->program_size ? p->chip_size : p->program_size;
}

uint32_t map_blocks(const image *img, const chip_plan *p, const uint64_t *differing)
{
	// No cell in use lies beyond the cells that an image may reach.
	uint32_t reach = map_reach(p);
	int64_t last = reach < plan_chip_cells(p) ? last_in_use(img, p, plan_chip_cells(p)) : -1;
	int64_t last_differing = differing != nullptr ? last_in_cell_set(differing, img->size) : -1;
	int64_t end = last > last_differing ? last + 1 : last_differing + 1;
	return map_blocks_of(uint32_t(end > int64_t(reach) ? end : reach));
}

int map_label_digits(uint32_t last_row)
{
	return last_row > 0xFFFFFF ? 7 : last_row > 0xFFFFF ? 6 : last_row > 0xFFFF ? 5 : 4;
}

uint32_t map_cells(const image *img, const chip_plan *p)
{
	return img->size < plan_chip_cells(p) ? img->size : plan_chip_cells(p);
}

// The cells first to end - 1 that the image holds: none behind its last,
// nor beyond the chip.
static int use_between(const image *img, const chip_plan *p, uint32_t first, uint32_t end)
{
	end = end < map_cells(img, p) ? end : map_cells(img, p);
	return first < end ? cells_in_use(img, p, first, end - first) : USE_NONE;
}

char map_block(const image *img, const chip_plan *p, const uint64_t *differing, uint32_t block)
{
	uint32_t first = block * MAP_BLOCK_CELLS, end = first + MAP_BLOCK_CELLS;
	uint32_t inside = end < map_cells(img, p) ? end : map_cells(img, p);
	if (differing != nullptr && first < inside && next_in_cell_set(differing, first, inside) < inside)
		return 'X';
	// The cells below the program memory size, and those from it on.
	uint32_t split = p->program_size < first ? first : p->program_size < end ? p->program_size : end;
	if (use_between(img, p, split, end) != USE_NONE)
		return '!';
	// A block cut by the program memory's end, or the chip's, is never all
	// in use below it.
	int below = use_between(img, p, first, split);
	return below == USE_NONE ? '.' : below == USE_ALL && split == end && end <= inside ? '#' : '+';
}
