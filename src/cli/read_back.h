// What the three read-back modes share: the report, the images, reading the image.
#ifndef TARNWICK_READ_BACK_H
#define TARNWICK_READ_BACK_H

#include <cstdint>

#include "cli/run_options.h"
#include "image/image.h"
#include "image/image_info.h"
#include "report/report.h"

// One read-back mode, given its report and its images: img for the image
// read back, and layout (null unless asked for) for the image that the
// program lays out. Returns the exit status.
typedef int (*read_back_mode)(const run_options *opts, report *r, image *img, image *layout);

// Begins the report on stdout (text or JSON), allocates the image (and
// with with_layout the layout's), runs mode, or reports "Out of memory",
// ends the report and frees the images. Returns the mode's exit status, or
// 1.
int run_read_back(const run_options *opts, int with_layout, read_back_mode mode);

// Reads the image file into img (empty on entry): raw bytes with --binary
// (at most IMAGE_CELLS), else text records whose cell 0 lies at -b. A byte
// outside the image read without -b is followed by the address to give to
// -b when the image begins at 100h or above. *form is the form it was read
// in, *raw_length the number of raw bytes read (0 for text). Returns 0, or
// 1 after reporting a failure.
int read_image(const run_options *opts, image *img, int *form, uint32_t *raw_length);

// How the image of a run is read and checked.
info_request info_request_of(const run_options *opts);

#endif
