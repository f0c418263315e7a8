// End-to-end rows of --diff: two read-outs compared cell by cell.
#include "e2e_rows.h"

namespace {

const std::string SREC_OF_IMAGE = "S0030000FC\nS10900000B0300020000E6\nS5030001FB\nS9030000FC\n";
// IMAGE with one more record: cell 6 holding FFh, or 55h.
const std::string ERASED_6 = ":060000000B0300020000EA\n:01000600FFFA\n";
const std::string BYTE_6 = ":060000000B0300020000EA\n:0100060055A4\n";
const std::string HEX_HEX = "format a: Intel HEX\ncrc32 a: 7AB31BAA\nformat b: Intel HEX\ncrc32 b: ";
// The report of IMAGE against another image in a chip of 16 MiB.
const std::string CHIP_REPORT = "format a: Intel HEX\ncrc32 a: EC184D68\nformat b: Intel HEX\ncrc32 b: ";
// USB_42 with the number 43.
const std::string USB_43 = with(USB_42, ":020023003200A9", ":020023003300A8");

// The messages of count cells from 0 on that hold 00h in a and FFh in b.
std::string zero_against_erased(int count)
{
	std::string err;
	for (int cell = 0; cell < count && cell < 10; cell++)
		err += "ERROR: Cell " + std::to_string(cell) + " holds 00h in 'a.bin', FFh in 'b.bin'\n";
	return count > 10 ? err + "ERROR: " + std::to_string(count - 10) + " more cells differ\n" : err;
}

const e2e_case DIFF_ROWS[] = {
	{.name = "diff of one image as Intel HEX and as S-records",
	 .files = {{"a.hex", IMAGE}, {"b.s19", SREC_OF_IMAGE}}, .args = {"--diff", "a.hex", "b.s19"},
	 .std_out = "format a: Intel HEX\ncrc32 a: 7AB31BAA\nformat b: S-record\ncrc32 b: 7AB31BAA\n"
		    "differing cells: 0\n"},
	{.name = "diff of a cell at the start of a 16 MiB chip",
	 .files = {{"a.hex", IMAGE}, {"b.hex", ":060000000C0300020000E9\n"}},
	 .args = {"--diff", "--eeprom-size=16384K", "a.hex", "b.hex"}, .status = 1,
	 .err = "ERROR: Cell 0 holds 0Bh in 'a.hex', 0Ch in 'b.hex'\n",
	 .std_out = CHIP_REPORT + "065D4B73\ndiffering cells: 1\n"},
	{.name = "diff of a cell in the middle of a 16 MiB chip",
	 .files = {{"a.hex", IMAGE}, {"b.hex", IMAGE + ":0200000400807A\n:0100000055AA\n"}},
	 .args = {"--diff", "--eeprom-size=16384K", "a.hex", "b.hex"}, .status = 1,
	 .err = "ERROR: Cell 8388608 holds FFh in 'a.hex', 55h in 'b.hex'\n",
	 .std_out = CHIP_REPORT + "43953C1F\ndiffering cells: 1\n"},
	{.name = "diff of the last cell of a 16 MiB chip",
	 .files = {{"a.hex", IMAGE}, {"b.hex", IMAGE + ":0200000400FFFB\n:01FFFF0055AC\n"}},
	 .args = {"--diff", "--eeprom-size=16384K", "a.hex", "b.hex"}, .status = 1,
	 .err = "ERROR: Cell 16777215 holds FFh in 'a.hex', 55h in 'b.hex'\n",
	 .std_out = CHIP_REPORT + "DA1B079E\ndiffering cells: 1\n"},
	{.name = "diff of more than ten cells", .files = {{"a.bin", std::string(12, '\0')}, {"b.bin", std::string(12, '\xFF')}},
	 .args = {"--diff", "--binary", "-p", "32", "a.bin", "b.bin"}, .status = 1, .err = zero_against_erased(12),
	 .std_out = "format a: raw binary\ncrc32 a: 3A28BC90\nformat b: raw binary\ncrc32 b: FF6CAB0B\n"
		    "differing cells: 12\n"},
	{.name = "diff of read-outs of two lengths", .files = {{"a.bin", RAW_8}, {"b.bin", std::string(16, '\0')}},
	 .args = {"--diff", "--binary", "-p", "8", "a.bin", "b.bin"}, .status = 1,
	 .err = "ERROR: Cell 0 holds 0Bh in 'a.bin', 00h in 'b.bin'\nERROR: Cell 1 holds 03h in 'a.bin', 00h in 'b.bin'\n"
		"ERROR: Cell 3 holds 02h in 'a.bin', 00h in 'b.bin'\nERROR: Cell 6 holds FFh in 'a.bin', 00h in 'b.bin'\n"
		"ERROR: Cell 7 holds FFh in 'a.bin', 00h in 'b.bin'\nERROR: Cell 8 holds FFh in 'a.bin', 00h in 'b.bin'\n"
		"ERROR: Cell 9 holds FFh in 'a.bin', 00h in 'b.bin'\nERROR: Cell 10 holds FFh in 'a.bin', 00h in 'b.bin'\n"
		"ERROR: Cell 11 holds FFh in 'a.bin', 00h in 'b.bin'\nERROR: Cell 12 holds FFh in 'a.bin', 00h in 'b.bin'\n"
		"ERROR: 3 more cells differ\n",
	 .std_out = "format a: raw binary\ncrc32 a: CD46983D\nformat b: raw binary\ncrc32 b: ECBB4B55\n"
		    "differing cells: 13\n"},
	{.name = "diff of a cell without a byte against FFh", .files = {{"a.hex", IMAGE}, {"b.hex", ERASED_6}},
	 .args = {"--diff", "a.hex", "b.hex"}, .std_out = HEX_HEX + "7AB31BAA\ndiffering cells: 0\n"},
	{.name = "diff of a cell without a byte against FFh under a fill byte",
	 .files = {{"a.hex", IMAGE}, {"b.hex", ERASED_6}}, .args = {"--diff", "--fill=00", "a.hex", "b.hex"},
	 .status = 1, .err = "ERROR: Cell 6 holds 00h in 'a.hex', FFh in 'b.hex'\n",
	 .std_out = "format a: Intel HEX\ncrc32 a: 00806350\nformat b: Intel HEX\ncrc32 b: 239149DE\ndiffering cells: 1\n"},
	{.name = "diff of a cell without a byte beyond the program memory under a fill byte",
	 .files = {{"a.hex", IMAGE}, {"b.hex", ":060000000B0300020000EA\n:01000A00FFF6\n"}},
	 .args = {"--diff", "--fill=00", "-p", "8", "a.hex", "b.hex"},
	 .std_out = "format a: Intel HEX\ncrc32 a: 73608AC2\nformat b: Intel HEX\ncrc32 b: 73608AC2\ndiffering cells: 0\n"},
	{.name = "diff of a cell without a byte against another byte", .files = {{"a.hex", IMAGE}, {"b.hex", BYTE_6}},
	 .args = {"--diff", "a.hex", "b.hex"}, .status = 1, .err = "ERROR: Cell 6 holds FFh in 'a.hex', 55h in 'b.hex'\n",
	 .std_out = HEX_HEX + "4752D75E\ndiffering cells: 1\n"},
	{.name = "diff with a map", .files = {{"a.hex", IMAGE}, {"b.hex", BYTE_6}},
	 .args = {"--diff", "--map", "-p", "256", "a.hex", "b.hex"}, .status = 1,
	 .err = "ERROR: Cell 6 holds FFh in 'a.hex', 55h in 'b.hex'\n",
	 .std_out = "format a: Intel HEX\ncrc32 a: 3387A514\nformat b: Intel HEX\ncrc32 b: EE9E7525\ndiffering cells: 1\n" +
		    MAP_LEGEND + ", X differs\n  0000 X\n"},
	{.name = "diff with a map to a cell beyond the first image", .files = {{"a.hex", IMAGE}, {"b.hex", IMAGE + ":01800000552A\n"}},
	 .args = {"--diff", "--map", "-p", "256", "a.hex", "b.hex"}, .status = 1,
	 .err = "ERROR: Cell 32768 holds FFh in 'a.hex', 55h in 'b.hex'\n",
	 .std_out = "format a: Intel HEX\ncrc32 a: 3387A514\nformat b: Intel HEX\ncrc32 b: 3387A514\ndiffering cells: 1\n" +
		    MAP_LEGEND + ", X differs\n" + map_rows(129, 4, "+", "X")},
	{.name = "diff as JSON", .files = {{"a.hex", IMAGE}, {"b.hex", BYTE_6}}, .args = {"--diff", "--json", "a.hex", "b.hex"},
	 .status = 1, .err = "ERROR: Cell 6 holds FFh in 'a.hex', 55h in 'b.hex'\n",
	 .std_out = "{\"format_a\":\"Intel HEX\",\"crc32_a\":\"7AB31BAA\",\"format_b\":\"Intel HEX\",\"crc32_b\":\"4752D75E\","
		    "\"differing_cells\":1,\"errors\":[\"Cell 6 holds FFh in 'a.hex', 55h in 'b.hex'\"]}\n"},
	{.name = "diff of two boards' serial numbers", .files = {{"a.hex", USB_42}, {"b.hex", USB_43}},
	 .args = {"--diff", "--serial=10:usb:8", "a.hex", "b.hex"}, .status = 1,
	 .err = "ERROR: Cell 35 holds 32h in 'a.hex', 33h in 'b.hex'\n",
	 .std_out = "format a: Intel HEX\ncrc32 a: 22CA7812\nformat b: Intel HEX\ncrc32 b: EBDDA0CF\ndiffering cells: 1\n"
		    "serial a: 42\nserial b: 43\n"},
	{.name = "diff refuses -c", .args = {"--diff", "-c", "8", "a.hex", "b.hex"}, .status = 1,
	 .err = "ERROR: Option -c has no meaning with --diff\n"},
	{.name = "diff of one image", .args = {"--diff", "a.hex"}, .status = 1,
	 .err = "ERROR: Give two images: tarnwick --diff [options] <image-a> <image-b> (see tarnwick --help)\n"},
	{.name = "diff with a second mode", .args = {"--diff", "--info", "a.hex", "b.hex"}, .status = 1,
	 .err = "ERROR: Options --diff and --info cannot be given together\n"},
	{.name = "diff with a missing image", .files = {{"a.hex", IMAGE}}, .args = {"--diff", "a.hex", "b.hex"},
	 .status = 1, .err = "ERROR: Can't open 'b.hex'\n"},
	{.name = "diff with an empty image", .files = {{"a.hex", IMAGE}, {"b.hex", ""}}, .args = {"--diff", "a.hex", "b.hex"},
	 .status = 1, .err = "ERROR: No data in 'b.hex'\n"},
	{.name = "diff with a file that is no image", .files = {{"a.hex", "junk\n"}, {"b.hex", IMAGE}},
	 .args = {"--diff", "a.hex", "b.hex"}, .status = 1, .err = "ERROR: Invalid Intel hex format on line 1\n"},
};
INSTANTIATE_TEST_SUITE_P(diff, e2e_test, testing::ValuesIn(DIFF_ROWS), case_name());

} // namespace
