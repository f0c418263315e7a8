// Allocation and clearing of the EEPROM image.
#include "image/image.h"

#include <cstdlib>

uint8_t header_offset = 3;

image *image_alloc()
{
	image *img = static_cast<image *>(std::malloc(sizeof(image)));
	if (img != nullptr)
		image_clear(img->cells, IMAGE_CELLS);
	return img;
}

void image_free(image *img)
{
	std::free(img);
}

void image_clear(image_cell *first, uint32_t count)
{
	for (uint32_t i = 0; i < count; i++)
		first[i] = EMPTY_CELL;
}
