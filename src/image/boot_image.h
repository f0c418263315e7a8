// The boot image builder: moves the loaded image up behind its header.
#ifndef TARNWICK_BOOT_IMAGE_H
#define TARNWICK_BOOT_IMAGE_H

#include <cstdint>

#include "image/image.h"

// Size of the two-byte length header.
constexpr uint32_t LENGTH_HEADER_CELLS = 2;

// Lays out img in place. With length_header zero, every cell moves up by
// header_offset cells and cells 0 to 2 receive the boot header: crystal
// code (low three bits) with bit 3 set unless slow_clock, header_offset,
// and (header_offset + highest) >> 8. Cells 3 to header_offset - 1 keep what
// they held. With length_header non-zero, every cell moves up by two cells
// and cells 0 and 1 receive highest + 1, low byte first.
// The caller guarantees that no loaded cell moves past the image's end and
// that header_offset + highest stays within the image. Always returns 0.
int build_boot_image(image *img, unsigned crystal_code, int slow_clock,
		     int length_header, uint32_t highest);

#endif
