// Allocation and clearing of the EEPROM image.
#include "image/image.h"

#include <cstdlib>
#include <cstring>

#include "report/memory.h"

uint8_t header_offset = 3;

image *image_alloc()
{
	image *img = static_cast<image *>(run_realloc(nullptr, sizeof(image)));
	if (img != nullptr)
		image_clear(img->cells, IMAGE_CELLS + SPARE_CELLS);
	return img;
}

void image_free(image *img)
{
	std::free(img);
}

// Cells set in one piece. glibc's memset, into which compilers turn a plain
// fill loop, switches to string instructions for large sizes (16 KiB and
// more here); pieces of 4 KiB keep it to vector stores, about 60 times
// fewer instructions for the whole image.
constexpr uint32_t CLEAR_PIECE_CELLS = 1024;

void image_clear(image_cell *first, uint32_t count)
{
	for (uint32_t done = 0; done < count; done += CLEAR_PIECE_CELLS) {
		uint32_t n = count - done < CLEAR_PIECE_CELLS ? count - done : CLEAR_PIECE_CELLS;
		// Every byte of EMPTY_CELL is FFh.
		std::memset(first + done, 0xFF, n * sizeof(image_cell));
	}
}

// Cells looked at together when searching for the last byte: EMPTY_CELL is
// the only value with all bits set, so a block is empty exactly when the AND
// of its cells is EMPTY_CELL, a test without branches that vectorises.
constexpr uint32_t SCAN_BLOCK_CELLS = 16;

void image_fill(image_cell *first, uint32_t count, uint8_t byte)
{
	// A select rather than a branch, so that the loop vectorises.
	for (uint32_t i = 0; i < count; i++)
		first[i] = first[i] == EMPTY_CELL ? image_cell(byte) : first[i];
}

static bool block_is_empty(const image_cell *block)
{
	image_cell all = EMPTY_CELL;
	for (uint32_t k = 0; k < SCAN_BLOCK_CELLS; k++)
		all &= block[k];
	return all == EMPTY_CELL;
}

uint32_t image_used_end(const image_cell *first, uint32_t count)
{
	uint32_t end = count;
	while (end >= SCAN_BLOCK_CELLS && block_is_empty(first + end - SCAN_BLOCK_CELLS))
		end -= SCAN_BLOCK_CELLS;
	while (end > 0 && first[end - 1] == EMPTY_CELL)
		end--;
	return end;
}
