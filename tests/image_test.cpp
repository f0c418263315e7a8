// Tests of the image: the cells that hold bytes.
#include "image/image.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace {

TEST(image_held, finds_the_cells_that_hold_bytes)
{
	const struct {
		uint32_t first, count; // the cells marked
		uint32_t from, end;    // the range searched
		uint32_t held, gap, last_end;
	} cases[] = {
		{0, 0, 0, IMAGE_CELLS, IMAGE_CELLS, 0, 0},
		{0, 1, 0, IMAGE_CELLS, 0, 1, 1},
		{15, 2, 0, IMAGE_CELLS, 15, 0, 17},
		{60, 16, 61, IMAGE_CELLS, 61, 76, 76},      // a mark across two words
		{64, 64, 64, 128, 64, 128, 128},            // a whole word, and the range's end
		{65520, 16, 0, IMAGE_CELLS, 65520, 0, IMAGE_CELLS},
		{100, 300, 150, 200, 150, 200, 200},        // a long mark, seen in part
		{5, 3, 0, 5, 5, 0, 0},
		{3, 65536, 3, IMAGE_CELLS + 3, 3, IMAGE_CELLS + 3, IMAGE_CELLS + 3}, // the spare cells
	};
	for (const auto &c : cases) {
		scoped_image img;
		image_mark(img.get(), c.first, c.count);
		EXPECT_EQ(c.held, image_next_held(img.get(), c.from, c.end)) << c.first << " " << c.count;
		EXPECT_EQ(c.gap, image_next_gap(img.get(), c.from, c.end)) << c.first << " " << c.count;
		EXPECT_EQ(c.last_end, image_end(img.get(), c.end)) << c.first << " " << c.count;
	}
}

} // namespace
