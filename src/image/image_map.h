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

// The number of blocks that a map of img (from plan_image of p) shows:
// from block 0 to the latest of the block of the cell that the map reaches
// at least, that of the last cell in use and that of the last cell of
// differing (a cell set of img's cells; null: none).
uint32_t map_blocks(const image *img, const chip_plan *p, const uint64_t *differing);

// The cells of img (from plan_image of p) that a map shows the use of:
// those of the chip; a block that reaches beyond them shows only theirs.
uint32_t map_cells(const image *img, const chip_plan *p);

// The hexadecimal digits of the labels of a map's rows, the last of which
// begins at cell last_row: 4 at least.
int map_label_digits(uint32_t last_row);

// The character of a block of img (from plan_image of p), by the plan's
// rule of the cells in use: '.' no cell in use, '#' every cell, '+' some,
// '!' a cell in use at or beyond the program memory size, whatever else;
// 'X' when a cell of the block is in differing (null: none).
char map_block(const image *img, const chip_plan *p, const uint64_t *differing, uint32_t block);

#endif
