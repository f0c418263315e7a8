// The raw binary export: the image as the bytes of the whole EEPROM.
#include "image/raw_binary.h"

// Bytes gathered before they are handed to stdio.
constexpr uint32_t RAW_BUFFER_SIZE = 16 * 1024;

// The bytes of n cells, fill for each empty one.
static void bytes_of(const image_cell *cells, uint32_t n, uint8_t fill, unsigned char *bytes)
{
	for (uint32_t k = 0; k < n; k++)
		bytes[k] = static_cast<unsigned char>(cells[k] == EMPTY_CELL ? fill : cells[k]);
}

int write_raw_binary(FILE *out, const image *img, uint32_t count, uint8_t fill)
{
	unsigned char bytes[RAW_BUFFER_SIZE];
	for (uint32_t done = 0; done < count; done += RAW_BUFFER_SIZE) {
		uint32_t n = count - done < RAW_BUFFER_SIZE ? count - done : RAW_BUFFER_SIZE;
		bytes_of(img->cells + done, n, fill, bytes);
		std::fwrite(bytes, 1, n, out);
	}
	return 0;
}
