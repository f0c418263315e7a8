// The boot image builder: writes the header in front of contents laid out behind it.
#ifndef TARNWICK_BOOT_IMAGE_H
#define TARNWICK_BOOT_IMAGE_H

#include <cstdint>

#include "image/header.h"
#include "image/image.h"

// Writes the header of an image whose contents already lie behind it. With
// length_header zero, cells 0 to 2 receive the boot header: crystal code
// (low three bits) with bit 3 set unless slow_clock, header_offset (the
// cell where the program begins), and (header_offset + highest) >> 8, the
// block of the program's last byte. With length_header non-zero, cells 0
// and 1 receive highest + 1, the number of cells from cell 2 to the last
// byte, low byte first. No other cell changes. Always returns 0.
int build_boot_image(image *img, unsigned crystal_code, int slow_clock,
		     int length_header, uint32_t highest);

#endif
