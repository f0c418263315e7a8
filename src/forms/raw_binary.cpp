// The raw binary export: the image as the bytes of the whole EEPROM.
#include "forms/raw_binary.h"

#include <cstring>

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
	uint32_t held = count < IMAGE_CELLS ? count : IMAGE_CELLS;
	for (uint32_t done = 0; done < held; done += RAW_BUFFER_SIZE) {
		uint32_t n = held - done < RAW_BUFFER_SIZE ? held - done : RAW_BUFFER_SIZE;
		bytes_of(img->cells + done, n, fill, bytes);
		std::fwrite(bytes, 1, n, out);
	}
	// The cells behind the image hold no byte.
	std::memset(bytes, fill, sizeof bytes);
	for (uint32_t done = held; done < count; done += RAW_BUFFER_SIZE)
		std::fwrite(bytes, 1, count - done < RAW_BUFFER_SIZE ? count - done : RAW_BUFFER_SIZE, out);
	return 0;
}
