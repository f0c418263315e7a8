// The cells that each header takes at the start of an image.
#ifndef TARNWICK_HEADER_CELLS_H
#define TARNWICK_HEADER_CELLS_H

#include <cstdint>

// Cells of the boot header (crystal and clock, start cell, last block), and
// of the length header (the number of bytes behind it, low byte first).
constexpr uint32_t BOOT_HEADER_CELLS = 3;
constexpr uint32_t LENGTH_HEADER_CELLS = 2;

// Cells of the blocks that header cell 2 counts in: it names the block
// that holds the last cell in use.
constexpr uint32_t HEADER_BLOCK_CELLS = 256;

#endif
