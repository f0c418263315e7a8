// End-to-end rows of --map and --json: the map's characters and rows, and the report as JSON.
#include "e2e_rows.h"

namespace {

const e2e_case MAP_JSON_ROWS[] = {
	{.name = "map without a mode", .args = {"--map", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Option --map needs --info, --verify, --extract or --diff\n"},
	{.name = "JSON before map without a mode", .args = {"--map", "--json", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Option --json needs --info, --verify, --extract, --diff or --update\n"},
	{.name = "info with a map", .files = {{"e.hex", IMAGE}}, .args = {"--info", "--map", "e.hex"},
	 .std_out = HEX_REPORT + crc32_is("7AB31BAA") + MAP_LEGEND + "\n  0000 +...............\n"},
	{.name = "map of a chip that ends within its last block",
	 .files = {{"e.bin", std::string("\x0B\x03\x00\x02", 4) + std::string(296, '\0')}},
	 .args = {"--info", "--map", "--binary", "--fill=00", "-p", "256", "--eeprom-size=300", "e.bin"},
	 .std_out = "format: raw binary\n" + BOOT_16 + "start cell: 3\nlast block: 0\nexpert data: none\n"
		    "program: cells 3 to 3\nused: 4 of 256 bytes (1.6%)\n" + crc32_is("03E2271D") + MAP_LEGEND +
		    "\n  0000 +.\n"},
	{.name = "verify with a map", .files = {{"in.hex", PROGRAM}, {"e.bin", RAW_DIFFERING}},
	 .args = {"--verify", "--map", "--binary", "-p", "32", "in.hex", "e.bin"}, .status = 1,
	 .err = differences(10, ""), .std_out = "differing cells: 10\n" + MAP_LEGEND + ", X differs\n  0000 X\n"},
	{.name = "extract a raw image of another size than the EEPROM", .files = {{"e.bin", CHIP_16}},
	 .args = {"--extract", "--map", "--binary", "-p", "8", "--eeprom-size=32", "e.bin", "out.hex"}, .status = 1,
	 .err = "ERROR: 'e.bin' holds 16 bytes, not the 32 of the EEPROM (--eeprom-size)\n",
	 .std_out = RAW_REPORT + "crc32: BB2D800F\n" + MAP_LEGEND + "\n  0000 +\n"},
	{.name = "map of a byte in use beyond 64 KiB", .files = {{"e.bin", CHIP_70000}},
	 .args = {"--info", "--map", "--binary", "-p", "8", "--eeprom-size=70010", "e.bin"}, .status = 1,
	 .err = "ERROR: Header cell 2 names block 0 as the last in use, but the last cell in use, 70000, lies in " "block 273\n" + BEYOND_8,
	 .std_out = with(with(RAW_REPORT, "3 to 5", "3 to 70000"), "6 of 8 bytes (75.0%)", "70001 of 8 bytes (875012.5%)") + crc32_is("0E90A3EA") + MAP_LEGEND + "\n" + map_rows(274, 5, "+", "!")},
	{.name = "map near the end of a 16 MiB chip",
	 .files = {{"e.hex", IMAGE + ":0200000400FFFB\n:01FFF00055BB\n"}},
	 .args = {"--info", "--map", "--eeprom-size=16384K", "e.hex"}, .status = 1,
	 .err = "ERROR: Header cell 2 names block 0 as the last in use, but the last cell in use, 16777200, lies in " "block 65535\nERROR: Cells up to 16777200 are in use, beyond the program memory of 4096 bytes; give -p " "the program memory size the image was written for\n",
	 .std_out = with(with(HEX_REPORT, "3 to 5", "3 to 16777200"), "6 of 4096 bytes (0.1%)", "16777201 of 4096 bytes (409599.6%)") + crc32_is("536961CD") + MAP_LEGEND + "\n" + map_rows(65536, 6, "+", "!")},
	{.name = "map of a block of 00 bytes, each in use",
	 .files = {{"e.hex", records_of("\x0B\x03\x01" + std::string(509, '\0'))}},
	 .args = {"--info", "--map", "-p", "512", "e.hex"},
	 .std_out = with(with(with(HEX_REPORT, "block: 0", "block: 1"), "3 to 5", "3 to 511"), "6 of 4096 bytes (0.1%)", "512 of 512 bytes (100.0%)") + crc32_is("E5949F02") + MAP_LEGEND + "\n  0000 ##\n"},
	{.name = "map of a byte behind the program memory", .files = {{"e.hex", IMAGE + ":0110000011DE\n"}},
	 .args = {"--info", "--map", "e.hex"}, .status = 1,
	 .err = "ERROR: Header cell 2 names block 0 as the last in use, but the last cell in use, 4096, lies in block 16\n" "ERROR: Cells up to 4096 are in use, beyond the program memory of 4096 bytes; give -p the program memory " "size the image was written for\n",
	 .std_out = with(with(HEX_REPORT, "3 to 5", "3 to 4096"), "6 of 4096 bytes (0.1%)", "4097 of 4096 bytes (100.0%)") + crc32_is("7AB31BAA") + MAP_LEGEND + "\n  0000 +...............!\n"},
	{.name = "info of a serial number as JSON", .files = {{"e.hex", USB_42}},
	 .args = {"--info", "--json", "--serial=10:usb:8", "e.hex"},
	 .std_out = "{\"format\":\"Intel HEX\",\"header\":\"boot\",\"crystal\":\"16 MHz\",\"eeprom_clock\":\"1 MHz and higher\"," "\"start_cell\":3,\"last_block\":0,\"expert_data\":\"none\",\"program\":\"cells 3 to 36\",\"used\":" "\"37 of 4096 bytes (0.9%)\",\"crc32\":\"22CA7812\",\"serial\":42,\"errors\":[]}\n"},
	{.name = "info as JSON", .files = {{"e.hex", IMAGE}}, .args = {"--info", "--json", "e.hex"},
	 .std_out = "{\"format\":\"Intel HEX\",\"header\":\"boot\",\"crystal\":\"16 MHz\",\"eeprom_clock\":" "\"1 MHz and higher\",\"start_cell\":3,\"last_block\":0,\"expert_data\":\"none\",\"program\":" "\"cells 3 to 5\",\"used\":\"6 of 4096 bytes (0.1%)\",\"crc32\":\"7AB31BAA\",\"errors\":[]}\n"},
	{.name = "map as JSON", .files = {{"e.hex", IMAGE}},
	 .args = {"--info", "--json", "--map", "-p", "256", "e.hex"},
	 .std_out = "{\"format\":\"Intel HEX\",\"header\":\"boot\",\"crystal\":\"16 MHz\",\"eeprom_clock\":" "\"1 MHz and higher\",\"start_cell\":3,\"last_block\":0,\"expert_data\":\"none\",\"program\":" "\"cells 3 to 5\",\"used\":\"6 of 256 bytes (2.3%)\",\"crc32\":\"3387A514\",\"map\":[\"0000 +\"]," "\"errors\":[]}\n"},
	{.name = "verify as JSON", .files = {{"in.hex", PROGRAM}, {"e.hex", ":060000000B0300020100E9\n"}},
	 .args = {"--verify", "--json", "in.hex", "e.hex"}, .status = 1,
	 .err = "ERROR: Cell 4 holds 01h, expected 00h\n",
	 .std_out = "{\"differing_cells\":1,\"errors\":[\"Cell 4 holds 01h, expected 00h\"]}\n"},
	{.name = "JSON of a name beyond UTF-8", .args = {"--info", "--json", "\xFF.hex"}, .status = 1,
	 .err = "ERROR: Can't open '\xFF.hex'\n", .flags = LINUX_ONLY,
	 .std_out = "{\"errors\":[\"Can't open '\xEF\xBF\xBD.hex'\"]}\n"},
	{.name = "JSON without a mode", .args = {"--json", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Option --json needs --info, --verify, --extract, --diff or --update\n"},
};
INSTANTIATE_TEST_SUITE_P(map_json, e2e_test, testing::ValuesIn(MAP_JSON_ROWS), case_name());

} // namespace
