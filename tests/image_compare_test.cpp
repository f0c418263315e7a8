// Tests of comparing an image read back with its layout.
#include "image/image_compare.h"

#include "image/chip_plan.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace {

// A chip of 128 KiB behind a program memory of 1000 bytes, fill AAh.
const chip_plan PLAN = make_chip_plan(1000, 1u << 17, 0xAA);

TEST(image_compare, accepts_the_layout_byte_or_a_cell_not_in_use)
{
	// -1: no byte; cells from IMAGE_CELLS on lie beyond the layout.
	const struct { uint32_t cell; int want, held, missing_is_fill; uint32_t differ; int or_byte; } cases[] = {
		{100, 0x12, 0x12, 0, 0, 0},   {63, 0x12, 0xAA, 0, 1, -1},
		{100, 0x12, -1, 0, 1, -1},    {100, 0xAA, -1, 1, 0, 0},
		{100, 0x12, -1, 1, 1, -1},    {999, -1, 0xAA, 0, 0, 0},
		{999, -1, 0xFF, 0, 1, 0xAA},  {1000, -1, 0xFF, 0, 1, 0xAA},
		{1000, -1, -1, 0, 0, 0},      {65535, -1, 0x00, 0, 1, 0xAA},
		{70000, -1, 0xAA, 0, 0, 0},   {131071, -1, 0x55, 0, 1, 0xAA},
	};
	for (const auto &c : cases) {
		scoped_image layout(IMAGE_CELLS, 0xAA);
		image *actual = plan_image(&PLAN);
		if (c.want >= 0)
			image_put(layout.get(), c.cell, uint8_t(c.want));
		if (c.held >= 0)
			image_put(actual, c.cell, uint8_t(c.held));
		compare_request q = {&PLAN, c.missing_is_fill};
		cell_difference d = {};
		ASSERT_EQ(c.differ, image_compare(layout.get(), actual, &q, &d, 1, nullptr)) << c.cell;
		EXPECT_TRUE(c.differ == 0 || (d.cell == c.cell && d.held == c.held &&
					      d.expected == c.want && d.or_byte == c.or_byte)) << c.cell;
		image_free(actual);
	}
}

TEST(image_compare, counts_every_difference_and_keeps_the_first_in_order)
{
	scoped_image layout(IMAGE_CELLS, 0xAA);
	image *actual = plan_image(&PLAN);
	put_bytes(actual, 62, {1, 2, 3}); // across two blocks of cells
	image_put(actual, 100000, 4);
	cell_difference d[2] = {};
	std::vector<uint64_t> cells(cell_set_words(actual->size));
	compare_request q = {&PLAN, 0};
	EXPECT_EQ(4u, image_compare(layout.get(), actual, &q, d, 2, cells.data()));
	EXPECT_EQ(62u, next_in_cell_set(cells.data(), 0, actual->size));
	EXPECT_EQ(100000u, next_in_cell_set(cells.data(), 65, actual->size));
	EXPECT_TRUE(d[0].cell == 62 && d[0].held == 1 && d[1].cell == 63 && d[1].held == 2);
	image_free(actual);
}

} // namespace
