// The cells of an EEPROM image from 65,536 on: never kept, but what reading the image back needs of them.
#ifndef TARNWICK_CHIP_TAIL_H
#define TARNWICK_CHIP_TAIL_H

#include <cstdint>

#include "image/image.h"

// Cells of the largest EEPROM, and its blocks of 256 cells behind the image.
constexpr uint32_t MAX_CHIP_CELLS = 16u * 1024 * 1024;
constexpr uint32_t TAIL_BLOCKS = (MAX_CHIP_CELLS - IMAGE_CELLS) / 256;

// Runs of cells that hold a byte, kept to tell whether every cell holds
// one (records in any order, as long as no more runs than this lie apart at
// a time); and the cells in use that are named, the lowest.
constexpr int TAIL_RUNS = 1024;
constexpr int TAIL_NAMED = 10;

struct tail_cell {
	uint32_t cell;
	uint8_t byte;
};

// Cells first to end - 1.
struct cell_run {
	uint32_t first;
	uint32_t end;
};

// What the bytes read into cells from IMAGE_CELLS on came to. A byte is in
// use unless it is the byte unused (NO_FILL: every byte is in use). The
// cells are not kept, so a cell that is read twice (two records of a text
// image that give it) counts twice, and its first byte in use stays.
struct chip_tail {
	int unused;
	int64_t last_byte;             // the last cell that holds a byte, or -1
	int64_t last_in_use;           // the last cell in use, or -1
	uint32_t in_use;               // the bytes in use
	int named;                     // cells in lowest
	tail_cell lowest[TAIL_NAMED];  // the lowest cells in use, lowest first
	int runs;                      // runs in run
	bool runs_lost;                // a run could not be kept: run holds fewer cells
	cell_run run[TAIL_RUNS];       // lowest first, neither touching nor overlapping
	uint8_t blocks[TAIL_BLOCKS];   // 1 for each block from IMAGE_CELLS on with a cell in use
};

// Starts an empty tail whose bytes equal to unused are not in use.
void chip_tail_init(chip_tail *t, int unused);

// Notes the byte of a cell from IMAGE_CELLS on: the beyond of a read window
// whose state is the tail.
void chip_tail_note(void *tail, uint32_t cell, uint8_t byte);

// Whether the block of a cell from IMAGE_CELLS on holds a cell in use.
inline bool chip_tail_block_in_use(const chip_tail *t, uint32_t cell)
{
	return t->blocks[(cell - IMAGE_CELLS) >> 8] != 0;
}

// The first cell from IMAGE_CELLS on and below end that holds no byte, or
// end when every one holds one (as far as the runs kept tell).
uint32_t chip_tail_first_gap(const chip_tail *t, uint32_t end);

#endif
