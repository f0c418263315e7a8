// What the three read-back modes share: the report, the images, reading the image.
#ifndef TARNWICK_READ_BACK_H
#define TARNWICK_READ_BACK_H

#include <cstdint>

#include "image/image.h"
#include "image/image_info.h"
#include "modes/run_options.h"
#include "report/report.h"

// What a read-back mode works on: its report, the image read back (the
// plan's image of the chip), and the image that the program lays out (with
// --verify, of IMAGE_CELLS cells; else null).
struct read_back {
	report r;
	image *img;
	image *layout;
};

// One read-back mode; returns the exit status.
typedef int (*read_back_mode)(const run_options *opts, read_back *b);

// Begins the report on stdout (text or JSON), allocates what the mode works
// on (the layout's image with with_layout), runs mode, or reports "Out of
// memory", ends the report and frees it all. Returns the mode's exit
// status, or 1.
int run_read_back(const run_options *opts, int with_layout, read_back_mode mode);

// Reads the image file into b->img (empty on entry): raw bytes with
// --binary, else records whose cell 0 lies at -b, every byte into the
// cells of the chip (65536 cells without --eeprom-size). A byte outside
// the image read without -b is followed by the address to give to -b when
// the image begins at 100h or above. *form is the form it was read in,
// *raw_length the number of raw bytes read (0 for records). Returns 0, or
// 1 after reporting a failure.
int read_image(const run_options *opts, read_back *b, int *form, uint32_t *raw_length);

// How the image of a run is read and checked, by the chip of plan.
info_request info_request_of(const run_options *opts, const chip_plan *plan);

#endif
