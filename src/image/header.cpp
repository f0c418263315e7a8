// The boot header and the length header: their cells, and encoding and decoding them.
#include "image/header.h"

// The frequency of each crystal code, in MHz.
static const int CRYSTAL_MHZ[CRYSTAL_CODES] = {4, 8, 12, 16, 20};

int crystal_mhz(int code)
{
	return code >= 0 && code < CRYSTAL_CODES ? CRYSTAL_MHZ[code] : -1;
}

int crystal_code_for(int megahertz)
{
	for (int code = 0; code < CRYSTAL_CODES; code++)
		if (CRYSTAL_MHZ[code] == megahertz)
			return code;
	return -1;
}

void encode_boot_header(image *img, unsigned crystal_code, int slow_clock, uint32_t start_cell,
			uint32_t last_cell)
{
	image_put(img, 0, uint8_t((crystal_code & CRYSTAL_BITS) | (slow_clock ? 0 : FAST_CLOCK_BIT)));
	image_put(img, 1, uint8_t(start_cell));
	image_put(img, 2, uint8_t(last_cell / HEADER_BLOCK_CELLS));
}

void encode_length_header(image *img, uint32_t length)
{
	image_put(img, 0, uint8_t(length & 0xFF));
	image_put(img, 1, uint8_t((length >> 8) & 0xFF));
}

// The bits of a cell, or -1 for a cell that holds no byte.
static int bits_of(int cell, int mask)
{
	return cell < 0 ? -1 : cell & mask;
}

boot_header decode_boot_header(const image *img)
{
	boot_header h;
	int cell0 = image_cell(img, 0);
	h.crystal_code = bits_of(cell0, CRYSTAL_BITS);
	h.fast_clock = cell0 < 0 ? -1 : (cell0 & FAST_CLOCK_BIT) != 0;
	h.reserved = bits_of(cell0, RESERVED_BITS);
	h.start_cell = image_cell(img, 1);
	h.last_block = image_cell(img, 2);
	return h;
}

int32_t decode_length_header(const image *img)
{
	int low = image_cell(img, 0), high = image_cell(img, 1);
	return low < 0 || high < 0 ? -1 : low | high << 8;
}
