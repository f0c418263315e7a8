// Tests of the Intel HEX reader, and of the rules of lines that the text readers share.
#include "forms/hex_reader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "forms/hex_digits.h"
#include "reader_rows.h"
#include "test_names.h"

namespace {

// Intel HEX: each record type and each malformed field; every rule of the
// lines shared by both forms.
const read_case HEX_ROWS[] = {
	{"data", read_hex, ":03000000020000FB", READ_OK, BYTES_020000, ""},
	{"lower case, blanks, CR LF", read_hex, "  \t:03000000020000fb\r\n", READ_OK, BYTES_020000, ""},
	{"trailing text ignored", read_hex, ":01001000559A junk", READ_OK, {{0x10, 0x55}}, ""},
	{"checksum mismatch keeps bytes", read_hex, ":03000000020000FA", READ_CHECKSUM_ERROR,
	 BYTES_020000, SUM + "1\n"},
	{"checksum ignored", read_hex, ":03000000020000FA\n", READ_OK, BYTES_020000, "", 0},
	{"empty data record", read_hex, ":0000000000", READ_OK, {}, ""},
	{"end of file", read_hex, ":00000001FF", READ_OK, {}, ""},
	{"segment base applies", read_hex, ":020000020100FB\n:01000000AA55", READ_OK, {{0x1000, 0xAA}}, ""},
	{"segment address of count 0", read_hex, ":000000020100FD", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"segment address of count 3", read_hex, ":03000002000100FA", READ_BAD_FORMAT, {}, BAD + "1\n", 0},
	{"linear address of count 1", read_hex, ":010000040001FA", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"end of file with a byte", read_hex, ":0100000100FE", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"end of file of count FFh", read_hex, ":FF00000100", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"linear address 0 resets the base", read_hex, ":020000020100FB\n:020000040000FA\n:01000000AA55",
	 READ_OK, {{0, 0xAA}}, ""},
	{"data beyond linear base", read_hex, ":020000040001F9\n:01000000AA55", READ_DOES_NOT_FIT, {},
	 outside("10000", 2)},
	{"no wrap at top base", read_hex, ":02000004FFFFFC\n:0100FF00AA56", READ_DOES_NOT_FIT, {},
	 outside("FFFF00FF", 2)},
	{"record past FFFFFFFFh", read_hex, ":02000004FFFFFC\n:02FFFF00AABB9B", READ_DOES_NOT_FIT, {},
	 outside("100000000", 2)},
	{"start segment", read_hex, ":0400000312345678E5", READ_OK, {}, ""},
	{"start linear", read_hex, ":0400000512345678E3", READ_OK, {}, ""},
	{"straddles the window", read_hex, ":02FFFF00AABB9B", READ_DOES_NOT_FIT, {{0xFFFF, 0xAA}},
	 outside("10000", 1)},
	{"misfit ends before checksum", read_hex, ":02FFFF00AABB", READ_DOES_NOT_FIT, {{0xFFFF, 0xAA}},
	 outside("10000", 1)},
	{"window below the image", read_hex, ":020FFF00AABB8B", READ_DOES_NOT_FIT, {{0xFFF, 0xAA}},
	 outside("1000", 1),
	 1, 0x1000},
	{"unknown type", read_hex, ":00000006FA", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"empty line", read_hex, "\n", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"white space only", read_hex, " \t\r\n", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"no colon", read_hex, "03000000020000FB", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"short prefix", read_hex, ":030000", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"blank in prefix", read_hex, ": 3000000020000FB", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"sign in count", read_hex, ":+3000000020000FB", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"x in data", read_hex, ":030000000x0000FB", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"line ends in data", read_hex, ":0300000002", READ_BAD_FORMAT, {{0, 2}}, BAD + "1\n"},
	{"odd digits", read_hex, ":03000000020000F", READ_BAD_FORMAT, BYTES_020000, BAD + "1\n"},
	{"no checksum", read_hex, ":00000001", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"short segment value", read_hex, ":0200000201", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"short start record", read_hex, ":04000003123456", READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"empty file", read_hex, "", READ_OK, {}, ""},
	{"checksum errors go on", read_hex, ":0100000001FF\n:0100100002FF\n:00000001FF\n",
	 READ_CHECKSUM_ERROR, {{0, 1}, {0x10, 2}}, SUM + "1\n" + SUM + "2\n"},
	{"data after end record", read_hex, ":00000001FF\n:0100200011CE\n", READ_OK, {{0x20, 0x11}}, ""},
	{"trailing empty line", read_hex, ":00000001FF\n\n", READ_BAD_FORMAT, {}, BAD + "2\n"},
	{"checksum then misfit", read_hex, ":0100000011EF\n:0110000022CD\n", READ_DOES_NOT_FIT,
	 {{0, 0x11}}, SUM + "1\n" + outside("1000", 2), 1, 0x1000},
	{"bad prefix digit on a later line", read_hex, ":00000001FF\n:03000G00020000FB\n",
	 READ_BAD_FORMAT, {}, BAD + "2\n"},
	{"999 characters then newline", read_hex, padded(":00000001FF", 999) + "\n",
	 READ_BAD_FORMAT, {}, BAD + "2\n"},
	{"998 characters then newline", read_hex, padded(":00000001FF", 998) + "\n", READ_OK, {}, ""},
	{"pieces are lines", read_hex, padded(":00000001FF", 999) + padded(":00000001FF", 999) + "\n\n",
	 READ_BAD_FORMAT, {}, BAD + "3\n"},
	{"NUL inside a record", read_hex, std::string(":0300") + '\0' + "00020000FB\n",
	 READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"NUL after the checksum", read_hex, std::string(":00000001FF\0junk\n", 17), READ_OK, {}, ""},
	{"record cut by the piece", read_hex, std::string(989, ' ') + ":00000001FF\n",
	 READ_BAD_FORMAT, {}, BAD + "1\n"},
	{"lone CR after a cut record ends its line", read_hex,
	 padded(":00000001FF", 999) + "  \r:00000001FF\n", READ_BAD_FORMAT, {}, BAD + "2\n"},
	{"blank line numbered", read_hex, ":00000001FF\n:00000001FF\n   \n", READ_BAD_FORMAT, {},
	 BAD + "3\n"},
};

TEST_P(read_test, status_messages_and_cells)
{
	const read_case &c = GetParam();
	scoped_image img;
	read_window w = {img.get(), 0, 0, c.size, c.verify, 0, 0, "f", 0};
	read_result r;
	testing::internal::CaptureStderr();
	EXPECT_EQ(c.status, read_text(c.read, c.text, w, &r));
	std::string messages = testing::internal::GetCapturedStderr();
	char where[64];
	std::snprintf(where, sizeof where, "outside %llX on line %lld", (unsigned long long)r.outside,
		      (long long)r.outside_line);
	EXPECT_EQ(c.messages, messages + (c.status == READ_DOES_NOT_FIT ? where : ""));
	size_t used = 0;
	for (uint32_t i = 0; i < IMAGE_CELLS + SPARE_CELLS; i++)
		used += image_holds(img.get(), i);
	EXPECT_EQ(c.stored.size(), used);
	for (const auto &cell : c.stored)
		EXPECT_EQ(cell.second, img.cell(cell.first)) << cell.first;
	EXPECT_EQ(c.stored.empty() ? NO_ADDRESS : c.stored.front().first, r.lowest);
	EXPECT_EQ(c.stored.empty() ? 0 : c.stored.back().first, r.highest);
}

INSTANTIATE_TEST_SUITE_P(intel_hex, read_test, testing::ValuesIn(HEX_ROWS), case_name());

// Every pair of characters reads as strtol reads two hexadecimal digits.
TEST(hex_read_byte, reads_exactly_the_digit_pairs)
{
	for (int first = 0; first < 256; first++)
		for (int second = 0; second < 256; second++) {
			const char pair[3] = {char(first), char(second), '\0'};
			bool digits = std::isxdigit(first) && std::isxdigit(second);
			uint32_t value = 0x1234;
			ASSERT_EQ(digits, hex_read_byte(pair, &value)) << first << " " << second;
			ASSERT_EQ(digits ? std::strtoul(pair, nullptr, 16) : 0x1234, value);
		}
	// Sixteen pairs at once: each character in each place of them.
	const char base[] = "0123456789ABCDEFabcdef0123456789";
	for (int place = 0; place < 32; place++)
		for (int c = 0; c < 256; c++) {
			char text[33];
			std::memcpy(text, base, sizeof text);
			text[place] = char(c);
			uint8_t bytes[16], want[16];
			uint32_t sum = 7, want_sum = 7;
			bool digits = std::isxdigit(c);
			for (int i = 0; digits && i < 16; i++) {
				want[i] = uint8_t(std::strtoul(std::string(text + 2 * i, 2).c_str(), nullptr, 16));
				want_sum += want[i];
			}
			ASSERT_EQ(digits, hex_read_16(text, bytes, &sum)) << place << " " << c;
			ASSERT_EQ(want_sum, sum) << place << " " << c;
			ASSERT_TRUE(!digits || std::memcmp(want, bytes, 16) == 0) << place << " " << c;
		}
}

TEST(read_hex, base_resets_for_each_file)
{
	scoped_image img;
	read_window w = {img.get(), 0, 0, IMAGE_CELLS, 1, 0, 0, "f", 0};
	read_result r;
	EXPECT_EQ(READ_OK, read_text(read_hex, ":01000000AA55\n:020000020100FB\n:01000000BB44\n", w, &r));
	EXPECT_EQ(READ_OK, read_text(read_hex, ":01000100CC32\n", w, &r));
	EXPECT_EQ(0xAA, img.cell(0));
	EXPECT_EQ(0xBB, img.cell(0x1000));
	EXPECT_EQ(0xCC, img.cell(1));
}

TEST(read_hex, read_error_is_reported_by_name)
{
	scoped_image img;
	read_window w = {img.get(), 0, 0, IMAGE_CELLS, 1, 0, 0, ".", 0};
	read_result r;
	FILE *dir = std::fopen(".", "r");
	ASSERT_NE(nullptr, dir);
	static line_reader in;
	line_reader_init(&in, dir);
	testing::internal::CaptureStderr();
	EXPECT_EQ(READ_ERROR, read_hex(&in, &w, &r));
	EXPECT_EQ("ERROR: Can't read '.'\n", testing::internal::GetCapturedStderr());
	std::fclose(dir);
}

} // namespace
