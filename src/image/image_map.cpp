// A map of an image: a character for each block of cells.
#include "image/image_map.h"

uint32_t map_reach(const chip_plan *p)
{
	return p->chip_size > p->program_size ? p->chip_size : p->program_size;
}

uint32_t map_blocks(int64_t last_in_use, uint32_t reach)
{
	uint64_t end = last_in_use + 1 > int64_t(reach) ? uint64_t(last_in_use + 1) : reach;
	return map_blocks_of(uint32_t(end));
}

// The cells first to end - 1 that the image holds: none behind its last.
static int use_between(const image *img, const chip_plan *p, uint32_t first, uint32_t end)
{
	end = end < img->size ? end : img->size;
	return first < end ? cells_in_use(img, p, first, end - first) : USE_NONE;
}

char map_block(const image *img, const chip_plan *p, const uint8_t *differing, uint32_t block)
{
	if (differing != nullptr && differing[block])
		return 'X';
	uint32_t first = block * MAP_BLOCK_CELLS, end = first + MAP_BLOCK_CELLS;
	// The cells below the program memory size, and those from it on.
	uint32_t split = p->program_size < first ? first : p->program_size < end ? p->program_size : end;
	if (use_between(img, p, split, end) != USE_NONE)
		return '!';
	// A block cut by the program memory's end, or the image's, is never all
	// in use below it.
	int below = use_between(img, p, first, split);
	return below == USE_NONE ? '.' : below == USE_ALL && split == end && end <= img->size ? '#' : '+';
}
