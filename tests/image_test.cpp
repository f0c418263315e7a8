// Tests of the image helpers: clearing and finding the last byte.
#include "image/image.h"

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

} // namespace
