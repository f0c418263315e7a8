// Reading an EEPROM image back: what its header says, and whether it agrees.
#ifndef TARNWICK_IMAGE_INFO_H
#define TARNWICK_IMAGE_INFO_H

#include <cstdint>
#include <cstdio>

#include "image/image.h"

// fill when the image has no fill byte.
constexpr int INFO_NO_FILL = -1;

// How the image was read, and what it is checked against.
struct info_request {
	int raw;              // 1: read as raw bytes, else as Intel HEX
	int fill;             // 0 to 255: the byte of the unused cells, or INFO_NO_FILL
	int length_header;    // 1: the two-byte length header, else the boot header
	int32_t program_size; // the program memory size, above 0
	uint32_t base;        // the address of cell 0 (-b), 0 when none was given
};

// Writes the report on img to out, one "key: value" line a fact:
//   format, header, then crystal, eeprom clock, start cell, last block and
//   expert data (boot header) or length (length header), then program and
//   used; "unknown" where the cells give no value.
// Then checks the header against the contents and the program memory size
// and reports each disagreement as one "ERROR: " line on stderr. With a fill
// byte (always for a raw image), the trailing cells that hold it count as
// unused, and the header's last block and length need only cover the cells
// in use and lie within the image. Returns 0 when every check passes, else 1.
int report_image_info(FILE *out, const image *img, const info_request *request);

// An Intel HEX image read without -b whose lowest address is 100h or more
// was most likely written with -b: reports the address to give and returns
// 1; returns 0 for a lower address.
int check_image_origin(uint64_t lowest);

#endif
