// Tests of the chip plan: the one rule of the cells in use.
#include "image/chip_plan.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace {

TEST(cell_in_use, one_rule_for_every_cell)
{
	// '.' marks a cell that holds no byte; four cells from first on, in a
	// chip of 128 KiB, or (chip 0) a program memory of 4 cells and no chip
	// size, beyond which FFh is an erased cell, no byte in use.
	const struct { uint32_t chip, first; int fill; const char *cells; int last; int use; } cases[] = {
		{1u << 17, 70000, NO_FILL, "a.\xFF.", 2, USE_SOME}, {1u << 17, 70000, NO_FILL, "....", -1, USE_NONE},
		{1u << 17, 70000, 0xFF, "a.\xFF.", 0, USE_SOME},    {1u << 17, 70000, 0xFF, "\xFF.\xFF\xFF", -1, USE_NONE},
		{1u << 17, 70000, 'a', "bcde", 3, USE_ALL},         {1u << 17, 70000, 'a', "bcda", 2, USE_SOME},
		{0, 4, NO_FILL, "a.\xFF.", 0, USE_SOME},            {0, 4, 0x00, "\x00\x55\xFF.", 1, USE_SOME},
		{0, 4, 0x00, "\xFF\xFF\x00.", -1, USE_NONE},       {0, 2, 0x00, "ab\xFF\x00", 1, USE_SOME},
		{0, 2, NO_FILL, "ab\x55" "c", 3, USE_ALL},
	};
	for (const auto &c : cases) {
		chip_plan p = make_chip_plan(4, c.chip, c.fill);
		image *img = plan_image(&p);
		for (uint32_t i = 0; i < 4; i++)
			if (c.cells[i] != '.')
				image_put(img, c.first + i, uint8_t(c.cells[i]));
		uint32_t end = c.chip != 0 ? c.chip : IMAGE_CELLS;
		EXPECT_EQ(c.last < 0 ? -1 : int64_t(c.first) + c.last, last_in_use(img, &p, end)) << c.cells;
		EXPECT_EQ(c.use, cells_in_use(img, &p, c.first, 4)) << c.cells;
		// The rule of one cell and that of a block agree.
		for (uint32_t i = 0; i < 4; i++)
			EXPECT_EQ(cells_in_use(img, &p, c.first + i, 1) == USE_ALL, cell_in_use(img, &p, c.first + i))
				<< c.cells << " " << i;
		image_free(img);
	}
}

} // namespace
