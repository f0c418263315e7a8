// Laying out a program's image, for a conversion and for --verify alike.
#ifndef TARNWICK_LAY_OUT_H
#define TARNWICK_LAY_OUT_H

#include <cstdio>

#include "cli/run_options.h"
#include "image/image.h"

// Lays out img, empty on entry, as a conversion with opts writes it: loads
// the expert-mode data from expert (with -e; else expert is null) and the
// program from program at their cells behind the header, checks that they
// fit into the program memory, and has the builder write the header. Sets
// header_offset. The fill byte is not applied. Reports each failure, by the
// file's name where it has one; returns 0, or 1 after a failure.
int lay_out(const run_options *opts, FILE *expert, FILE *program, image *img);

#endif
