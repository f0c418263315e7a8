// The cells of one chip: a byte each and whether it holds one, sized once.
#ifndef TARNWICK_IMAGE_H
#define TARNWICK_IMAGE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "image/header_cells.h"

// Cells that can hold a program, header included, and the image of a run
// that knows no chip's size: 64 KiB.
constexpr uint32_t IMAGE_CELLS = 65536;

// Cells of the largest chip: 16 MiB.
constexpr uint32_t MAX_CHIP_CELLS = 16u * 1024 * 1024;

// Cells behind an image, as many as the boot header has: a program read
// into its cells behind the header, with its addresses up to 64 KiB, may
// reach into them, with bytes that the fit check then refuses. They are
// never part of the image.
constexpr uint32_t SPARE_CELLS = BOOT_HEADER_CELLS;

// The byte of an erased EEPROM cell.
constexpr uint8_t ERASED_BYTE = 0xFF;

// A fill byte that is none: a cell without a byte stays without one.
constexpr int NO_FILL = -1;

// One image. The cell index is the EEPROM address. bytes holds a byte for
// every cell, spare ones included; a cell that holds no byte holds empty
// there, so that bytes is the chip's contents as the chip holds them. Bit
// i % 64 of held[i / 64] is set when cell i holds a byte. Readers write a
// byte with image_put, or into bytes followed by image_mark.
struct image {
	uint32_t size;
	uint8_t empty;
	uint8_t *bytes;
	uint64_t *held;
	size_t mapped; // bytes is memory of its own of that many bytes, or 0: it lies in the block
};

// Allocates an image of size cells and the spare ones, none of which holds
// a byte, all holding empty in bytes; null when out of memory. Release it
// with image_free.
image *image_alloc(uint32_t size, uint8_t empty);

// The same, but with the first *preloaded cells holding the bytes of the
// regular file that stream has open, mapped from it where the platform can
// (at most the cells, and the file's whole pages): *preloaded is their
// number, 0 when none is. They are marked as holding no byte yet.
image *image_alloc_over_file(uint32_t size, uint8_t empty, FILE *stream, uint32_t *preloaded);
void image_free(image *img);

inline bool image_holds(const image *img, uint32_t i)
{
	return (img->held[i >> 6] >> (i & 63) & 1) != 0;
}

// Marks the count cells from first on as holding the bytes that bytes has
// for them.
void image_mark_long(image *img, uint32_t first, uint32_t count);
inline void image_mark(image *img, uint32_t first, uint32_t count)
{
	if (count == 0 || count > 64) {
		image_mark_long(img, first, count);
		return;
	}
	uint64_t *word = img->held + (first >> 6);
	uint32_t shift = first & 63;
	uint64_t mask = count == 64 ? ~uint64_t(0) : (uint64_t(1) << count) - 1;
	word[0] |= mask << shift;
	if (shift + count > 64)
		word[1] |= mask >> (64 - shift);
}

// Gives cell i the byte.
inline void image_put(image *img, uint32_t i, uint8_t byte)
{
	img->bytes[i] = byte;
	img->held[i >> 6] |= uint64_t(1) << (i & 63);
}

// The byte of cell i, or -1 when it holds none.
inline int image_cell(const image *img, uint32_t i)
{
	return image_holds(img, i) ? img->bytes[i] : -1;
}

// The cells from first on as the chip holds them: a cell without a byte is
// the image's empty byte.
inline const uint8_t *chip_bytes(const image *img, uint32_t first)
{
	return img->bytes + first;
}

// The first cell from first to end - 1 that holds a byte, or end when none
// does.
uint32_t image_next_held(const image *img, uint32_t first, uint32_t end);

// The first cell from first to end - 1 that holds no byte, or end when each
// one holds one.
uint32_t image_next_gap(const image *img, uint32_t first, uint32_t end);

// The index after the last cell below end that holds a byte, or 0 when none
// does.
uint32_t image_end(const image *img, uint32_t end);

// The number of cells from first to end - 1 that hold a byte.
uint32_t image_count_held(const image *img, uint32_t first, uint32_t end);

// A set of cells, laid out as held is: bit i % 64 of word i / 64 for cell
// i. The words of a set of cells cells, a cell's bit, and adding a cell.
inline size_t cell_set_words(uint32_t cells)
{
	return (size_t(cells) + 63) / 64;
}
inline bool in_cell_set(const uint64_t *set, uint32_t i)
{
	return (set[i >> 6] >> (i & 63) & 1) != 0;
}
inline void add_to_cell_set(uint64_t *set, uint32_t i)
{
	set[i >> 6] |= uint64_t(1) << (i & 63);
}

// The first cell of set from first to end - 1, or end when it has none.
uint32_t next_in_cell_set(const uint64_t *set, uint32_t first, uint32_t end);

// The last cell of set below end, or -1 when it has none.
int64_t last_in_cell_set(const uint64_t *set, uint32_t end);

#endif
