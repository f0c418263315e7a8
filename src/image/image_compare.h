// Comparing an image read back with the image that a layout says it must be.
#ifndef TARNWICK_IMAGE_COMPARE_H
#define TARNWICK_IMAGE_COMPARE_H

#include <cstdint>

#include "image/image.h"

// One cell that differs: what it holds (a byte, or EMPTY_CELL) and what it
// must hold: a byte, with or_byte -1, or, for a cell that the layout leaves
// empty, EMPTY_CELL with or_byte the byte it may hold instead.
struct cell_difference {
	uint32_t cell;
	image_cell held;
	image_cell expected;
	int or_byte;
};

// How an image read back is compared with its layout: a cell that the
// layout leaves empty may hold no byte or below_fill below program_size,
// and no byte or above_fill from there on; below program_size a cell read
// back that holds no byte is taken to hold missing, unless that is NO_FILL.
struct compare_request {
	uint32_t program_size;
	uint8_t below_fill;
	uint8_t above_fill;
	int missing;
};

// Compares every cell 0 to IMAGE_CELLS - 1 of actual against layout: a cell
// that layout fills must hold the same byte; one that it leaves empty,
// what the request allows. Stores the first most differences, in
// increasing cell order, into diffs (which may be null when most is 0),
// flags the block of 256 cells of each one in differing_blocks (null, or
// IMAGE_CELLS / 256 flags) and returns how many cells differ in all: 0
// when actual agrees with layout.
uint32_t image_compare(const image *layout, const image *actual, const compare_request *request,
		       cell_difference *diffs, uint32_t most, uint8_t *differing_blocks);

#endif
