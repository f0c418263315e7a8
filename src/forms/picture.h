// An SVG picture of an image's cells: a title line, an overview bar to scale, a grid of blocks and a legend.
#ifndef TARNWICK_PICTURE_H
#define TARNWICK_PICTURE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "image/cell_kinds.h"

// Writes the text of a differing cell behind its number into text:
// "55h, expected FFh".
typedef void (*cell_describer)(const void *context, uint32_t cell, char *text, size_t size);

// What a picture shows: the image's file name (its last part is shown),
// the name of what it was compared with (null: nothing), the name of its
// form, the cells it covers and their CRC-32, the kinds of its cells, and
// for a comparison how a differing cell is described, with its context.
struct picture_request {
	const char *name;
	const char *against;
	const char *form;
	uint32_t covered;
	uint32_t crc;
	cell_source cells;
	cell_describer describe;
	const void *context;
};

// Most blocks of the grid, and the blocks of one of its rows.
constexpr uint32_t PICTURE_MOST_BLOCKS = 4096;
constexpr uint32_t PICTURE_ROW_BLOCKS = 64;

// Most differing cells that the tooltip of a run of blocks names.
constexpr uint32_t PICTURE_NAMED_CELLS = 8;

// The cells of one block of the grid of a picture of cells cells: the
// least power of two that keeps the grid within PICTURE_MOST_BLOCKS.
uint32_t picture_block_cells(uint32_t cells);

// Writes the picture to out, which it leaves open; the grid reaches as far
// as the image's map. The caller checks out for write errors. Returns 0,
// or 1 after reporting "Out of memory".
int write_picture(FILE *out, const picture_request *r);

#endif
