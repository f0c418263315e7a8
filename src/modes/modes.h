// The modes of a run, one entry point each; the driver chooses one.
#ifndef TARNWICK_MODES_H
#define TARNWICK_MODES_H

#include "modes/run_options.h"

// Each runs its mode with the scanned options, reports every failure, and
// returns the exit status: 0, or 1 after a failure.

// A conversion: lays out the program and writes the image in one form.
int run_convert(const run_options *opts);

// --info: reads the image back, reports on stdout what it holds, checks it.
int run_info(const run_options *opts);

// --verify: lays out the program as a conversion would, reads the image
// back and compares the two, reporting the cells that differ.
int run_verify(const run_options *opts);

// --extract: reads and checks the image as --info does, writes the program
// (and the expert-mode data) it holds, and reports the command that
// rebuilds the image.
int run_extract(const run_options *opts);

#endif
