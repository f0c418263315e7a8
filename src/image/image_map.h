// A map of an image: a character for each block of 256 cells.
#ifndef TARNWICK_IMAGE_MAP_H
#define TARNWICK_IMAGE_MAP_H

#include <cstdint>

#include "image/chip_tail.h"
#include "image/image.h"

// Cells of a block, and blocks of a row of the map.
constexpr uint32_t MAP_BLOCK_CELLS = 256;
constexpr uint32_t MAP_ROW_BLOCKS = 32;

// What makes a cell in use: it holds a byte other than below_unused (below
// the program memory size) or above_unused (from there on); NO_FILL: any
// byte. The map reaches at least to cell reach - 1; a cell in use at or
// beyond program_size makes its block '!'.
struct map_rule {
	uint32_t program_size;
	int below_unused;
	int above_unused;
	uint32_t reach;
};

// The cells that a map reaches at least: the program memory's, or the
// chip's (chip_size, 0 when not known) when that is larger, up to
// IMAGE_CELLS.
uint32_t map_reach(uint32_t program_size, uint32_t chip_size);

// The last cell of img in use by the rule, or -1 (tail, null without one,
// holds the cells from IMAGE_CELLS on).
int64_t map_last_in_use(const image *img, const chip_tail *tail, const map_rule *rule);

// The number of blocks that a map shows: from block 0 to the later of the
// block of cell reach - 1 and the block of the last cell in use.
uint32_t map_blocks(int64_t last_in_use, uint32_t reach);

// The character of a block: '.' no cell in use, '#' every cell, '+' some,
// '!' a cell in use at or beyond the program memory size, whatever else;
// 'X' when differing (null: none) flags the block (a block from
// IMAGE_CELLS on: when it holds a cell in use).
char map_block(const image *img, const chip_tail *tail, const map_rule *rule,
	       const uint8_t *differing, uint32_t block);

#endif
