// Laying out a program's image, for a conversion and for --verify alike.
#ifndef TARNWICK_PROGRAM_IMAGE_H
#define TARNWICK_PROGRAM_IMAGE_H

#include <cstdio>

#include "image/image.h"
#include "image/layout.h"
#include "modes/run_options.h"

// Opens the inputs of a layout as bytes, their line ends being the readers'
// business: the expert-mode data (with -e, else *expert is null), then the
// program. Returns 0, or 1 after reporting the one that cannot be opened,
// with nothing left open.
int open_inputs(const run_options *opts, FILE **expert, FILE **program);

// Lays out img, empty on entry and of at least IMAGE_CELLS cells, as a
// conversion with opts writes it: reads the expert-mode data from expert
// (with -e; else expert is null) into the cells behind the header and the
// program from program behind them, each in its form and at its own
// addresses, checks that they fit into the program memory, and into the
// EEPROM with --eeprom-size, and has the builder write the header. A byte
// beyond the cells of the program is reported without a line feed when
// line_feed is 0. Reports each failure, by the file's name where it has
// one; returns 0 with *l the layout, or 1 after a failure.
int lay_out_program(const run_options *opts, FILE *expert, FILE *program, image *img, int line_feed,
	    image_layout *l);

#endif
