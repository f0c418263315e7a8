// The Intel HEX writer: writes image cells as data records and an end record.
#ifndef TARNWICK_HEX_WRITE_H
#define TARNWICK_HEX_WRITE_H

#include <cstdint>
#include <cstdio>

#include "image/image.h"

// Most data bytes in one record.
constexpr uint32_t HEX_RECORD_BYTES = 16;

// Writes every cell of cells[0 .. count) that is not EMPTY_CELL, at output
// address base_address + index: each run of consecutive bytes as data
// records of HEX_RECORD_BYTES bytes counted from the start of the run (the
// last one holding the rest), then ":00000001FF". A gap or a 64 KiB boundary
// of the output address ends a run; before the first record of a 64 KiB
// segment other than the first, an extended linear address record gives the
// upper 16 bits. A null out writes nothing. The caller makes sure that no
// output address passes FFFFFFFFh (check_hex_address_range) and checks the
// stream for write errors. Always returns 0.
int write_hex_image(FILE *out, const image_cell *cells, uint32_t base_address,
		    uint32_t count);

// Returns 0 when every non-empty cell of cells[0 .. count) has an output
// address base_address + index of at most FFFFFFFFh, 1 otherwise.
int check_hex_address_range(const image_cell *cells, uint32_t base_address,
			    uint32_t count);

#endif
