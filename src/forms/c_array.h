// The C array export: the image as the initialiser of a C byte array.
#ifndef TARNWICK_C_ARRAY_H
#define TARNWICK_C_ARRAY_H

#include <cstdint>
#include <cstdio>

#include "image/image.h"

// Writes cells 0 to count - 1 of img as
//   flash unsigned char NAME[count]=
//   {
//   0x0b, 0x03, ... 16 entries a line, ", " after every entry but the last
//   };
// with "0xff" for an empty cell, and the byte beyond for each cell from
// IMAGE_CELLS on. array_name is written as it is, never used as a format.
// Always returns 0; the caller checks the stream for write errors.
int write_c_array(FILE *out, const image *img, uint32_t count, const char *array_name,
		  uint8_t beyond);

#endif
