// The CRC-32 of zlib, gzip and PNG, computed eight bytes a step.
#include "image/crc32.h"

#include <cstring>

// The reflected generator polynomial.
constexpr uint32_t CRC32_POLYNOMIAL = 0xEDB88320u;

// Bytes taken in one step: one table lookup each, all independent.
constexpr uint32_t CRC32_SLICES = 8;

// Bytes of cells gathered before they are handed to crc32_update: small
// enough to stay in the first-level cache.
constexpr uint32_t CRC32_BUFFER_SIZE = 4 * 1024;

// value[0][b] is the CRC step of byte b; value[s][b] that of byte b followed
// by s zero bytes, so that eight bytes cost eight lookups and no shifts
// between them.
struct crc32_table {
	uint32_t value[CRC32_SLICES][256];
	constexpr crc32_table() : value()
	{
		for (uint32_t b = 0; b < 256; b++) {
			uint32_t c = b;
			for (int bit = 0; bit < 8; bit++)
				c = (c & 1) != 0 ? c >> 1 ^ CRC32_POLYNOMIAL : c >> 1;
			value[0][b] = c;
		}
		for (uint32_t s = 1; s < CRC32_SLICES; s++)
			for (uint32_t b = 0; b < 256; b++)
				value[s][b] = value[s - 1][b] >> 8 ^ value[0][value[s - 1][b] & 0xFF];
	}
};

static constexpr crc32_table CRC32_TABLE{};

// Four bytes as a little-endian word, whatever the byte order of the host.
static uint32_t load_le32(const unsigned char *p)
{
	return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Advances the bit-reversed register over eight bytes.
static uint32_t step8(uint32_t reg, const unsigned char *p)
{
	const auto &t = CRC32_TABLE.value;
	uint32_t low = reg ^ load_le32(p);
	uint32_t high = load_le32(p + 4);
	return t[7][low & 0xFF] ^ t[6][low >> 8 & 0xFF] ^ t[5][low >> 16 & 0xFF] ^ t[4][low >> 24] ^
	       t[3][high & 0xFF] ^ t[2][high >> 8 & 0xFF] ^ t[1][high >> 16 & 0xFF] ^ t[0][high >> 24];
}

// Advances the register over one byte.
static uint32_t step1(uint32_t reg, unsigned char byte)
{
	return reg >> 8 ^ CRC32_TABLE.value[0][(reg ^ byte) & 0xFF];
}

uint32_t crc32_update(uint32_t crc, const unsigned char *bytes, size_t n)
{
	uint32_t reg = ~crc;
	size_t i = 0;
	for (; n - i >= CRC32_SLICES; i += CRC32_SLICES)
		reg = step8(reg, bytes + i);
	for (; i < n; i++)
		reg = step1(reg, bytes[i]);
	return ~reg;
}

// The bytes of n cells, fill for each empty one. A byte cell shifted right by
// 8 is 0 and EMPTY_CELL FFFFFFh, so the mask keeps a byte whole and turns
// EMPTY_CELL into fill: fewer vector instructions than a select.
static void bytes_of(const image_cell *cells, uint32_t n, uint8_t fill, unsigned char *bytes)
{
	for (uint32_t k = 0; k < n; k++) {
		uint32_t cell = static_cast<uint32_t>(cells[k]);
		bytes[k] = static_cast<unsigned char>(cell & (fill | ~(cell >> 8)));
	}
}

uint32_t image_crc32(const image *img, uint32_t count, uint8_t fill)
{
	unsigned char bytes[CRC32_BUFFER_SIZE];
	uint32_t crc = 0;
	uint32_t held = count < IMAGE_CELLS ? count : IMAGE_CELLS;
	for (uint32_t done = 0; done < held; done += CRC32_BUFFER_SIZE) {
		uint32_t n = held - done < CRC32_BUFFER_SIZE ? held - done : CRC32_BUFFER_SIZE;
		bytes_of(img->cells + done, n, fill, bytes);
		crc = crc32_update(crc, bytes, n);
	}
	std::memset(bytes, fill, sizeof bytes);
	for (uint32_t done = held; done < count; done += CRC32_BUFFER_SIZE)
		crc = crc32_update(crc, bytes,
				   count - done < CRC32_BUFFER_SIZE ? count - done : CRC32_BUFFER_SIZE);
	return crc;
}
