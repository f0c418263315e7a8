// Reading an EEPROM image back: what its header says, and whether it agrees.
#ifndef TARNWICK_IMAGE_INFO_H
#define TARNWICK_IMAGE_INFO_H

#include <cstdint>
#include <cstdio>

#include "image/header.h"
#include "image/image.h"
#include "report/report.h"

// How the image was read, and what it is checked against.
struct info_request {
	int raw;              // 1: read as raw bytes, else as Intel HEX
	int fill;             // 0 to 255: the byte of the unused cells, or NO_FILL
	int length_header;    // 1: the two-byte length header, else the boot header
	int32_t program_size; // the program memory size, above 0
	uint32_t base;        // the address of cell 0 (-b), 0 when none was given
};

// What the cells of an image say, worked out once for the report, the
// checks and taking the image apart.
struct image_facts {
	int32_t extent;     // the cells up to the last that holds a byte
	int32_t last;       // the last cell in use, or -1
	int32_t lowest;     // the first cell that holds a byte, or -1
	int cell[3];        // cells 0 to 2, or -1 for one that holds no byte
	bool lenient;       // a fill byte is in play: cells that hold it are unused
	boot_header boot;   // what the cells say as a boot header
	int32_t length;     // what they say as a length header, or -1
	int32_t start;      // the program's first cell, or -1 when unknown
};

// The facts of img, read as request says. With a fill byte (always for a
// raw image), the trailing cells that hold it count as unused.
image_facts facts_of(const image *img, const info_request *request);

// Puts the report on img into r, a key a fact:
//   format, header, then crystal, eeprom clock, start cell, last block and
//   expert data (boot header) or length (length header), then program,
//   used and crc32 (of the program memory, a cell without a byte counted as
//   the fill byte or FFh); unknown (null) where the cells give no value.
// Then checks the header against the contents and the program memory size
// and reports each disagreement through the error sink. The header's last
// block and length need, with a fill byte, only cover the cells in use and
// lie within the image. Returns 0 when every check passes, else 1. The
// caller begins and ends the report.
int report_image_info(report *r, const image *img, const info_request *request);

// An Intel HEX image read without -b whose lowest address is 100h or more
// was most likely written with -b: reports the address to give and returns
// 1; returns 0 for a lower address.
int check_image_origin(uint64_t lowest);

#endif
