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

void encode_boot_header(image_cell *cells, unsigned crystal_code, int slow_clock,
			uint32_t start_cell, uint32_t last_cell)
{
	cells[0] = static_cast<image_cell>(crystal_code & CRYSTAL_BITS) |
		   (slow_clock ? 0 : FAST_CLOCK_BIT);
	cells[1] = static_cast<image_cell>(start_cell);
	cells[2] = static_cast<image_cell>(last_cell >> 8);
}

void encode_length_header(image_cell *cells, uint32_t length)
{
	cells[0] = static_cast<image_cell>(length & 0xFF);
	cells[1] = static_cast<image_cell>((length >> 8) & 0xFF);
}

// The bits of a cell, or -1 for a cell that holds no byte.
static int bits_of(image_cell cell, int mask)
{
	return cell == EMPTY_CELL ? -1 : cell & mask;
}

boot_header decode_boot_header(const image_cell *cells)
{
	boot_header h;
	h.crystal_code = bits_of(cells[0], CRYSTAL_BITS);
	h.fast_clock = cells[0] == EMPTY_CELL ? -1 : (cells[0] & FAST_CLOCK_BIT) != 0;
	h.reserved = bits_of(cells[0], RESERVED_BITS);
	h.start_cell = cells[1];
	h.last_block = cells[2];
	return h;
}

int32_t decode_length_header(const image_cell *cells)
{
	if (cells[0] == EMPTY_CELL || cells[1] == EMPTY_CELL)
		return -1;
	return cells[0] | cells[1] << 8;
}
