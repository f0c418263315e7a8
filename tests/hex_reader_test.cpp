// Tests of the text readers, Intel HEX and S-record: records and whole files into a window.
#include "forms/hex_reader.h"
#include "forms/srec_reader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "forms/hex_digits.h"
#include "test_names.h"
#include "test_support.h"

namespace {

struct read_case {
	const char *name;
	file_reader read;
	std::string text;
	int status;
	std::vector<std::pair<uint32_t, int>> stored;
	std::string messages;
	int verify = 1;
	uint32_t size = IMAGE_CELLS; // of the window, from address 0
};

void PrintTo(const read_case &c, std::ostream *os)
{
	*os << c.name;
}

std::string padded(const std::string &record, size_t width)
{
	return record + std::string(width - record.size(), ' ');
}

const std::string BAD = "ERROR: Invalid Intel hex format on line ";
const std::string BAD_S = "ERROR: Invalid S-record format on line ";
const std::string SUM = "ERROR: Checksum error on line ";
// A byte outside the window, which the reader leaves to its caller to
// report: where it lies, as the test writes it.
std::string outside(const char *address, int line)
{
	return std::string("outside ") + address + " on line " + std::to_string(line);
}
const std::vector<std::pair<uint32_t, int>> BYTES_020000 = {{0, 2}, {1, 0}, {2, 0}};

// Intel HEX: each record type and each malformed field; every rule of the
// lines shared by both forms; then S-record: each record type and rule.
const read_case READ_CASES[] = {
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
	{"S1 data", read_srec, "S1060000020000F7", READ_OK, BYTES_020000, ""},
	{"S1 lower case, blanks, CR LF", read_srec, " \ts1060000020000f7\r\n", READ_OK, BYTES_020000, ""},
	{"S2 and S3 addresses", read_srec, "S205001000AA40\nS3060000FFF0BB4F\n", READ_OK,
	 {{0x1000, 0xAA}, {0xFFF0, 0xBB}}, ""},
	{"S0 header is not stored", read_srec, "S00600004844521B\nS10400105596\n", READ_OK,
	 {{0x10, 0x55}}, ""},
	{"S5 counts the data records", read_srec, "S10400105596\nS104002011CA\nS5030002FA\n",
	 READ_OK, {{0x10, 0x55}, {0x20, 0x11}}, ""},
	{"S6 counts them too", read_srec, "S10400105596\nS104002011CA\nS604000002F9\n", READ_OK,
	 {{0x10, 0x55}, {0x20, 0x11}}, ""},
	{"S5 that disagrees", read_srec, "S10400105596\nS104002011CA\nS5030001FB\nS104000011EA\n",
	 READ_BAD_COUNT, {{0x10, 0x55}, {0x20, 0x11}},
	 "ERROR: Record count on line 3 says 1, but 2 data records come before it\n", 0},
	{"S5 counts a record with a checksum error", read_srec, "S10400105597\nS5030001FB\n",
	 READ_CHECKSUM_ERROR, {{0x10, 0x55}}, SUM + "1\n"},
	{"termination records restart the count", read_srec,
	 "S10400105596\nS9030000FC\nS104002011CA\nS804000000FB\nS70500000000FA\nS5030000FC\n",
	 READ_OK, {{0x10, 0x55}, {0x20, 0x11}}, ""},
	{"S4", read_srec, "S4030000FC", READ_BAD_FORMAT, {}, BAD_S + "1\n"},
	{"no type digit", read_srec, "S10400105596\nSX0400105596\n", READ_BAD_FORMAT, {{0x10, 0x55}},
	 BAD_S + "2\n"},
	{"S alone", read_srec, "S", READ_BAD_FORMAT, {}, BAD_S + "1\n"},
	{"count below the address and checksum", read_srec, "S1020000FD", READ_BAD_FORMAT, {},
	 BAD_S + "1\n"},
	{"S9 of another count", read_srec, "S904000000FB", READ_BAD_FORMAT, {}, BAD_S + "1\n"},
	{"fewer digits than the count", read_srec, "S1070000020000F7", READ_BAD_FORMAT, {}, BAD_S + "1\n"},
	{"fewer digits, beyond the window", read_srec, "s30B0086d497f55fb3", READ_BAD_FORMAT, {},
	 BAD_S + "1\n"},
	{"more digits than the count", read_srec, "S1060000020000F700", READ_BAD_FORMAT, {}, BAD_S + "1\n"},
	{"blanks and tabs behind the checksum", read_srec, "S1060000020000F7 \t \n", READ_OK,
	 BYTES_020000, ""},
	{"text behind the checksum", read_srec, "S1060000020000F7 x\n", READ_BAD_FORMAT, {}, BAD_S + "1\n"},
	{"S-record empty line", read_srec, "S10400105596\n\n", READ_BAD_FORMAT, {{0x10, 0x55}},
	 BAD_S + "2\n"},
	{"S-record checksum mismatch", read_srec, "S1060000020000F8\nS10400105596\n",
	 READ_CHECKSUM_ERROR, {{0, 2}, {1, 0}, {2, 0}, {0x10, 0x55}}, SUM + "1\n"},
	{"S-record checksum ignored", read_srec, "S1060000020000F8\n", READ_OK, BYTES_020000, "", 0},
	{"x in S-record data", read_srec, "S1060000020x00F7", READ_BAD_FORMAT, {{0, 2}}, BAD_S + "1\n"},
	{"S1 straddles the window", read_srec, "S105FFFFAABB97", READ_DOES_NOT_FIT, {{0xFFFF, 0xAA}},
	 outside("10000", 1)},
	{"S3 past FFFFFFFFh", read_srec, "S307FFFFFFFF0102F9", READ_DOES_NOT_FIT, {},
	 outside("100000000", 1)},
	{"x in S-record data beyond the window", read_srec, "S2060100000x00F5", READ_BAD_FORMAT, {},
	 BAD_S + "1\n"},
	{"S0 header holding a 00 byte", read_srec, "S00600004800525F\nS10400105596\n", READ_OK,
	 {{0x10, 0x55}}, ""},
	{"S-record lone CR line ends", read_srec, "S1060000020000F7\rS10400105596\r", READ_OK,
	 {{0, 2}, {1, 0}, {2, 0}, {0x10, 0x55}}, ""},
	{"S-record Ctrl-Z ends the file", read_srec, "S10400105596\n\x1AS4", READ_OK, {{0x10, 0x55}}, ""},
	{"S-record pieces are lines", read_srec, padded("S10400105596", 999) + "\n", READ_BAD_FORMAT,
	 {{0x10, 0x55}}, BAD_S + "2\n"},
};

class read_test : public testing::TestWithParam<read_case> {};

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

INSTANTIATE_TEST_SUITE_P(records, read_test, testing::ValuesIn(READ_CASES), case_name());

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
