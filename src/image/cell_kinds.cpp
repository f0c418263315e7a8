// What each cell of an image holds, as a picture tells it: header, expert-mode data, program, serial number, fixed bytes, a stray byte, fill, or a cell that differs.
#include "image/cell_kinds.h"

#include "image/table_rows.h"

// The Okabe-Ito colours, and a light grey for the cells not in use.
constexpr cell_kind_row CELL_KINDS[] = {
	{KIND_DIFFERING, "differing", "differing", "#D55E00"},
	{KIND_SERIAL, "serial", "serial number", "#CC79A7"},
	{KIND_SET, "set", "fixed bytes (--set)", "#F0E442"},
	{KIND_STRAY, "stray", "stray bytes beyond the program memory", "#E69F00"},
	{KIND_HEADER, "header", "header", "#000000"},
	{KIND_EXPERT, "expert", "expert-mode data", "#56B4E9"},
	{KIND_PROGRAM, "program", "program", "#0072B2"},
	{KIND_FILL, "fill", "fill or no byte", "#E0E0E0"},
};
static_assert(rows_in_order(CELL_KINDS, KIND_COUNT), "one row for each kind of cell, in the order of KIND_");

static bool in_range(cell_range r, uint32_t i)
{
	return i >= r.first && i < r.end;
}

static bool differs(const cell_source *s, uint32_t i)
{
	return s->differing != nullptr && in_cell_set(s->differing, i);
}

// The cells of patch k, where the program begins in cell start.
static cell_range patch_cells(const cell_source *s, int k)
{
	uint64_t first = uint64_t(s->start) + s->patches[k].address;
	uint64_t end = first + s->patches[k].count;
	return {first < UINT32_MAX ? uint32_t(first) : UINT32_MAX,
		end < UINT32_MAX ? uint32_t(end) : UINT32_MAX};
}


int kind_of_cell(const cell_source *s, uint32_t i)
{
	if (differs(s, i))
		return KIND_DIFFERING;
	if (in_range(s->serial, i))
		return KIND_SERIAL;
	for (int k = 0; k < s->patch_count && s->start >= 0; k++)
		if (in_range(patch_cells(s, k), i))
			return KIND_SET;
	bool used = cell_in_use(s->img, s->plan, i);
	if (used && i >= s->plan->program_size)
		return KIND_STRAY;
	if (i < s->header_cells)
		return KIND_HEADER;
	if (s->start >= 0 && int64_t(i) < s->start)
		return KIND_EXPERT;
	return used ? KIND_PROGRAM : KIND_FILL;
}

// The kind that counting by use alone gives cell i.
static int plain_kind(const cell_source *s, uint32_t i)
{
	if (!cell_in_use(s->img, s->plan, i))
		return KIND_FILL;
	return i >= s->plan->program_size ? KIND_STRAY : KIND_PROGRAM;
}

// The ranges of cells whose kind their use alone does not tell: the
// header with the expert-mode data, the serial number, the fixed bytes.
static int special_ranges(const cell_source *s)
{
	return 2 + (s->start >= 0 ? s->patch_count : 0);
}

static cell_range special_range(const cell_source *s, int k)
{
	if (k == 0)
		return {0, s->start > int64_t(s->header_cells) ? uint32_t(s->start) : s->header_cells};
	return k == 1 ? s->serial : patch_cells(s, k - 2);
}

// Whether cell i lies in one of the first count special ranges.
static bool in_special(const cell_source *s, int count, uint32_t i)
{
	for (int k = 0; k < count; k++)
		if (in_range(special_range(s, k), i))
			return true;
	return false;
}

bool told_by_use(const cell_source *s, uint32_t first, uint32_t end)
{
	for (int k = 0; k < special_ranges(s); k++)
		if (special_range(s, k).first < end && first < special_range(s, k).end)
			return false;
	return s->differing == nullptr || next_in_cell_set(s->differing, first, end) == end;
}

// Moves cell i from the kind that counting by use gave it to its own.
static void recount(const cell_source *s, uint32_t i, uint32_t *counts)
{
	counts[plain_kind(s, i)]--;
	counts[kind_of_cell(s, i)]++;
}

void count_kinds(const cell_source *s, uint32_t first, uint32_t end, uint32_t *counts)
{
	for (int k = 0; k < KIND_COUNT; k++)
		counts[k] = 0;
	uint32_t split = s->plan->program_size, below_end = end < split ? end : split;
	uint32_t above_first = first > split ? first : split;
	counts[KIND_PROGRAM] = first < below_end ? count_in_use(s->img, s->plan, first, below_end) : 0;
	counts[KIND_STRAY] = above_first < end ? count_in_use(s->img, s->plan, above_first, end) : 0;
	counts[KIND_FILL] = end - first - counts[KIND_PROGRAM] - counts[KIND_STRAY];
	// Then each cell that use alone does not tell, once.
	int specials = special_ranges(s);
	for (int k = 0; k < specials; k++) {
		cell_range r = special_range(s, k);
		for (uint32_t i = r.first > first ? r.first : first; i < r.end && i < end; i++)
			if (!in_special(s, k, i))
				recount(s, i, counts);
	}
	for (uint32_t i = s->differing != nullptr ? next_in_cell_set(s->differing, first, end) : end;
	     i < end; i = next_in_cell_set(s->differing, i + 1, end))
		if (!in_special(s, specials, i))
			recount(s, i, counts);
}
