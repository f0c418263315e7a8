// What the three read-back modes share: the report, the images, reading the image.
#ifndef TARNWICK_READ_BACK_H
#define TARNWICK_READ_BACK_H

#include <cstdint>

#include "modes/run_options.h"
#include "image/chip_tail.h"
#include "image/image.h"
#include "image/image_info.h"
#include "report/report.h"

// What a read-back mode works on: its report, the image read back, the
// image that the program lays out (with --verify, else null), and the
// image's cells from IMAGE_CELLS on (with an --eeprom-size above it, else
// null).
struct read_back {
	report r;
	image *img;
	image *layout;
	chip_tail *tail;
};

// One read-back mode; returns the exit status.
typedef int (*read_back_mode)(const run_options *opts, read_back *b);

// Begins the report on stdout (text or JSON), allocates what the mode works
// on (the layout's image with with_layout), runs mode, or reports "Out of
// memory", ends the report and frees it all. Returns the mode's exit
// status, or 1.
int run_read_back(const run_options *opts, int with_layout, read_back_mode mode);

// Reads the image file into b->img (empty on entry) and b->tail: raw bytes
// with --binary, else text records whose cell 0 lies at -b, up to the
// EEPROM's size (65536 cells without --eeprom-size). A byte outside the
// image read without -b is followed by the address to give to -b when the
// image begins at 100h or above. *form is the form it was read in,
// *raw_length the number of raw bytes read (0 for text). Returns 0, or 1
// after reporting a failure.
int read_image(const run_options *opts, read_back *b, int *form, uint32_t *raw_length);

// How the image of a run is read and checked, for an EEPROM of chip_size
// cells (0: not known).
info_request info_request_of(const run_options *opts, uint32_t chip_size);

#endif
