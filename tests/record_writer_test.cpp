// Tests of the record writers, Intel HEX and S-record: golden records and a round trip.
#include "forms/hex_writer.h"
#include "forms/srec_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/hex_reader.h"
#include "forms/srec_reader.h"
#include "test_names.h"
#include "test_support.h"

namespace {

struct write_case {
	const char *name;
	uint32_t first;
	std::vector<int> bytes;
	uint32_t base;
	std::string expected;
	image_writer write = write_hex;
	uint32_t filled_end = 0; // with filled, the cells written: from 0 to it
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
	{"gap closes a record", 5, {0xAA, -1, 0xBB}, 0,
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
	{"filled: empty cells as the empty byte", 2, {0x11}, 0x10,
	 ":04001000FFFF11FFDE\n:00000001FF\n", write_hex, 4},
	{"S1, header, count and end", 0, {0x0B, 3, 0, 2, 0, 0}, 0,
	 "S0030000FC\nS1090000" "0B0300020000E6\nS5030001FB\nS9030000FC\n", write_srec},
	{"S1 records of 16 bytes from the start of a run", 5, counting(0x30, 0x43), 0,
	 "S0030000FC\nS1130005303132333435363738393A3B3C3D3E3F6F\nS107001540414243DD\n"
	 "S5030002FA\nS9030000FC\n", write_srec},
	{"S-record gap closes a record", 5, {0xAA, -1, 0xBB}, 0,
	 "S0030000FC\nS1040005AA4C\nS1040007BB39\nS5030002FA\nS9030000FC\n", write_srec},
	{"S2 for an address above FFFFh, no boundary", 0, {1, 2, 3}, 0xFFFE,
	 "S0030000FC\nS2070" "0FFFE010203F5\nS5030001FB\nS804000000FB\n", write_srec},
	{"S3 for an address above FFFFFFh", 0, {0x11}, 0x1000000,
	 "S0030000FC\nS30601000000" "11E7\nS5030001FB\nS70500000000FA\n", write_srec},
	{"S-record of nothing", 0, {}, 0, "S0030000FC\nS5030000FC\nS9030000FC\n", write_srec},
};

class write_image_test : public testing::TestWithParam<write_case> {};

TEST_P(write_image_test, golden_records)
{
	const write_case &c = GetParam();
	scoped_image img;
	captured_output out;

	put_bytes(img.get(), c.first, c.bytes);
	const image_output o = {img.get(), 0, c.filled_end != 0 ? c.filled_end : IMAGE_CELLS,
				c.filled_end != 0, c.base, nullptr};
	EXPECT_EQ(WRITE_OK, c.write(out.stream(), &o));
	EXPECT_EQ(c.expected, out.text());
}

INSTANTIATE_TEST_SUITE_P(images, write_image_test, testing::ValuesIn(WRITE_CASES), case_name());

TEST(write_image, round_trip_gives_the_same_cells)
{
	scoped_image written;
	uint32_t seed = 12345;
	for (uint32_t i = 0; i < IMAGE_CELLS; i++) {
		seed = seed * 1103515245u + 12345u;
		if ((seed >> 16) % 5 != 0)
			image_put(written.get(), i, uint8_t(seed >> 8));
	}
	const image_output o = {written.get(), 0, IMAGE_CELLS, 0, 0, nullptr};
	for (file_reader read : {read_hex, read_srec}) {
		scoped_image read_back;
		captured_output out;
		(read == read_hex ? write_hex : write_srec)(out.stream(), &o);
		read_window w = {read_back.get(), 0, 0, IMAGE_CELLS, 1, 0, 0, "f", 0};
		read_result r;
		ASSERT_EQ(READ_OK, read_text(read, out.text(), w, &r));
		for (uint32_t i = 0; i < IMAGE_CELLS; i++)
			ASSERT_EQ(written.cell(i), read_back.cell(i)) << i;
	}
}

// An output address past FFFFFFFFh refuses the output and writes nothing.
TEST(write_image, refuses_only_past_FFFFFFFFh)
{
	const struct { uint32_t cell; uint32_t base; int filled; int result; } cases[] = {
		{0, 0xFFFFFFFF, 0, WRITE_OK},         {1, 0xFFFFFFFF, 0, WRITE_PAST_ADDRESSES},
		{65535, 0xFFFF0000, 0, WRITE_OK},     {65535, 0xFFFF0001, 0, WRITE_PAST_ADDRESSES},
		{0, 0xFFFFFFFF, 1, WRITE_PAST_ADDRESSES},
	};
	for (const auto &c : cases)
		for (image_writer write : {write_hex, write_srec}) {
			scoped_image img;
			image_put(img.get(), c.cell, 0);
			captured_output out;
			const image_output o = {img.get(), 0, c.filled ? 2 : IMAGE_CELLS, c.filled, c.base,
						nullptr};
			EXPECT_EQ(c.result, write(out.stream(), &o)) << c.cell << " " << c.base;
			EXPECT_EQ(c.result == WRITE_OK, !out.text().empty()) << c.cell;
		}
}

} // namespace
