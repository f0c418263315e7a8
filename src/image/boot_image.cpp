// The boot image builder: moves the loaded image up behind its header.
#include "image/boot_image.h"

#include <cstring>

// Moves every cell up by shift cells; the top shift cells fall off the end.
static void move_cells_up(image *img, uint32_t shift)
{
	std::memmove(img->cells + shift, img->cells,
		     (IMAGE_CELLS - shift) * sizeof(image_cell));
}

static void write_boot_header(image *img, unsigned crystal_code,
			      int slow_clock, uint32_t highest)
{
	uint32_t offset = header_offset;
	image_cell clock_bit = slow_clock ? 0 : 0x08;

	img->cells[0] = static_cast<image_cell>(crystal_code & 7) | clock_bit;
	img->cells[1] = static_cast<image_cell>(offset);
	img->cells[2] = static_cast<image_cell>((offset + highest) >> 8);
}

static void write_length_header(image *img, uint32_t highest)
{
	uint32_t length = highest + 1;

	img->cells[0] = static_cast<image_cell>(length & 0xFF);
	img->cells[1] = static_cast<image_cell>((length >> 8) & 0xFF);
}

int build_boot_image(image *img, unsigned crystal_code, int slow_clock,
		     int length_header, uint32_t highest)
{
	if (length_header) {
		move_cells_up(img, LENGTH_HEADER_CELLS);
		write_length_header(img, highest);
	} else {
		move_cells_up(img, header_offset);
		write_boot_header(img, crystal_code, slow_clock, highest);
	}
	return 0;
}
