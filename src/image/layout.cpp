// The layout of an image: where its parts lie, the fit rule, the builder and its inverse.
#include "image/layout.h"

#include <cstring>

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

void lay_out_image(image *img, const image_layout *l, unsigned crystal_code, int slow_clock)
{
	std::memmove(img->cells + l->expert_first, img->cells,
		     (l->program_first - l->expert_first) * sizeof(image_cell));
	// The boot header's start cell, also with the length header, which does
	// not use it.
	header_offset = static_cast<uint8_t>(BOOT_HEADER_CELLS + l->program_first - l->expert_first);
	build_boot_image(img, crystal_code, slow_clock, l);
}

int build_boot_image(image *img, unsigned crystal_code, int slow_clock, const image_layout *l)
{
	if (l->length_header)
		encode_length_header(img->cells, l->program_end - LENGTH_HEADER_CELLS);
	else
		encode_boot_header(img->cells, crystal_code, slow_clock, header_offset,
				   l->program_end - 1);
	return 0;
}

// A text image written with a fill byte holds a byte in every cell of the
// EEPROM when its size is known, else of the program memory, and none
// beyond.
static void check_filled(const image *img, const chip_tail *tail, const image_facts *f,
			 const info_request *request, image_findings *found)
{
	bool chip = request->chip_size != 0;
	uint32_t size = covered_cells(request);
	uint32_t held = size < IMAGE_CELLS ? size : IMAGE_CELLS;
	for (uint32_t i = 0; i < held; i++)
		if (img->cells[i] == EMPTY_CELL) {
			add_finding(found, FOUND_FILLED_GAP, i, chip);
			return;
		}
	uint32_t gap = size > IMAGE_CELLS && tail != nullptr ? chip_tail_first_gap(tail, size) : size;
	if (gap < size)
		add_finding(found, FOUND_FILLED_GAP, gap, chip);
	else if (f->extent > int64_t(size))
		add_finding(found, FOUND_FILLED_BEYOND, size);
}

// The parts behind the boot header. A raw image, or one read with a fill
// byte, may hide the program's last bytes as unused: it reaches at least to
// the block the header names, so that a conversion names the same block.
static image_layout boot_layout(const image_facts *f)
{
	uint32_t end = uint32_t(f->last) + 1;
	uint32_t block_first = uint32_t(f->boot.last_block) << 8;
	if (f->lenient && end <= block_first)
		end = block_first + 1;
	return image_layout{0, BOOT_HEADER_CELLS, uint32_t(f->start), end};
}

int find_layout(const image *img, const chip_tail *tail, const image_facts *f,
		const info_request *request, image_layout *l, image_findings *found)
{
	found->count = 0;
	*l = request->length_header
		     ? image_layout{1, LENGTH_HEADER_CELLS, LENGTH_HEADER_CELLS,
				    uint32_t(f->length) + LENGTH_HEADER_CELLS}
		     : boot_layout(f);
	if (!request->raw && request->fill != NO_FILL)
		check_filled(img, tail, f, request, found);
	// A conversion's expert-mode data ends with a byte, in the cell before
	// the program.
	if (found->count == 0 && l->program_first > l->expert_first &&
	    img->cells[l->program_first - 1] == EMPTY_CELL)
		add_finding(found, FOUND_EXPERT_END_EMPTY, l->program_first - 1);
	if (found->count == 0 && !layout_fits(l, request->program_size))
		add_finding(found, FOUND_PROGRAM_IN_LAST_CELL, l->program_end - 1);
	return found->count;
}
