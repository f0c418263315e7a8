// Per-board data in an image: fixed bytes and a serial number written over the program's own, and their checks.
#ifndef TARNWICK_PATCHES_H
#define TARNWICK_PATCHES_H

#include <cstdint>

#include "image/image.h"
#include "image/layout.h"
#include "image/serial_formats.h"

// Most bytes that one patch replaces.
constexpr uint32_t MAX_PATCH_BYTES = 256;

// Fixed bytes that replace the program's from a program address on.
struct byte_patch {
	uint32_t address;
	uint32_t count;
	uint8_t bytes[MAX_PATCH_BYTES];
};

// Checks the byte patches and the serial (null: none) against the program
// that img holds as layout l says: the patches do not overlap, a USB
// string's descriptor reads as one of the width, and every byte that they
// write holds a byte of the program. Returns the first finding, in that
// order of checks, patch by patch.
board_finding check_board_data(const image *img, const image_layout *l,
			       const byte_patch *patches, int count, const serial_spec *serial);

// Writes the byte patches into the program's cells of img, and the serial
// number when serial is not null; they must have passed
// check_board_data, and the number fit.
void apply_board_data(image *img, const image_layout *l, const byte_patch *patches, int count,
		      const serial_spec *serial, uint64_t number);

#endif
