// What each cell of an image holds, as a picture tells it: header, expert-mode data, program, serial number, fixed bytes, a stray byte, fill, or a cell that differs.
#ifndef TARNWICK_CELL_KINDS_H
#define TARNWICK_CELL_KINDS_H

#include <cstdint>

#include "image/chip_plan.h"
#include "image/image.h"
#include "image/patches.h"

// The kinds of cell, most telling first: a cell is of the first kind that
// it is. CELL_KINDS[] in this order.
enum {
	KIND_DIFFERING, // it differs from the image compared
	KIND_SERIAL,    // the serial number covers it
	KIND_SET,       // fixed bytes of --set cover it
	KIND_STRAY,     // a byte in use beyond the program memory
	KIND_HEADER,    // the header's
	KIND_EXPERT,    // expert-mode data, between the header and the program
	KIND_PROGRAM,   // a byte in use of the program memory
	KIND_FILL,      // no byte, or the fill byte: not in use
	KIND_COUNT
};

// One kind: its KIND_ value, its name (the class of what is drawn of it),
// its name in a legend, and its colour, one that readers with the common
// colour-vision deficiencies tell apart from the others.
// The texts are held in the row, so that the table needs no relocation
// when a run starts.
struct cell_kind_row {
	int id;
	char name[12];
	char label[40];
	char colour[8];
};

extern const cell_kind_row CELL_KINDS[KIND_COUNT];

// A range of cells, first to end - 1.
struct cell_range {
	uint32_t first;
	uint32_t end;
};

// What tells the kinds of an image's cells: the image (from plan_image of
// the plan), the header's cells, the program's first cell (-1: not
// known), the serial number's cells (empty: none), the fixed bytes of
// --set (patch_count of them, at program addresses from start on), and
// the cell set of the cells that differ from the image compared (null:
// none compared).
struct cell_source {
	const image *img;
	const chip_plan *plan;
	uint32_t header_cells;
	int64_t start;
	cell_range serial;
	const byte_patch *patches;
	int patch_count;
	const uint64_t *differing;
};

// The kind of cell i.
int kind_of_cell(const cell_source *s, uint32_t i);

// Whether the kinds of the cells from first to end - 1 are told by their
// use alone: no range of the source touches them and none differs.
bool told_by_use(const cell_source *s, uint32_t first, uint32_t end);

// Counts the cells of each kind from first to end - 1 into counts
// (KIND_COUNT of them): by their use in bulk, then cell by cell those of
// the source's ranges and those that differ.
void count_kinds(const cell_source *s, uint32_t first, uint32_t end, uint32_t *counts);

#endif
