// The boot image builder: writes the header in front of contents laid out behind it.
#include "image/boot_image.h"

int build_boot_image(image *img, unsigned crystal_code, int slow_clock,
		     int length_header, uint32_t highest)
{
	if (length_header)
		encode_length_header(img->cells, highest + 1);
	else
		encode_boot_header(img->cells, crystal_code, slow_clock, header_offset,
				   header_offset + highest);
	return 0;
}
