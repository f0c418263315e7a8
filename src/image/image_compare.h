// Comparing images cell by cell: one read back with the layout of its program, or two read back.
#ifndef TARNWICK_IMAGE_COMPARE_H
#define TARNWICK_IMAGE_COMPARE_H

#include <cstdint>

#include "image/chip_plan.h"
#include "image/image.h"

// One cell that differs: what it holds (a byte, or -1 for none) and what it
// must hold: a byte, with or_byte -1, or for a cell that the layout leaves
// empty -1, with or_byte the byte it may hold instead (-1: none), and
// erased 1 beyond the program memory, where FFh may stand too.
struct cell_difference {
	uint32_t cell;
	int held;
	int expected;
	int or_byte;
	int erased;
};

// How an image read back is compared with its layout: by the plan's rule
// of the cells in use, and with missing_is_fill a cell read back that
// holds no byte is taken to hold the fill byte (a read-out saved as text
// leaves out the records of the cells that hold it).
struct compare_request {
	const chip_plan *plan;
	int missing_is_fill;
};

// Compares every cell of actual (from plan_image of the request's plan)
// that it may reach against layout: a cell that layout fills must hold the
// same byte, and one that layout leaves empty, or that lies beyond layout,
// must not be in use. Stores the first most differences, in increasing cell
// order, into diffs (which may be null when most is 0), adds each one to
// the cell set differing (null, or one of actual's cells) and returns how
// many cells differ in all: 0 when actual agrees with layout.
uint32_t image_compare(const image *layout, const image *actual, const compare_request *request,
		       cell_difference *diffs, uint32_t most, uint64_t *differing);

// The difference of cell i of actual from layout, as image_compare finds
// it.
cell_difference cell_difference_at(const image *layout, const image *actual,
				   const compare_request *request, uint32_t i);

// One cell in which two images differ, and the bytes they hold or stand
// for there.
struct cell_pair {
	uint32_t cell;
	uint8_t a;
	uint8_t b;
};

// Compares every cell of two images of one size, by the bytes that they
// hold or stand for (from plan_image of one plan). Stores the first most
// differences, in increasing cell order, into pairs, adds each one to the
// cell set differing (one of the images' cells), and returns how many
// cells differ in all.
uint32_t image_diff(const image *a, const image *b, cell_pair *pairs, uint32_t most,
		    uint64_t *differing);

#endif
