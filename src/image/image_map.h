// A map of an image: a character for each block of cells.
#ifndef TARNWICK_IMAGE_MAP_H
#define TARNWICK_IMAGE_MAP_H

#include <cstdint>

#include "image/chip_plan.h"
#include "image/image.h"

// Blocks of a row of the map; a block's cells are the plan's
// MAP_BLOCK_CELLS.
constexpr uint32_t MAP_ROW_BLOCKS = 32;

// The cells that a map reaches at least: the program memory's, or the
// chip's when that is larger.
uint32_t map_reach(const chip_plan *p);

// The number of blocks that a map shows: from block 0 to the later of the
// block of cell reach - 1 and the block of the last cell in use.
uint32_t map_blocks(int64_t last_in_use, uint32_t reach);

// The character of a block of img (from plan_image of p), by the plan's
// rule of the cells in use: '.' no cell in use, '#' every cell, '+' some,
// '!' a cell in use at or beyond the program memory size, whatever else;
// 'X' when differing (null: none) flags the block.
char map_block(const image *img, const chip_plan *p, const uint8_t *differing, uint32_t block);

#endif
