// The layout of an image: where its parts lie, the fit rule, the builder and its inverse.
#include "image/layout.h"

static uint32_t header_cells(int length_header)
{
	return length_header ? LENGTH_HEADER_CELLS : BOOT_HEADER_CELLS;
}

image_layout conversion_layout(int length_header, uint32_t expert_cells, uint32_t program_top)
{
	uint32_t first = header_cells(length_header);
	return image_layout{length_header, first, first + expert_cells,
			    first + expert_cells + program_top + 1};
}

bool layout_fits(const image_layout *l, int64_t program_size)
{
	return int64_t(l->program_end) + (BOOT_HEADER_CELLS - l->expert_first) <= program_size;
}

bool layout_fits_chip(const image_layout *l, uint32_t eeprom_size)
{
	return l->program_end <= eeprom_size;
}

void build_boot_image(image *img, unsigned crystal_code, int slow_clock, const image_layout *l)
{
	if (l->length_header)
		encode_length_header(img, l->program_end - LENGTH_HEADER_CELLS);
	else
		encode_boot_header(img, crystal_code, slow_clock, l->program_first, l->program_end - 1);
}

// A text image written with a fill byte holds a byte in every cell of the
// EEPROM when its size is known, else of the program memory, and none
// beyond.
static void check_filled(const image *img, const image_facts *f, const chip_plan *p,
			 image_findings *found)
{
	uint32_t size = plan_covered(p);
	uint32_t gap = image_next_gap(img, 0, size);
	if (gap < size)
		add_finding(found, FOUND_FILLED_GAP, gap, p->chip_size != 0);
	else if (f->extent > int64_t(size))
		add_finding(found, FOUND_FILLED_BEYOND, size);
}

// The parts behind the boot header. A raw image, or one read with a fill
// byte, may hide the program's last bytes as unused: it reaches at least to
// the block the header names, so that a conversion names the same block.
static image_layout boot_layout(const image_facts *f)
{
	uint32_t end = uint32_t(f->last) + 1;
	uint32_t block_first = uint32_t(f->boot.last_block) * HEADER_BLOCK_CELLS;
	if (f->lenient && end <= block_first)
		end = block_first + 1;
	return image_layout{0, BOOT_HEADER_CELLS, uint32_t(f->start), end};
}

int find_layout(const image *img, const image_facts *f, const info_request *request,
		image_layout *l, image_findings *found)
{
	found->count = 0;
	*l = request->length_header
		     ? image_layout{1, LENGTH_HEADER_CELLS, LENGTH_HEADER_CELLS,
				    uint32_t(f->length) + LENGTH_HEADER_CELLS}
		     : boot_layout(f);
	if (!request->raw && request->plan->fill != NO_FILL)
		check_filled(img, f, request->plan, found);
	// A conversion's expert-mode data ends with a byte, in the cell before
	// the program.
	if (found->count == 0 && l->program_first > l->expert_first &&
	    !image_holds(img, l->program_first - 1))
		add_finding(found, FOUND_EXPERT_END_EMPTY, l->program_first - 1);
	if (found->count == 0 && !layout_fits(l, request->plan->program_size))
		add_finding(found, FOUND_PROGRAM_IN_LAST_CELL, l->program_end - 1);
	return found->count;
}
