// Reading an image back for --info, --verify and --extract.
#ifndef TARNWICK_READ_IMAGE_H
#define TARNWICK_READ_IMAGE_H

#include <cstdint>
#include <cstdio>

#include "cli/run_options.h"
#include "image/image.h"
#include "image/image_info.h"

// Reads the image file, open as stream, into img (empty on entry): with
// --binary its raw bytes (at most IMAGE_CELLS), else Intel HEX whose cell 0
// lies at -b. Reports what fails by the file's name: a read error, a raw
// file too long, a byte outside the image (with the -b to give, when the
// image was read without -b), a file that stores no byte. Returns 0, or 1
// after a failure. *raw_length is the number of raw bytes read (0 for
// Intel HEX).
int read_image(const run_options *opts, FILE *stream, image *img, uint32_t *raw_length);

// How --info reads and checks the image of a run.
info_request info_request_of(const run_options *opts);

#endif
