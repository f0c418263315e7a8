// Tests of the layout: the builder writes the header cells, and no other.
#include "image/layout.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

struct header_case {
	unsigned crystal_code;
	int slow_clock;
	int length_header;
	uint8_t offset;
	uint32_t highest;
	int cell0, cell1, cell2;
};

void PrintTo(const header_case &c, std::ostream *os)
{
	*os << "code " << c.crystal_code << " slow " << c.slow_clock << " length " << c.length_header
	    << " offset " << int(c.offset) << " highest " << c.highest;
}

// With the length header cell 2 keeps what it held, here 0x5A.
const header_case HEADER_CASES[] = {
	{3, 0, 0, 3, 0, 0x0B, 0x03, 0x00},
	{3, 0, 0, 3, 252, 0x0B, 0x03, 0x00},
	{3, 0, 0, 3, 253, 0x0B, 0x03, 0x01},
	{3, 0, 0, 3, 4092, 0x0B, 0x03, 0x0F},
	{4, 1, 0, 3, 253, 0x04, 0x03, 0x01},
	{0, 0, 0, 3, 0, 0x08, 0x03, 0x00},
	{1, 1, 0, 3, 0, 0x01, 0x03, 0x00},
	{2, 0, 0, 3, 0, 0x0A, 0x03, 0x00},
	{0xFF, 0, 0, 3, 0, 0x0F, 0x03, 0x00},
	{3, 0, 0, 255, 65280, 0x0B, 0xFF, 0xFF},
	{3, 0, 1, 3, 0, 0x01, 0x00, 0x5A},
	{4, 1, 1, 200, 4092, 0xFD, 0x0F, 0x5A},
	{3, 0, 1, 3, 65535, 0x00, 0x00, 0x5A},
};

class header_test : public testing::TestWithParam<header_case> {};

TEST_P(header_test, header_cells)
{
	const header_case &c = GetParam();
	scoped_image img;
	image_put(img.get(), 2, 0x5A);
	image_layout l = c.length_header ? image_layout{1, 2, 2, c.highest + 3}
					 : image_layout{0, 3, c.offset, c.offset + c.highest + 1};
	build_boot_image(img.get(), c.crystal_code, c.slow_clock, &l);
	EXPECT_EQ(c.cell0, img.cell(0));
	EXPECT_EQ(c.cell1, img.cell(1));
	EXPECT_EQ(c.cell2, img.cell(2));
}

INSTANTIATE_TEST_SUITE_P(headers, header_test, testing::ValuesIn(HEADER_CASES));

TEST(build_boot_image, leaves_the_contents_in_place)
{
	scoped_image img;
	put_bytes(img.get(), 3, {0x10, 0x11, -1, 0x13, 0x14, 0x15});
	image_put(img.get(), 65535, 0x77);
	image_layout l = {0, 3, 5, 65536};
	build_boot_image(img.get(), 3, 0, &l);
	const int expected[] = {0x0B, 5, 0xFF, 0x10, 0x11, -1, 0x13, 0x14, 0x15, -1};
	for (uint32_t i = 0; i < 10; i++)
		EXPECT_EQ(expected[i], img.cell(i)) << i;
	EXPECT_EQ(0x77, img.cell(65535));
}

TEST(build_boot_image, length_header_takes_two_cells)
{
	scoped_image img;
	put_bytes(img.get(), 2, {0x21, 0x22, 0x23});
	image_layout l = {1, 2, 2, 5};
	build_boot_image(img.get(), 3, 0, &l);
	const int expected[] = {3, 0, 0x21, 0x22, 0x23, -1};
	for (uint32_t i = 0; i < 6; i++)
		EXPECT_EQ(expected[i], img.cell(i)) << i;
}

} // namespace
