// The boot header and the length header: their cells, and encoding and decoding them.
#ifndef TARNWICK_HEADER_H
#define TARNWICK_HEADER_H

#include <cstdint>

#include "image/header_cells.h"
#include "image/image.h"

// Crystal codes 0 to 4, one for each frequency.
constexpr int CRYSTAL_CODES = 5;

// The crystal code of a run without -c: 16 MHz.
constexpr int DEFAULT_CRYSTAL_CODE = 3;

// Header cell 0: the crystal code in bits 0 to 2, bit 3 set for the default
// EEPROM clock (1 MHz and higher) and clear for the slow one (500 kHz), bits
// 4 to 7 clear.
constexpr int CRYSTAL_BITS = 0x07;
constexpr int FAST_CLOCK_BIT = 0x08;
constexpr int RESERVED_BITS = 0xF0;

// The crystal code for a frequency in MHz, or -1 for an unknown frequency.
int crystal_code_for(int megahertz);

// The frequency in MHz of a crystal code, or -1 for a code outside 0 to 4.
int crystal_mhz(int code);

// Writes the boot header into cells 0 to 2: the crystal code (its low three
// bits) with the clock bit, the start cell, and the block of last_cell, the
// last cell that header and contents reach (its low 8 bits).
void encode_boot_header(image *img, unsigned crystal_code, int slow_clock, uint32_t start_cell,
			uint32_t last_cell);

// Writes the length header into cells 0 and 1: the low 16 bits of length.
void encode_length_header(image *img, uint32_t length);

// What the boot header's cells say; -1 in each field whose cell holds no byte.
struct boot_header {
	int crystal_code; // bits 0 to 2 of cell 0: 0 to 7
	int fast_clock;   // bit 3 of cell 0: 1 or 0
	int reserved;     // bits 4 to 7 of cell 0, in place
	int start_cell;   // cell 1
	int last_block;   // cell 2
};

boot_header decode_boot_header(const image *img);

// The length that cells 0 and 1 give, or -1 when either holds no byte.
int32_t decode_length_header(const image *img);

#endif
