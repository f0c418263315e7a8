// Taking an image apart: the builder's inverse, for --extract.
#include "image/unpack.h"

#include "report/diag.h"

// The parts behind the boot header. A raw image, or one read with a fill
// byte, may hide the program's last bytes as unused: it reaches at least to
// the block the header names, so that a conversion names the same block.
static void boot_parts(const image_facts *f, image_parts *parts)
{
	uint32_t end = uint32_t(f->last) + 1;
	uint32_t block_first = uint32_t(f->boot.last_block) << 8;
	if (f->lenient && end <= block_first)
		end = block_first + 1;
	*parts = image_parts{uint32_t(f->start), end, BOOT_HEADER_CELLS, uint32_t(f->start)};
}

// A conversion's expert-mode data ends at the start cell - 1 with a byte;
// and the fit rule, which counts three header cells with the length header
// too, leaves the last cell of the program memory unused behind it.
static int check_rebuild(const image *img, const info_request *request,
			 const image_parts *parts)
{
	if (parts->expert_end > parts->expert_first &&
	    img->cells[parts->expert_end - 1] == EMPTY_CELL) {
		diag_error("Cell %u, the last of the expert-mode data, holds no byte: no "
			   "conversion lays out this image",
			   unsigned(parts->expert_end - 1));
		return 1;
	}
	if (request->length_header && int64_t(parts->program_end) >= request->program_size) {
		diag_error("The program ends in cell %u, the last of the program memory, which a "
			   "conversion leaves unused behind the length header",
			   unsigned(parts->program_end - 1));
		return 1;
	}
	return 0;
}

// An Intel HEX image written with a fill byte holds a byte in every cell
// of the program memory, and none beyond it.
static int check_filled(const image *img, const info_request *request)
{
	uint32_t size = uint32_t(request->program_size);
	for (uint32_t i = 0; i < size; i++)
		if (img->cells[i] == EMPTY_CELL) {
			diag_error("Cell %u holds no byte, but an image written with --fill holds one "
				   "in every cell of the program memory",
				   unsigned(i));
			return 1;
		}
	if (image_used_end(img->cells, IMAGE_CELLS) > size) {
		diag_error("Cells beyond the program memory of %u bytes hold bytes, which an image "
			   "written with --fill does not",
			   unsigned(size));
		return 1;
	}
	return 0;
}

int unpack_image(const image *img, const info_request *request, image_parts *parts)
{
	image_facts f = facts_of(img, request);
	if (request->length_header)
		*parts = image_parts{LENGTH_HEADER_CELLS, uint32_t(f.length) + LENGTH_HEADER_CELLS,
				     LENGTH_HEADER_CELLS, LENGTH_HEADER_CELLS};
	else
		boot_parts(&f, parts);
	if (!request->raw && request->fill != NO_FILL && check_filled(img, request) != 0)
		return 1;
	return check_rebuild(img, request, parts);
}
