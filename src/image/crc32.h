// The CRC-32 of zlib, gzip and PNG, of bytes and of the cells of an image.
#ifndef TARNWICK_CRC32_H
#define TARNWICK_CRC32_H

#include <cstddef>
#include <cstdint>

#include "image/image.h"

// The CRC-32 of zlib, gzip and PNG (reflected polynomial EDB88320h, initial
// value and final XOR FFFFFFFFh). Continues crc (0 to start) over n bytes
// and returns the new value: feeding a buffer in pieces gives the same value
// as feeding it whole. bytes may be null when n is 0.
uint32_t crc32_update(uint32_t crc, const unsigned char *bytes, size_t n);

// The CRC-32 of cells 0 to count - 1 of img (at most its size) as the chip
// holds them: a cell that holds no byte counts as the image's empty byte. A
// count of 0 gives 0.
uint32_t image_crc32(const image *img, uint32_t count);

#endif
