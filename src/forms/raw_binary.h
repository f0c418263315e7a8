// The raw binary export: the image as the bytes of the whole EEPROM.
#ifndef TARNWICK_RAW_BINARY_H
#define TARNWICK_RAW_BINARY_H

#include <cstdint>
#include <cstdio>

#include "image/image.h"

// Writes cells 0 to count - 1 of img as count bytes, byte i being cell i, or
// fill for a cell that holds no byte and for every cell from IMAGE_CELLS
// on. out must be open in binary mode. Always returns 0; the caller checks
// the stream for write errors.
int write_raw_binary(FILE *out, const image *img, uint32_t count, uint8_t fill);

#endif
