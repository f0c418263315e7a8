// Tests of the CRC-32 of an image and of bytes.
#include "image/crc32.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace {

TEST(image_crc32, equals_the_crc32_of_zlib)
{
	// '.' marks a cell that holds no byte, which counts as the image's empty byte.
	const struct { const char *cells; uint32_t count; uint8_t empty; uint32_t crc; } cases[] = {
		{"123456789", 9, 0, 0xCBF43926},   {"", 0, 0, 0},
		{"1234.6789", 9, '5', 0xCBF43926}, {"", IMAGE_CELLS - 1, 0xFF, 0x1F8AFB34},
		{"1", IMAGE_CELLS + 5, 0, 0x05E4F9E1},
	};
	for (const auto &c : cases) {
		scoped_image img(IMAGE_CELLS + 5, c.empty);
		for (uint32_t i = 0; c.cells[i] != '\0'; i++)
			if (c.cells[i] != '.')
				image_put(img.get(), i, uint8_t(c.cells[i]));
		EXPECT_EQ(c.crc, image_crc32(img.get(), c.count)) << c.cells << " " << c.count;
	}
}

TEST(crc32_update, continues_over_the_next_piece)
{
	const unsigned char *text = reinterpret_cast<const unsigned char *>("123456789");
	EXPECT_EQ(0xCBF43926u, crc32_update(crc32_update(0, text, 4), text + 4, 5));
	// Pieces of many blocks and of few, folded and not: the CRC of the whole.
	std::vector<unsigned char> bytes(1000);
	for (size_t i = 0; i < bytes.size(); i++)
		bytes[i] = static_cast<unsigned char>(i * 7 + i / 13);
	uint32_t whole = crc32_update(0, bytes.data(), bytes.size());
	for (size_t first : {1, 15, 63, 64, 65, 500, 999})
		EXPECT_EQ(whole, crc32_update(crc32_update(0, bytes.data(), first), bytes.data() + first,
					      bytes.size() - first)) << first;
	EXPECT_EQ(0x0AF1C7FBu, whole); // zlib.crc32 of the same bytes
}

} // namespace
