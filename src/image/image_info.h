// Reading an EEPROM image back: the facts its cells give, and the findings of its checks.
#ifndef TARNWICK_IMAGE_INFO_H
#define TARNWICK_IMAGE_INFO_H

#include <cstdint>

#include "image/chip_plan.h"
#include "image/header.h"
#include "image/image.h"

struct serial_spec;

// How the image was read, and what it is checked against: the plan of the
// chip, whose fill byte tells the cells in use.
struct info_request {
	int raw;               // 1: read as raw bytes, else as text records
	int length_header;     // 1: the two-byte length header, else the boot header
	uint32_t base;         // the address of cell 0 in a text image, 0 when none was given
	const chip_plan *plan;
	const serial_spec *serial; // the serial number to read back, or null
	uint32_t cells;        // the cells that the CRC-32 covers
};

// What the cells of an image say, worked out once for the report, the
// checks and taking the image apart.
struct image_facts {
	int64_t extent;     // the cells up to the last that holds a byte
	int64_t last;       // the last cell in use, or -1
	int64_t lowest;     // the first cell that holds a byte, or -1
	int cell[BOOT_HEADER_CELLS]; // the header's cells, or -1 for one that holds no byte
	bool lenient;       // a fill byte is in play: cells that hold it are unused
	boot_header boot;   // what the cells say as a boot header
	int32_t length;     // what they say as a length header, or -1
	int32_t start;      // the program's first cell, or -1 when unknown
	uint32_t crc32;     // of the cells that the image covers, as the chip holds them
};

// The facts of img (from plan_image of the request's plan), read as
// request says, over every cell that it may reach. The CRC-32 covers the
// request's cells, a cell without a byte counted as the byte it stands
// for.
image_facts facts_of(const image *img, const info_request *request);

// What a check found wrong, each with the values that its message names.
enum {
	FOUND_ORIGIN,               // an image that begins at value 0 was written there
	FOUND_HEADER_CELLS,         // 0: the header's cells; 1: those that lack a byte, a bit each
	FOUND_CRYSTAL_CODE,         // 0: cell 0; 1: its crystal code
	FOUND_RESERVED_BITS,        // 0: cell 0
	FOUND_START_IN_HEADER,      // 0: the start cell
	FOUND_BLOCK_BEYOND_IMAGE,   // 0: the block cell 2 names; 1: the block the image ends in
	FOUND_BLOCK_NOT_LAST,       // 0: the block cell 2 names; 1: the last cell in use; 2: its block
	FOUND_LENGTH_SHORT,         // 0: the length; 1: the last cell in use
	FOUND_LENGTH_LONG,          // 0: the length; 1: its last cell; 2: 1 when beyond the image, 0 when it holds no byte
	FOUND_NO_PROGRAM,           // 0: the start cell
	FOUND_BEYOND_PROGRAM_SIZE,  // 0: the last cell in use; 1: the program memory size
	FOUND_EXPERT_END_EMPTY,     // 0: the last cell of the expert-mode data
	FOUND_PROGRAM_IN_LAST_CELL, // 0: the program's last cell, the last of the program memory
	FOUND_FILLED_GAP,           // 0: a cell without a byte that a filled image holds, below the
				    // program memory size, or 1: 1 below the EEPROM's
	FOUND_FILLED_BEYOND,        // 0: the program memory size, beyond which a filled image holds bytes
};

struct finding {
	int kind;
	int64_t value[3];
};

// Most findings one image can have.
constexpr int MOST_FINDINGS = 8;

struct image_findings {
	int count;
	finding list[MOST_FINDINGS];
};

// Adds a finding.
void add_finding(image_findings *found, int kind, int64_t a, int64_t b = 0, int64_t c = 0);

// Checks the header against the contents and the program memory size, as
// facts f of img read as request says, and adds a finding for each
// disagreement, in a fixed order. The header's last block and length
// need, with a fill byte, only cover the cells in use and lie within the
// image. Returns the number of findings.
int check_image(const image_facts *f, const image *img, const info_request *request,
		image_findings *found);

// Whether an image read without a base address whose lowest address is
// this was most likely written with one.
bool origin_is_suspect(uint64_t lowest);

#endif
