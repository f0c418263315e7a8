// Reading a raw binary image back: the bytes of an EEPROM read out.
#include "image/raw_read.h"

// Bytes read from the stream at a time.
constexpr size_t RAW_READ_BLOCK = 16 * 1024;

int read_raw_binary(FILE *stream, image *img)
{
	unsigned char bytes[RAW_READ_BLOCK];
	size_t cells = 0, n;
	while ((n = std::fread(bytes, 1, sizeof bytes, stream)) > 0) {
		if (n > IMAGE_CELLS - cells)
			return RAW_READ_TOO_LONG;
		for (size_t k = 0; k < n; k++)
			img->cells[cells + k] = bytes[k];
		cells += n;
	}
	return std::ferror(stream) != 0 ? RAW_READ_ERROR : RAW_READ_OK;
}
