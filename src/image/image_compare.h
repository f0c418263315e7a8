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

// Compares every cell 0 to IMAGE_CELLS - 1 of actual against layout: a cell
// that layout fills must hold the same byte; a cell that layout leaves empty
// must hold no byte or the byte fill below program_size, or no byte or FFh
// from program_size on. Below program_size, a cell of actual that holds no
// byte is taken to hold missing, unless that is NO_FILL. Stores the first
// most differences, in increasing cell order, into diffs (which may be
// null when most is 0) and returns how many cells differ in all: 0 when
// actual agrees with layout.
uint32_t image_compare(const image *layout, const image *actual, uint32_t program_size,
		       uint8_t fill, int missing, cell_difference *diffs, uint32_t most);

#endif
