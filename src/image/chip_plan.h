// The plan of the chip, built once from the options: its size, the fill byte, the cells in use.
#ifndef TARNWICK_CHIP_PLAN_H
#define TARNWICK_CHIP_PLAN_H

#include <cstdint>

#include "image/image.h"

// What a run knows of the chip that its image describes. Make it with
// make_chip_plan and ask it through the functions below; every mode asks
// the same plan.
struct chip_plan {
	uint32_t program_size; // the program memory's cells, 1 to IMAGE_CELLS (0 only in a
			       // conversion that nothing fits into)
	uint32_t chip_size;    // the EEPROM's cells, or 0 when not known
	int fill;              // the byte that a cell without one stands for, or NO_FILL
	uint8_t chip_byte;     // the byte that such a cell holds on the chip: fill, else
			       // ERASED_BYTE
	uint32_t page_size;    // the chip's page, as given; 0: by its size (plan_page)
};

// Largest page of a chip: what one write moves at most.
constexpr uint32_t MAX_PAGE_CELLS = 4096;

// The chip's page: the cells that one write of it takes, never across a
// page's end. The plan's, else that of the common I2C EEPROMs of the
// chip's size (size, as the system tells it, else the plan's): 8 bytes up
// to 256 bytes, 16 up to 2 KiB, 32 up to 8 KiB, 64 up to 32 KiB, 128 up to
// 128 KiB, 256 above.
uint32_t plan_page(const chip_plan *p, uint64_t size);

// The plan of a chip of chip_size cells (0: not known) behind a program
// memory of program_size cells (negative sizes count as 0), with a cell
// without a byte standing for fill (NO_FILL: for nothing).
chip_plan make_chip_plan(int64_t program_size, uint32_t chip_size, int fill);

// The cells that the image covers, as an output writes them and the CRC-32
// counts them: the chip's when its size is known, else the program
// memory's.
inline uint32_t plan_covered(const chip_plan *p)
{
	return p->chip_size != 0 ? p->chip_size : p->program_size;
}

// The cells that an image read back may reach: the chip's, else
// IMAGE_CELLS.
inline uint32_t plan_chip_cells(const chip_plan *p)
{
	return p->chip_size != 0 ? p->chip_size : IMAGE_CELLS;
}

// Allocates the image of the chip, empty: every cell that an image read
// back may reach, and at least the IMAGE_CELLS (and the spare cells) that a
// program is read into; a cell without a byte holds the byte it stands
// for: the chip's byte in the cells that the image covers, FFh beyond them.
// Null when out of memory.
image *plan_image(const chip_plan *p);

// The same for a raw read-out that stream has open: its first *preloaded
// cells already hold the file's bytes (image_alloc_over_file), not yet
// marked as held.
image *plan_image_over_file(const chip_plan *p, FILE *stream, uint32_t *preloaded);

// The first cell beyond the program memory, where no EEPROM size is known:
// a chip read out whole holds FFh, its erased state, there. No cell is
// beyond it when the chip's size is known.
inline uint32_t plan_beyond(const chip_plan *p)
{
	return p->chip_size != 0 ? UINT32_MAX : p->program_size;
}

// The rule of which cells are in use, the one every mode asks: a cell of
// the program memory (of the chip, when its size is known) is in use when
// it holds a byte and, where a fill byte is in play, a byte other than the
// fill byte; a cell beyond it when it holds a byte other than FFh and other
// than the fill byte. img must come from plan_image of the same plan: a
// cell without a byte holds the byte it stands for, the fill byte where one
// is in play, FFh beyond the covered cells, so that the byte alone tells.
inline bool cell_in_use(const image *img, const chip_plan *p, uint32_t i)
{
	uint8_t byte = img->bytes[i];
	if (i >= plan_beyond(p))
		return byte != ERASED_BYTE && (p->fill == NO_FILL || byte != uint8_t(p->fill));
	return p->fill == NO_FILL ? image_holds(img, i) : byte != uint8_t(p->fill);
}

// How many of the count cells from first on are in use: none, some or all.
enum { USE_NONE, USE_SOME, USE_ALL };
int cells_in_use(const image *img, const chip_plan *p, uint32_t first, uint32_t count);

// The last cell below end that is in use, or -1.
int64_t last_in_use(const image *img, const chip_plan *p, uint32_t end);

// The number of cells from first to end - 1 that are in use.
uint32_t count_in_use(const image *img, const chip_plan *p, uint32_t first, uint32_t end);

// The same for each block of block cells from first on, the last cut at
// end, into used, one a block: many small blocks at the cost of few calls.
void count_in_use_blocks(const image *img, const chip_plan *p, uint32_t first, uint32_t end,
			 uint32_t block, uint32_t *used);

// Cells of a block of the map, and of the comparisons that mark the blocks
// that differ.
constexpr uint32_t MAP_BLOCK_CELLS = 256;

// The number of map blocks of cells cells, and the block of a cell.
inline uint32_t map_blocks_of(uint32_t cells)
{
	return uint32_t((uint64_t(cells) + MAP_BLOCK_CELLS - 1) / MAP_BLOCK_CELLS);
}
inline uint32_t map_block_of(uint32_t cell)
{
	return cell / MAP_BLOCK_CELLS;
}

#endif
