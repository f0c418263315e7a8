// What every writer of a file is given (the cells to write) and what it gives back.
#ifndef TARNWICK_WRITER_H
#define TARNWICK_WRITER_H

#include <cstdint>
#include <cstdio>

#include "image/image.h"

// The cells that a writer writes: cells first to end - 1 of img. Raw bytes
// and the C array write each of them as the chip holds it (a cell without a
// byte as the image's empty byte); records write, when filled, each of them
// likewise, and else only those that hold a byte, at output address base +
// (cell - first).
struct image_output {
	const image *img;
	uint32_t first;
	uint32_t end;
	int filled;
	uint32_t base;
	const char *name; // the C array's name, written as it is
};

// Results of a writer; 0 is success.
enum {
	WRITE_OK = 0,
	WRITE_PAST_ADDRESSES = 1, // an output address would pass FFFFFFFFh: nothing is written
};

// A writer: writes the output's cells to out, which it leaves open, and
// returns its result. The caller checks out for write errors.
typedef int (*image_writer)(FILE *out, const image_output *o);

#endif
