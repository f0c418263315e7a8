// Tests of the Intel HEX writer: golden records and a round trip.
#include "forms/hex_write.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/hex_read.h"
#include "test_names.h"
#include "test_support.h"

namespace {

struct write_case {
	const char *name;
	uint32_t first;
	std::vector<int> bytes;
	uint32_t base;
	std::string expected;
};

void PrintTo(const write_case &c, std::ostream *os)
{
	*os << c.name;
}

std::vector<int> counting(int from, int to)
{
	std::vector<int> v;
	for (int b = from; b <= to; b++)
		v.push_back(b);
	return v;
}

const write_case WRITE_CASES[] = {
	{"three bytes", 0, {2, 0, 0}, 0, ":03000000020000FB\n:00000001FF\n"},
	{"eighteen bytes", 0, counting(0, 0x11), 0,
	 ":10000000000102030405060708090A0B0C0D0E0F78\n:020010001011CD\n:00000001FF\n"},
	{"run from cell 5", 5, counting(0x30, 0x43), 0,
	 ":10000500303132333435363738393A3B3C3D3E3F73\n:0400150040414243E1\n:00000001FF\n"},
	{"gap closes a record", 5, {0xAA, EMPTY_CELL, 0xBB}, 0,
	 ":01000500AA50\n:01000700BB3D\n:00000001FF\n"},
	{"nothing", 0, {}, 0, ":00000001FF\n"},
	{"low bits of a cell", 0, {0x1AB}, 0, ":01000000AB54\n:00000001FF\n"},
	{"base address", 0, {0x0B, 3, 0, 2, 0, 0}, 0x8000,
	 ":068000000B03000200006A\n:00000001FF\n"},
	{"segment record above FFFFh", 0, {0x11}, 0x10000,
	 ":020000040001F9\n:0100000011EE\n:00000001FF\n"},
	{"64 KiB boundary closes a record", 0, {1, 2, 3}, 0xFFFE,
	 ":02FFFE000102FE\n:020000040001F9\n:0100000003FC\n:00000001FF\n"},
	{"top of the address space", 0, {0xFF}, 0xFFFFFFFF,
	 ":02000004FFFFFC\n:01FFFF00FF02\n:00000001FF\n"},
};

class write_image_test : public testing::TestWithParam<write_case> {};

TEST_P(write_image_test, golden_records)
{
	const write_case &c = GetParam();
	scoped_image img;
	captured_output out;

	put_bytes(img.cells(), c.first, c.bytes);
	EXPECT_EQ(0, write_hex_image(out.stream(), img.cells(), c.base, IMAGE_CELLS));
	EXPECT_EQ(c.expected, out.text());
}

INSTANTIATE_TEST_SUITE_P(images, write_image_test, testing::ValuesIn(WRITE_CASES), case_name());

TEST(write_image, null_stream_writes_nothing)
{
	scoped_image img;
	EXPECT_EQ(0, write_hex_image(nullptr, img.cells(), 0, IMAGE_CELLS));
}

TEST(write_image, each_call_starts_afresh)
{
	scoped_image img;
	put_bytes(img.cells(), 0, counting(0, 4));
	captured_output first;
	captured_output second;
	write_hex_image(first.stream(), img.cells(), 0x10000, 3);
	write_hex_image(second.stream(), img.cells(), 0, 5);
	EXPECT_EQ(":020000040001F9\n:03000000000102FA\n:00000001FF\n", first.text());
	EXPECT_EQ(":050000000001020304F1\n:00000001FF\n", second.text());
}

TEST(write_image, round_trip_gives_the_same_cells)
{
	scoped_image written;
	scoped_image read;
	uint32_t seed = 12345;
	for (uint32_t i = 0; i < IMAGE_CELLS; i++) {
		seed = seed * 1103515245u + 12345u;
		written.cells()[i] = (seed >> 16) % 5 == 0 ? EMPTY_CELL : int((seed >> 8) & 0xFF);
	}
	captured_output out;
	write_hex_image(out.stream(), written.cells(), 0, IMAGE_CELLS);
	read_window w = {read.cells(), 0, IMAGE_CELLS, IMAGE_CELLS, 1, MISFIT_MEMORY, 0, "f", nullptr, nullptr};
	read_result r;
	ASSERT_EQ(READ_OK, read_text(read_hex, out.text(), w, &r));
	for (uint32_t i = 0; i < IMAGE_CELLS; i++)
		ASSERT_EQ(written.cells()[i], read.cells()[i]) << i;
}

struct range_case {
	uint32_t cell; // the last cell used
	uint32_t base;
	int result;
};

TEST(check_address_range, refuses_only_past_FFFFFFFFh)
{
	const range_case cases[] = {
		{0, 0xFFFFFFFF, 0},
		{1, 0xFFFFFFFF, 1},
		{65535, 0xFFFF0000, 0},
		{65535, 0xFFFF0001, 1},
		{0xFFFFFF, 0xFF000000, 0},
		{0xFFFFFF, 0xFF000001, 1},
	};
	for (const range_case &c : cases)
		EXPECT_EQ(c.result, check_hex_address_range(c.base, c.cell + 1)) << c.cell << " " << c.base;
	EXPECT_EQ(0, check_hex_address_range(0xFFFFFFFF, 0)); // no cell used
}

} // namespace
