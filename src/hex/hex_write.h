// The Intel HEX writer: writes image cells as data records and an end record.
#ifndef TARNWICK_HEX_WRITE_H
#define TARNWICK_HEX_WRITE_H

#include <cstdint>
#include <cstdio>

#include "image/image.h"

// Most data bytes in one record.
constexpr uint8_t HEX_RECORD_BYTES = 16;

// Modes of emit_hex_byte.
enum { EMIT_RESET = 0, EMIT_BYTE = 1, EMIT_FINISH = 2 };

// The record assembler behind write_hex_image. EMIT_RESET starts afresh;
// EMIT_BYTE adds the low 8 bits of value at the output address, writing the
// pending record first when the address does not continue it or starts a
// new 64 KiB segment (then an extended linear address record comes first);
// EMIT_FINISH writes the pending record and the end-of-file record. A null
// out or another mode does nothing. Not re-entrant: the pending record is
// file-scope state.
void emit_hex_byte(FILE *out, uint32_t address, int value, int mode);

// Writes every cell of cells[0 .. count) that is not EMPTY_CELL, at output
// address base_address + index, then ":00000001FF". Addresses up to FFFFh
// need no address record. A null out writes nothing. Always returns 0;
// the caller checks the stream for write errors.
int write_hex_image(FILE *out, const image_cell *cells, uint32_t base_address,
		    uint32_t count);

// Returns 0 when every non-empty cell of cells[0 .. count) has an output
// address base_address + index of at most FFFFFFFFh, 1 otherwise.
int check_hex_address_range(const image_cell *cells, uint32_t base_address,
			    uint32_t count);

#endif
