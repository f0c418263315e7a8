// The EEPROM image that every stage of a run works on, and its shared header offset.
#ifndef TARNWICK_IMAGE_H
#define TARNWICK_IMAGE_H

#include <cstdint>

// Number of cells in an image: the whole 64 KiB address space of the EEPROM.
constexpr uint32_t IMAGE_CELLS = 65536;

// Value of a cell that holds no byte; any other cell holds 0 to 255.
constexpr int32_t EMPTY_CELL = -1;

typedef int32_t image_cell;

// The byte of an erased EEPROM cell, which a cell without a byte holds on
// the chip.
constexpr uint8_t ERASED_BYTE = 0xFF;

// A fill byte that is none: a cell without a byte stays without one.
constexpr int NO_FILL = -1;

// One EEPROM image. The cell index is the EEPROM address.
struct image {
	image_cell cells[IMAGE_CELLS];
};

// Cell at which the moved contents begin behind the boot header. It is 3
// unless the driver sets it from the expert-mode data; the boot image
// builder reads it.
extern uint8_t header_offset;

// Allocates an image with every cell set to EMPTY_CELL; null when out of
// memory. Release it with image_free.
image *image_alloc();
void image_free(image *img);

// Sets count cells from first on to EMPTY_CELL.
void image_clear(image_cell *first, uint32_t count);

// Moves count cells from cells[from] on up by shift cells, to
// cells[from + shift] on; the cells they leave keep what they held.
void image_move_up(image_cell *cells, uint32_t from, uint32_t count, uint32_t shift);

// Gives each of count cells from first on that holds no byte the value byte.
void image_fill(image_cell *first, uint32_t count, uint8_t byte);

// The index after the last cell of first[0 .. count) that holds a byte, or 0
// when none does.
uint32_t image_used_end(const image_cell *first, uint32_t count);

#endif
