// The cells of an EEPROM image from 65,536 on: never kept, but what reading the image back needs of them.
#include "image/chip_tail.h"

#include <cstring>

void chip_tail_init(chip_tail *t, int unused)
{
	t->unused = unused;
	t->last_byte = -1;
	t->last_in_use = -1;
	t->in_use = 0;
	t->named = 0;
	t->runs = 0;
	t->runs_lost = false;
	std::memset(t->blocks, 0, sizeof t->blocks);
}

// Keeps a cell in use among the lowest, in order.
static void name_cell(chip_tail *t, uint32_t cell, uint8_t byte)
{
	int at = t->named;
	while (at > 0 && t->lowest[at - 1].cell > cell)
		at--;
	if (at == TAIL_NAMED)
		return;
	int moved = t->named < TAIL_NAMED ? t->named - at : TAIL_NAMED - 1 - at;
	std::memmove(t->lowest + at + 1, t->lowest + at, size_t(moved) * sizeof t->lowest[0]);
	t->lowest[at] = tail_cell{cell, byte};
	if (t->named < TAIL_NAMED)
		t->named++;
}

// Adds a cell to the runs: it lengthens the run it touches, joins two, or
// begins one of its own while there is room.
static void add_to_runs(chip_tail *t, uint32_t cell)
{
	// The first run that begins above cell; mostly the last, for records
	// in order.
	int at = t->runs;
	if (at > 0 && t->run[at - 1].first > cell) {
		int low = 0;
		while (low < at) {
			int middle = (low + at) / 2;
			if (t->run[middle].first > cell)
				at = middle;
			else
				low = middle + 1;
		}
	}
	// run[at - 1] begins at or below cell, run[at] above it.
	if (at > 0 && cell < t->run[at - 1].end)
		return;
	bool joins_before = at > 0 && t->run[at - 1].end == cell;
	bool joins_after = at < t->runs && t->run[at].first == cell + 1;
	if (joins_before && joins_after) {
		t->run[at - 1].end = t->run[at].end;
		std::memmove(t->run + at, t->run + at + 1, size_t(t->runs - at - 1) * sizeof t->run[0]);
		t->runs--;
	} else if (joins_before) {
		t->run[at - 1].end = cell + 1;
	} else if (joins_after) {
		t->run[at].first = cell;
	} else if (t->runs < TAIL_RUNS) {
		std::memmove(t->run + at + 1, t->run + at, size_t(t->runs - at) * sizeof t->run[0]);
		t->run[at] = cell_run{cell, cell + 1};
		t->runs++;
	} else {
		t->runs_lost = true;
	}
}

void chip_tail_note(void *tail, uint32_t cell, uint8_t byte)
{
	chip_tail *t = static_cast<chip_tail *>(tail);
	bool in_use = t->unused == NO_FILL || byte != t->unused;
	if (cell > t->last_byte)
		t->last_byte = cell;
	if (in_use) {
		t->blocks[(cell - IMAGE_CELLS) >> 8] = 1;
		t->in_use++;
		if (cell > t->last_in_use)
			t->last_in_use = cell;
		name_cell(t, cell, byte);
	}
	add_to_runs(t, cell);
}

uint32_t chip_tail_first_gap(const chip_tail *t, uint32_t end)
{
	if (t->runs == 0 || t->run[0].first > IMAGE_CELLS)
		return IMAGE_CELLS < end ? IMAGE_CELLS : end;
	return t->run[0].end < end ? t->run[0].end : end;
}
