// A map of an image: a character for each block of 256 cells.
#include "image/image_map.h"

// How many of cells[0 .. n) are in use: none, some or all; unused is the
// byte of a cell not in use, or EMPTY_CELL. Masks gathered with AND and OR
// rather than a count, which vectorises into fewer instructions.
enum { USE_NONE, USE_SOME, USE_ALL };

static int use_of(const image_cell *cells, uint32_t n, image_cell unused)
{
	// EMPTY_CELL is the one value with all bits set, and the only negative
	// one: the cells ANDed and ORed together tell all.
	if (unused == EMPTY_CELL) {
		image_cell every = EMPTY_CELL, some = 0;
		for (uint32_t k = 0; k < n; k++) {
			every &= cells[k];
			some |= cells[k];
		}
		return every == EMPTY_CELL ? USE_NONE : some < 0 ? USE_SOME : USE_ALL;
	}
	uint32_t every_unused = ~0u, some_unused = 0;
	for (uint32_t k = 0; k < n; k++) {
		uint32_t u = 0u - uint32_t((cells[k] == EMPTY_CELL) | (cells[k] == unused));
		every_unused &= u;
		some_unused |= u;
	}
	return every_unused != 0 ? USE_NONE : some_unused != 0 ? USE_SOME : USE_ALL;
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

uint32_t map_reach(uint32_t program_size, uint32_t chip_size)
{
	uint32_t chip = chip_size < IMAGE_CELLS ? chip_size : IMAGE_CELLS;
	return chip > program_size ? chip : program_size;
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
		bool in_use = tail != nullptr && chip_tail_block_in_use(tail, first);
		return !in_use ? '.' : differing != nullptr ? 'X' : '!';
	}
	if (differing != nullptr && differing[block])
		return 'X';
	// The cells below the program memory size, and those from it on.
	uint32_t split = rule->program_size < first ? first
			 : rule->program_size < first + MAP_BLOCK_CELLS ? rule->program_size
									  : first + MAP_BLOCK_CELLS;
	const image_cell *cells = img->cells + first;
	if (use_of(cells + (split - first), first + MAP_BLOCK_CELLS - split,
		   unused_cell(rule->above_unused)) != USE_NONE)
		return '!';
	// A block cut by the program memory's end is never all in use below it.
	int below = use_of(cells, split - first, unused_cell(rule->below_unused));
	return below == USE_NONE ? '.' : below == USE_ALL && split == first + MAP_BLOCK_CELLS ? '#' : '+';
}
