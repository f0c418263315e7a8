// Reading a raw binary image back: the bytes of an EEPROM read out.
#ifndef TARNWICK_RAW_READ_H
#define TARNWICK_RAW_READ_H

#include <cstdio>

#include "image/image.h"

// Results of read_raw_binary.
enum { RAW_READ_OK = 0, RAW_READ_TOO_LONG = 1, RAW_READ_ERROR = 2 };

// Reads stream, open in binary mode, to its end into img: byte i goes to
// cell i, and the cells behind the last byte stay as they are. Returns
// RAW_READ_TOO_LONG for more than IMAGE_CELLS bytes, RAW_READ_ERROR when the
// stream reports a read error; nothing is printed.
int read_raw_binary(FILE *stream, image *img);

#endif
