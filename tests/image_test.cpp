// Tests of the image helpers: the cells held, the chip plan's rule of use, CRC-32 and comparing.
#include "image/image.h"

#include "image/chip_plan.h"
#include "image/crc32.h"
#include "image/image_compare.h"

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

TEST(cell_in_use, one_rule_for_every_cell)
{
	// '.' marks a cell that holds no byte; the chip's byte is the fill's.
	const struct { int fill; const char *cells; int last; int use; } cases[] = {
		{NO_FILL, "a.\xFF.", 2, USE_SOME}, {NO_FILL, "....", -1, USE_NONE},
		{0xFF, "a.\xFF.", 0, USE_SOME},    {0xFF, "\xFF.\xFF\xFF", -1, USE_NONE},
		{'a', "bcde", 3, USE_ALL},         {'a', "bcda", 2, USE_SOME},
	};
	for (const auto &c : cases) {
		chip_plan p = make_chip_plan(4, 1u << 17, c.fill);
		image *img = plan_image(&p);
		for (uint32_t i = 0; i < 4; i++)
			if (c.cells[i] != '.')
				image_put(img, 70000 + i, uint8_t(c.cells[i]));
		EXPECT_EQ(c.last < 0 ? -1 : 70000 + c.last, last_in_use(img, &p, 1u << 17)) << c.cells;
		EXPECT_EQ(c.use, cells_in_use(img, &p, 70000, 4)) << c.cells;
		image_free(img);
	}
}

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
	uint8_t blocks[512] = {};
	compare_request q = {&PLAN, 0};
	EXPECT_EQ(4u, image_compare(layout.get(), actual, &q, d, 2, blocks));
	EXPECT_TRUE(blocks[0] && !blocks[1] && blocks[100000 >> 8]);
	EXPECT_TRUE(d[0].cell == 62 && d[0].held == 1 && d[1].cell == 63 && d[1].held == 2);
	image_free(actual);
}

} // namespace
