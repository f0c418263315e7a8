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

// The same for an image whose every cell of cells[0 .. count) holds a byte,
// followed by cells from count to end - 1 that all hold fill: one run of
// end cells. With end at most count, it is write_hex_image.
int write_hex_filled(FILE *out, const image_cell *cells, uint32_t base_address, uint32_t count,
		     uint32_t end, uint8_t fill);

// Returns 0 when cells 0 to end - 1 have output addresses base_address +
// index of at most FFFFFFFFh, 1 otherwise.
int check_hex_address_range(uint32_t base_address, uint32_t end);

#endif
