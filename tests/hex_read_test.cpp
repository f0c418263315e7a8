// Tests of the Intel HEX loader: single records and whole files.
#include "hex/hex_read.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "hex/hex_digits.h"
#include "test_names.h"
#include "test_support.h"

namespace {

struct line_case {
	const char *name;
	std::string line;
	uint32_t base_before;
	int status;
	uint32_t highest;
	uint32_t base_after;
	std::vector<std::pair<uint32_t, int>> stored;
};

void PrintTo(const line_case &c, std::ostream *os)
{
	*os << c.name;
}

const line_case LINE_CASES[] = {
	{"data", ":03000000020000FB", 0, HEX_OK, 2, 0, {{0, 2}, {1, 0}, {2, 0}}},
	{"lower case, blanks, CR LF", "  \t:03000000020000fb\r\n", 0, HEX_OK, 2, 0,
	 {{0, 2}, {1, 0}, {2, 0}}},
	{"trailing text ignored", ":01001000559A junk", 0, HEX_OK, 0x10, 0, {{0x10, 0x55}}},
	{"checksum mismatch keeps bytes", ":03000000020000FA", 0, HEX_CHECKSUM_ERROR, 2,
	 0, {{0, 2}, {1, 0}, {2, 0}}},
	{"empty data record", ":0000000000", 0, HEX_OK, 0, 0, {}},
	{"end of file", ":00000001FF", 0, HEX_OK, 0, 0, {}},
	{"segment address", ":020000020100FB", 0, HEX_OK, 0, 0x1000, {}},
	{"segment address of count 0", ":000000020100FD", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"segment address of count 3", ":03000002000100FA", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"linear address of count 1", ":010000040001FA", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"end of file with a byte", ":0100000100FE", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"end of file of count FFh", ":FF00000100", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"segment base applies", ":01000000AA55", 0x1000, HEX_OK, 0x1000, 0x1000,
	 {{0x1000, 0xAA}}},
	{"linear address 0", ":020000040000FA", 0x1000, HEX_OK, 0, 0, {}},
	{"linear address 1", ":020000040001F9", 0, HEX_OK, 0, 0x10000, {}},
	{"data beyond linear base", ":01000000AA55", 0x10000, HEX_DOES_NOT_FIT, 0,
	 0x10000, {}},
	{"no wrap at top base", ":0100FF00AA56", 0xFFFF0000, HEX_DOES_NOT_FIT, 0,
	 0xFFFF0000, {}},
	{"start segment", ":0400000312345678E5", 0, HEX_OK, 0, 0, {}},
	{"start linear", ":0400000512345678E3", 0, HEX_OK, 0, 0, {}},
	{"straddles the limit", ":02FFFF00AABB9B", 0, HEX_DOES_NOT_FIT, 0xFFFF, 0,
	 {{0xFFFF, 0xAA}}},
	{"misfit ends before checksum", ":02FFFF00AABB", 0, HEX_DOES_NOT_FIT, 0xFFFF, 0,
	 {{0xFFFF, 0xAA}}},
	{"unknown type", ":00000006FA", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"empty line", "", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"white space only", " \t\r\n", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"no colon", "03000000020000FB", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"short prefix", ":030000", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"blank in prefix", ": 3000000020000FB", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"sign in count", ":+3000000020000FB", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"x in data", ":030000000x0000FB", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"line ends in data", ":0300000002", 0, HEX_BAD_FORMAT, 0, 0, {{0, 2}}},
	{"odd digits", ":03000000020000F", 0, HEX_BAD_FORMAT, 2, 0, {{0, 2}, {1, 0}, {2, 0}}},
	{"no checksum", ":00000001", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"short segment value", ":0200000201", 0, HEX_BAD_FORMAT, 0, 0, {}},
	{"short start record", ":04000003123456", 0, HEX_BAD_FORMAT, 0, 0, {}},
};

class parse_line_test : public testing::TestWithParam<line_case> {};

TEST_P(parse_line_test, status_cells_and_base)
{
	const line_case &c = GetParam();
	scoped_image img;
	uint32_t base = c.base_before;
	uint32_t highest = 0;

	EXPECT_EQ(c.status, parse_hex_line(c.line.c_str(), img.cells(), IMAGE_CELLS,
					   &base, &highest));
	EXPECT_EQ(c.highest, highest);
	EXPECT_EQ(c.base_after, base);
	size_t used = 0;
	for (uint32_t i = 0; i < IMAGE_CELLS; i++)
		used += img.cells()[i] != EMPTY_CELL;
	EXPECT_EQ(c.stored.size(), used);
	for (const auto &cell : c.stored)
		EXPECT_EQ(cell.second, img.cells()[cell.first]) << cell.first;
}

INSTANTIATE_TEST_SUITE_P(records, parse_line_test, testing::ValuesIn(LINE_CASES),
			 case_name());

TEST(parse_line, limit_below_image)
{
	scoped_image img;
	uint32_t base = 0, highest = 0;
	EXPECT_EQ(HEX_DOES_NOT_FIT,
		  parse_hex_line(":020FFF00AABB8B", img.cells(), 0x1000, &base, &highest));
	EXPECT_EQ(0xAA, img.cells()[0xFFF]);
	EXPECT_EQ(EMPTY_CELL, img.cells()[0x1000]);
}

struct file_case {
	const char *name;
	std::string text;
	int verify;
	int status;
	std::string messages;
	uint32_t highest;
};

void PrintTo(const file_case &c, std::ostream *os)
{
	*os << c.name;
}

std::string padded(const std::string &record, size_t width)
{
	return record + std::string(width - record.size(), ' ');
}

const file_case FILE_CASES[] = {
	{"empty file", "", 1, HEX_OK, "", 0},
	{"two records", ":03000000020000FB\n:00000001FF\n", 1, HEX_OK, "", 2},
	{"no final newline", ":03000000020000FA", 1, HEX_CHECKSUM_ERROR,
	 "ERROR: Checksum error on line 1\n", 2},
	{"checksum ignored", ":03000000020000FA\n", 0, HEX_OK, "", 2},
	{"checksum errors go on", ":0100000001FF\n:0100100002FF\n:00000001FF\n", 1,
	 HEX_CHECKSUM_ERROR,
	 "ERROR: Checksum error on line 1\nERROR: Checksum error on line 2\n", 0x10},
	{"data after end record", ":00000001FF\n:0100200011CE\n", 1, HEX_OK, "", 0x20},
	{"trailing empty line", ":00000001FF\n\n", 1, HEX_BAD_FORMAT,
	 "ERROR: Invalid Intel hex format on line 2\n", 0},
	{"does not fit", ":0100000011EE\n:0110000022CD\n", 1, HEX_DOES_NOT_FIT,
	 "ERROR: Hex file contents does not fit into available memory", 0},
	{"checksum then misfit", ":0100000011EF\n:0110000022CD\n", 1, HEX_DOES_NOT_FIT,
	 "ERROR: Checksum error on line 1\n"
	 "ERROR: Hex file contents does not fit into available memory", 0},
	{"999 characters then newline", padded(":00000001FF", 999) + "\n", 1,
	 HEX_BAD_FORMAT, "ERROR: Invalid Intel hex format on line 2\n", 0},
	{"998 characters then newline", padded(":00000001FF", 998) + "\n", 1, HEX_OK, "", 0},
	{"pieces are lines", padded(":00000001FF", 999) + padded(":00000001FF", 999) +
				     "\n\n", 1, HEX_BAD_FORMAT,
	 "ERROR: Invalid Intel hex format on line 3\n", 0},
	{"NUL inside a record", std::string(":0300") + '\0' + "00020000FB\n", 1, HEX_BAD_FORMAT,
	 "ERROR: Invalid Intel hex format on line 1\n", 0},
	{"NUL after the checksum", std::string(":00000001FF\0junk\n", 17), 1, HEX_OK, "", 0},
	{"unknown type on line 2", ":00000001FF\n:00000006FA\n", 1, HEX_BAD_FORMAT,
	 "ERROR: Invalid Intel hex format on line 2\n", 0},
	{"record cut by the piece", std::string(989, ' ') + ":00000001FF\n", 1, HEX_BAD_FORMAT,
	 "ERROR: Invalid Intel hex format on line 1\n", 0},
	{"highest kept", ":010FFD00AA49\n:100FED00000102030405060708090A0B0C0D0E0F7C\n", 1, HEX_OK,
	 "", 0xFFD},
	{"lone CR after a cut record ends its line",
	 padded(":00000001FF", 999) + "  \r:00000001FF\n", 1, HEX_BAD_FORMAT,
	 "ERROR: Invalid Intel hex format on line 2\n", 0},
};

class load_file_test : public testing::TestWithParam<file_case> {};

TEST_P(load_file_test, status_messages_and_highest)
{
	const file_case &c = GetParam();
	scoped_image img;
	uint32_t highest = 0;
	FILE *f = stream_of(c.text);

	testing::internal::CaptureStderr();
	int status = load_hex_file(f, img.cells(), c.verify, 0x1000, &highest);
	std::string messages = testing::internal::GetCapturedStderr();
	std::fclose(f);
	EXPECT_EQ(c.status, status);
	EXPECT_EQ(c.messages, messages);
	EXPECT_EQ(c.highest, highest);
}

INSTANTIATE_TEST_SUITE_P(files, load_file_test, testing::ValuesIn(FILE_CASES), case_name());

TEST(load_file, blank_line_numbered)
{
	scoped_image img;
	uint32_t highest = 0;
	std::string text;
	for (int i = 0; i < 6; i++)
		text += ":00000001FF\n";
	FILE *f = stream_of(text + "   \n:00000001FF\n");
	testing::internal::CaptureStderr();
	EXPECT_EQ(HEX_BAD_FORMAT, load_hex_file(f, img.cells(), 1, IMAGE_CELLS, &highest));
	EXPECT_EQ("ERROR: Invalid Intel hex format on line 7\n",
		  testing::internal::GetCapturedStderr());
	std::fclose(f);
}

TEST(load_file, line_numbers_pass_two_to_the_31st)
{
	scoped_image img;
	uint32_t highest = 0;
	FILE *f = stream_of(":00000001FF\n:00000001FE\n");
	testing::internal::CaptureStderr();
	EXPECT_EQ(HEX_CHECKSUM_ERROR,
		  load_hex_lines(f, img.cells(), 1, IMAGE_CELLS, &highest, 2147483646));
	EXPECT_EQ("ERROR: Checksum error on line 2147483648\n",
		  testing::internal::GetCapturedStderr());
	std::fclose(f);
}

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
}

TEST(load_file, base_resets_for_each_file)
{
	scoped_image img;
	uint32_t highest = 0;
	FILE *first = stream_of(":01000000AA55\n:020000020100FB\n:01000000BB44\n");
	FILE *second = stream_of(":01000100CC32\n");
	EXPECT_EQ(HEX_OK, load_hex_file(first, img.cells(), 1, IMAGE_CELLS, &highest));
	EXPECT_EQ(0x1000u, highest);
	EXPECT_EQ(HEX_OK, load_hex_file(second, img.cells(), 1, IMAGE_CELLS, &highest));
	EXPECT_EQ(0xAA, img.cells()[0]);
	EXPECT_EQ(0xBB, img.cells()[0x1000]);
	EXPECT_EQ(0xCC, img.cells()[1]);
	std::fclose(first);
	std::fclose(second);
}

TEST(load_file, read_error_is_reported_as_such)
{
	scoped_image img;
	uint32_t highest = 0;
	FILE *dir = std::fopen(".", "r");
	ASSERT_NE(nullptr, dir);
	testing::internal::CaptureStderr();
	EXPECT_EQ(HEX_READ_ERROR, load_hex_file(dir, img.cells(), 1, IMAGE_CELLS, &highest));
	EXPECT_EQ("", testing::internal::GetCapturedStderr());
	std::fclose(dir);
}

} // namespace
