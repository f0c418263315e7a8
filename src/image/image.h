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

// Cells behind the image, as many as the boot header has: a program read
// into its cells behind the header, with its addresses up to 64 KiB, may
// reach into them, with bytes that the fit check then refuses. They are
// never part of the image.
constexpr uint32_t SPARE_CELLS = 3;

// One EEPROM image. The cell index is the EEPROM address.
struct image {
	image_cell cells[IMAGE_CELLS + SPARE_CELLS];
};

// Cell at which the moved contents begin behind the boot header. It is 3
// unless the driver sets it from the expert-mode data; the boot image
// builder reads it.
extern uint8_t header_offset;

// Allocates an image with every cell, and the spare ones, set to
// EMPTY_CELL; null when out of memory. Release it with image_free.
image *image_alloc();
void image_free(image *img);

// Sets count cells from first on to EMPTY_CELL.
void image_clear(image_cell *first, uint32_t count);

// Gives each of count cells from first on that holds no byte the value byte.
void image_fill(image_cell *first, uint32_t count, uint8_t byte);

// The index after the last cell of first[0 .. count) that holds a byte, or 0
// when none does.
uint32_t image_used_end(const image_cell *first, uint32_t count);

#endif
