// Reading a file into a window of cells, in the form it is in.
#ifndef TARNWICK_READ_FILE_H
#define TARNWICK_READ_FILE_H

#include <cstdint>
#include <cstdio>

#include "forms/read_window.h"

// The forms of a file that is read.
enum { INPUT_INTEL_HEX = 0, INPUT_SREC = 1, INPUT_RAW = 2 };

// Reads stream (open in binary mode) into the window in its form: raw
// bytes with binary, else S-record when its first byte that is not white
// space is S or s, else Intel HEX; *form is the form it was read in. The
// reader reports what fails; a file that stores no byte is "No data in
// 'name'". Returns READ_OK, the reader's failure, or READ_NO_DATA.
int read_input(FILE *stream, const read_window *w, int binary, read_result *r, int *form);

// Reads the text records of stream again from its start, in the given
// form, storing nothing, up to the first malformed one; *lowest becomes the
// lowest address of a data byte. Prints nothing. Returns 0, or 1 when the
// stream cannot be read again or holds no data byte up to there.
int probe_lowest_address(FILE *stream, int form, uint64_t *lowest);

#endif
