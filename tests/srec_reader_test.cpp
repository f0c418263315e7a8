// Tests of the S-record reader: each record type and rule.
#include "forms/srec_reader.h"

#include "reader_rows.h"
#include "test_names.h"

namespace {

const read_case SREC_ROWS[] = {
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
INSTANTIATE_TEST_SUITE_P(s_record, read_test, testing::ValuesIn(SREC_ROWS), case_name());

} // namespace
