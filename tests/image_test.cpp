// Tests of the image helpers: clearing, finding the last byte, CRC-32 and comparing.
#include "image/image.h"

#include "image/crc32.h"
#include "image/image_compare.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

TEST(image_used_end, finds_the_cell_after_the_last_byte)
{
	const struct {
		uint32_t count;
		int cell; // the one cell that holds a byte, or -1 for none
		uint32_t end;
	} cases[] = {
		{IMAGE_CELLS, -1, 0},      {IMAGE_CELLS, 0, 1},       {IMAGE_CELLS, 15, 16},
		{IMAGE_CELLS, 16, 17},     {IMAGE_CELLS, 65535, 65536}, {IMAGE_CELLS, 65520, 65521},
		{IMAGE_CELLS, 65519, 65520}, {17, 16, 17},            {17, 0, 1},
		{5, 3, 4},                 {0, 0, 0},                 {100, 200, 0},
	};
	for (const auto &c : cases) {
		scoped_image img;
		if (c.cell >= 0)
			img.cells()[c.cell] = 0;
		EXPECT_EQ(c.end, image_used_end(img.cells(), c.count)) << c.count << " " << c.cell;
	}
}

TEST(image_clear, empties_exactly_the_range)
{
	scoped_image img;
	for (uint32_t i = 0; i < 1000; i++)
		img.cells()[i] = 0x42;
	image_clear(img.cells() + 1, 998);
	EXPECT_EQ(0x42, img.cells()[0]);
	EXPECT_EQ(0x42, img.cells()[999]);
	for (uint32_t i = 1; i < 999; i++)
		ASSERT_EQ(EMPTY_CELL, img.cells()[i]) << i;
}

TEST(image_crc32, equals_the_crc32_of_zlib)
{
	// '.' marks a cell that holds no byte.
	const struct { const char *cells; uint32_t count; uint8_t fill; uint32_t crc; } cases[] = {
		{"123456789", 9, 0, 0xCBF43926},   {"", 0, 0, 0},
		{"1234.6789", 9, '5', 0xCBF43926}, {"", IMAGE_CELLS - 1, 0xFF, 0x1F8AFB34},
		{"1", IMAGE_CELLS + 5, 0, 0x05E4F9E1},
	};
	for (const auto &c : cases) {
		scoped_image img;
		for (uint32_t i = 0; c.cells[i] != '\0'; i++)
			img.cells()[i] = c.cells[i] == '.' ? EMPTY_CELL : c.cells[i];
		EXPECT_EQ(c.crc, image_crc32(img.get(), c.count, c.fill)) << c.cells << " " << c.count;
	}
}

TEST(crc32_update, continues_over_the_next_piece)
{
	const unsigned char *text = reinterpret_cast<const unsigned char *>("123456789");
	EXPECT_EQ(0xCBF43926u, crc32_update(crc32_update(0, text, 4), text + 4, 5));
}

// Against program_size 1000, fill AAh below it and FFh from it on.
const compare_request RULES = {1000, 0xAA, 0xFF, NO_FILL};

TEST(image_compare, accepts_the_layout_byte_or_the_byte_of_an_unused_cell)
{
	// Against program_size 1000, inside a block of cells, and fill AAh.
	const struct { uint32_t cell; image_cell want, held; uint32_t differ; int or_byte; } cases[] = {
		{100, 0x12, 0x12, 0, 0},          {63, 0x12, 0xAA, 1, -1},
		{100, 0x12, EMPTY_CELL, 1, -1},   {999, EMPTY_CELL, 0xAA, 0, 0},
		{999, EMPTY_CELL, 0xFF, 1, 0xAA}, {1000, EMPTY_CELL, 0xFF, 0, 0},
		{1000, EMPTY_CELL, 0xAA, 1, 0xFF}, {65535, EMPTY_CELL, 0x00, 1, 0xFF},
	};
	for (const auto &c : cases) {
		scoped_image layout, actual;
		layout.cells()[c.cell] = c.want;
		actual.cells()[c.cell] = c.held;
		cell_difference d = {};
		ASSERT_EQ(c.differ, image_compare(layout.get(), actual.get(), &RULES, &d, 1, nullptr)) << c.cell;
		EXPECT_TRUE(c.differ == 0 || (d.cell == c.cell && d.held == c.held &&
					      d.expected == c.want && d.or_byte == c.or_byte)) << c.cell;
	}
}

TEST(image_compare, counts_every_difference_and_keeps_the_first_in_order)
{
	scoped_image layout, actual;
	put_bytes(actual.cells(), 62, {1, 2, 3}); // across two blocks of cells
	cell_difference d[2] = {};
	uint8_t blocks[256] = {};
	EXPECT_EQ(3u, image_compare(layout.get(), actual.get(), &RULES, d, 2, blocks));
	EXPECT_TRUE(blocks[0] && !blocks[1]);
	EXPECT_TRUE(d[0].cell == 62 && d[0].held == 1 && d[1].cell == 63 && d[1].held == 2);
}

} // namespace
