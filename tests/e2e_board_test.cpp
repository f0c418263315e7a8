// End-to-end rows of per-board data: fixed bytes, serial numbers, the counter and the log.
#include "e2e_rows.h"

#include <sys/socket.h>
#include <sys/un.h>

namespace {

const e2e_case BOARD_ROWS[] = {
	{.name = "serial number, little-endian, 1 byte", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=2:le:1", "--serial-number=255", "in.hex", "out.hex"},
	 .out = ":0D0000000B03000200FF00000000000000E4\n" + SERIAL_REST},
	{.name = "serial number, little-endian, 3 bytes", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=2:le:3", "--serial-number=66051", "in.hex", "out.hex"},
	 .out = ":0D0000000B030002000302010000000000DD\n" + SERIAL_REST},
	{.name = "serial number, big-endian, the largest", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=2:be:8", "--serial-number=18446744073709551615", "in.hex", "out.hex"},
	 .out = ":0D0000000B03000200FFFFFFFFFFFFFFFFEB\n" + SERIAL_REST},
	{.name = "serial number, 18 decimal digits", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=10:dec:18", "--serial-number=123", "in.hex", "out.hex"},
	 .out = ":0D0000000B030002000000000000000000E3\n:1000130030303030303030303030303030303031DC\n" ":02002300323376\n" + EOF_RECORD},
	{.name = "serial number, hexadecimal digits", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=2:hex:8", "--serial-number=3735928559", "in.hex", "out.hex"},
	 .out = ":0D0000000B030002004445414442454546C3\n" + SERIAL_REST},
	{.name = "serial number, the most hexadecimal digits", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=10:hex:16", "--serial-number=18446744073709551615", "in.hex", "out.hex"},
	 .out = ":0D0000000B030002000000000000000000E3\n:10001300464646464646464646464646464646467D\n" ":020023003000AB\n" + EOF_RECORD},
	{.name = "serial number in a USB string", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=10:usb:8", "--serial-number=42", "in.hex", "out.hex"}, .out = USB_42},
	{.name = "serial number in a USB string of hexadecimal digits", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=10:usbhex:8", "--serial-number=48879", "in.hex", "out.hex"},
	 .out = ":0D0000000B030002000000000000000000E3\n:10001300120330003000300030004200450045003C\n" ":02002300460095\n" + EOF_RECORD},
	{.name = "serial number behind the length header", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"-t", "--serial=2:be:2", "--serial-number=258", "in.hex", "out.hex"},
	 .out = ":0C000000220002000102000000000000CD\n:100012001203300030003000300030003000300079\n" ":020022003000AC\n" + EOF_RECORD},
	{.name = "serial number from the counter", .files = {{"in.hex", SERIAL_PROGRAM}, {"c", "41\n"}},
	 .args = {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"},
	 .out = ":0D0000000B0300020030303431000000001E\n" + SERIAL_REST},
	{.name = "fixed bytes", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--set=2:A5", "--set=0x5:0102", "in.hex", "out.hex"},
	 .out = ":0D0000000B03000200A5000001020000003B\n" + SERIAL_REST},
	{.name = "fixed bytes behind expert-mode data", .files = {{"in.hex", SERIAL_PROGRAM}, {"x.hex", EXPERT}},
	 .args = {"-e", "x.hex", "--set=2:A5", "in.hex", "out.hex"},
	 .out = ":0F0000000B0500E0E10200A50000000000000079\n:100015001203300030003000300030003000300076\n" ":020025003000A9\n" + EOF_RECORD},
	{.name = "fixed bytes in an S-record program", .files = {{"in.s19", "S10D000002000000000000000000F0\n"}},
	 .args = {"--set=2:A5", "in.s19", "out.hex"}, .out = ":0D0000000B03000200A5000000000000003E\n" + EOF_RECORD},
	{.name = "serial number too large for a byte", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=2:le:1", "--serial-number=256", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Serial number 256 does not fit into 1 byte\n", .out = ""},
	{.name = "serial number too large for a digit", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=2:dec:1", "--serial-number=10", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Serial number 10 does not fit into 1 decimal digit\n", .out = ""},
	{.name = "serial number too large for a hexadecimal digit", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=2:hex:1", "--serial-number=16", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Serial number 16 does not fit into 1 hexadecimal digit\n", .out = ""},
	{.name = "serial number from a counter too large for its digits",
	 .files = {{"in.hex", SERIAL_PROGRAM}, {"c", "10000"}},
	 .args = {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Serial number 10000 does not fit into 4 decimal digits\n", .out = ""},
	{.name = "USB string of another length", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=10:usb:7", "--serial-number=1", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: The bytes at 10h are not a USB string descriptor of 7 characters: they are 12h 03h, not 10h 03h\n",
	 .out = ""},
	{.name = "USB string where there is none", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=2:usb:1", "--serial-number=1", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: The bytes at 2h are not a USB string descriptor of 1 character: they are 00h 00h, not 04h 03h\n",
	 .out = ""},
	{.name = "serial number beyond the program", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=10:dec:20", "--serial-number=1", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: The program holds no byte at 22h, which --serial writes\n", .out = ""},
	{.name = "fixed bytes into a gap of the program", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--set=9:AABB", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: The program holds no byte at Ah, which --set writes\n", .out = ""},
	{.name = "fixed bytes that overlap", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--set=2:AABB", "--set=3:CC", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: --set at 2h overlaps --set at 3h\n", .out = ""},
	{.name = "fixed bytes over the serial number", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--set=3:CC", "--serial=2:be:4", "--serial-number=1", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: --set at 3h overlaps --serial at 2h\n", .out = ""},
	{.name = "fixed bytes of an odd digit", .args = {"--set=2:ABC", "in.hex", "out.hex"}, .status = 1,
	 .err = BAD_SET},
	{.name = "fixed bytes, 257 of them", .args = {"--set=0:" + std::string(514, '0'), "in.hex", "out.hex"},
	 .status = 1, .err = BAD_SET},
	{.name = "serial number of 9 bytes", .args = {"--serial=2:le:9", "in.hex", "out.hex"}, .status = 1,
	 .err = BAD_SERIAL},
	{.name = "serial number of no width", .args = {"--serial=2:dec:0", "in.hex", "out.hex"}, .status = 1,
	 .err = BAD_SERIAL},
	{.name = "serial number of 21 digits", .args = {"--serial=2:usb:21", "in.hex", "out.hex"}, .status = 1,
	 .err = BAD_SERIAL},
	{.name = "serial number of another format", .args = {"--serial=2:bcd:2", "in.hex", "out.hex"}, .status = 1,
	 .err = BAD_SERIAL},
	{.name = "serial number beyond 64 bits",
	 .args = {"--serial-number=18446744073709551616", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Invalid serial number\n"},
	{.name = "serial number without a source", .args = {"--serial=2:le:1", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Option --serial needs --serial-number or --serial-counter\n"},
	{.name = "serial number of two sources",
	 .args = {"--serial=2:le:1", "--serial-number=1", "--serial-counter=c", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Options --serial-number and --serial-counter cannot be given together\n"},
	{.name = "serial number without --serial", .args = {"--serial-number=1", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Option --serial-number needs --serial\n"},
	{.name = "serial log without --serial", .args = {"--serial-log=l", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Option --serial-log needs --serial\n"},
	{.name = "serial number twice", .args = {"--serial=2:le:1", "--serial=3:le:1", "in.hex", "out.hex"},
	 .status = 1, .err = "ERROR: Give --serial once\n"},
	{.name = "serial number in the log already",
	 .files = {{"in.hex", SERIAL_PROGRAM}, {"l", "{\"serial\":41}\n"}},
	 .args = {"--serial=2:dec:4", "--serial-number=41", "--serial-log=l", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Serial number 41 is in the log 'l' already\n", .out = ""},
	{.name = "counter of no number", .files = {{"in.hex", SERIAL_PROGRAM}, {"c", "4 1\n"}},
	 .args = {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Counter file 'c' does not hold one decimal number\n", .out = ""},
	{.name = "counter that is the output", .files = {{"in.hex", SERIAL_PROGRAM}, {"out.hex", "5\n"}},
	 .args = {"--serial=2:dec:4", "--serial-counter=out.hex", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Output files 'out.hex' and 'out.hex' are one file\n", .out = "5\n"},
	{.name = "serial log that is the program", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=2:dec:4", "--serial-number=1", "--serial-log=./in.hex", "in.hex", "out.hex"},
	 .status = 1, .err = "ERROR: Output file './in.hex' is also an input file\n"},
	{.name = "serial log of a refused run", .files = {{"in.hex", SERIAL_PROGRAM}, {"out.hex", "{\"serial\":1}"}},
	 .args = {"--serial=2:le:1", "--serial-number=256", "--serial-log=out.hex", "in.hex", "image.hex"},
	 .status = 1, .err = "ERROR: Serial number 256 does not fit into 1 byte\n", .out = "{\"serial\":1}"},
	{.name = "counter of leading zeros",
	 .files = {{"in.hex", SERIAL_PROGRAM}, {"c", std::string(100, '0') + "41\r\n"}},
	 .args = {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"},
	 .out = ":0D0000000B0300020030303431000000001E\n" + SERIAL_REST},
	{.name = "counter of two line ends", .files = {{"in.hex", SERIAL_PROGRAM}, {"c", "41\n\n"}},
	 .args = {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Counter file 'c' does not hold one decimal number\n", .out = ""},
	{.name = "serial log that is the counter's lock file", .files = {{"in.hex", SERIAL_PROGRAM}, {"c", "41\n"}},
	 .args = {"--serial=2:dec:4", "--serial-counter=c", "--serial-log=c.lock", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Output files 'c.lock' and 'c.lock' are one file\n"},
	{.name = "counter missing", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Can't open 'c'\n", .out = ""},
	{.name = "serial number taken and not used", .files = {{"in.hex", SERIAL_PROGRAM}, {"c", "7\n"}},
	 .args = {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "/dev/full"}, .status = 1,
	 .err = "ERROR: Can't write '/dev/full'\nERROR: Serial number 7 was taken and not used\n"},
	{.name = "serial number on a last line without a line end",
	 .files = {{"in.hex", SERIAL_PROGRAM}, {"l", "{\"serial\":1000"}},
	 .args = {"--serial=2:dec:4", "--serial-number=1000", "--serial-log=l", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Serial number 1000 is in the log 'l' already\n", .out = ""},
	{.name = "serial key with blanks across the log's blocks",
	 .files = {{"in.hex", SERIAL_PROGRAM}, {"l", std::string(65466, '\n') + "\"serial\"" + std::string(100, ' ') + ":7,\n"}},
	 .args = {"--serial=2:dec:4", "--serial-number=7", "--serial-log=l", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Serial number 7 is in the log 'l' already\n", .out = ""},
	{.name = "counter that is a device", .files = {{"in.hex", SERIAL_PROGRAM}},
	 .args = {"--serial=2:dec:4", "--serial-counter=/dev/null", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Counter file '/dev/null' does not hold one decimal number\n", .out = "",
	 .flags = LINUX_ONLY},
	{.name = "a log that cannot take its line leaves the image empty",
	 .files = {{"in.hex", SERIAL_PROGRAM}, {"l", std::string(4000, 'x')}},
	 .args = {"--serial=2:dec:4", "--serial-number=8", "--serial-log=l", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Can't write 'l'\n", .out = "", .flags = RUN_FILE_SIZE_LIMIT},
	{.name = "log line cut off at the file size limit",
	 .files = {{"in.hex", SERIAL_PROGRAM}, {"out.hex", std::string(4000, 'x')}},
	 .args = {"--serial=2:dec:4", "--serial-number=8", "--serial-log=out.hex", "in.hex", "image.hex"},
	 .status = 1, .err = "ERROR: Can't write 'out.hex'\n", .out = std::string(4000, 'x'),
	 .flags = RUN_FILE_SIZE_LIMIT},
	{.name = "info of a serial number", .files = {{"e.hex", USB_42}},
	 .args = {"--info", "--serial=10:usb:8", "e.hex"}, .std_out = SERIAL_REPORT + "serial: 42\n"},
	{.name = "info of a serial number that is none", .files = {{"e.hex", USB_42}},
	 .args = {"--info", "--serial=10:dec:8", "e.hex"}, .status = 1,
	 .err = "ERROR: The serial number at 10h is not a decimal number of 8 digits: cell 19 holds 12h\n",
	 .std_out = SERIAL_REPORT + "serial: unknown\n"},
	{.name = "info refuses a serial number", .args = {"--info", "--serial-number=4", "e.hex"}, .status = 1,
	 .err = "ERROR: Option --serial-number has no meaning with --info\n"},
	{.name = "verify a board by the serial number it holds",
	 .files = {{"in.hex", SERIAL_PROGRAM}, {"e.hex", USB_42}},
	 .args = {"--verify", "--serial=10:usb:8", "in.hex", "e.hex"}, .std_out = NO_DIFFERENCE + "serial: 42\n"},
	{.name = "verify a board by another serial number", .files = {{"in.hex", SERIAL_PROGRAM}, {"e.hex", USB_42}},
	 .args = {"--verify", "--serial=10:usb:8", "--serial-number=43", "in.hex", "e.hex"}, .status = 1,
	 .err = "ERROR: Cell 35 holds 32h, expected 33h\n", .std_out = "differing cells: 1\nserial: 43\n"},
	{.name = "verify a board never given a number against the log",
	 .files = {{"in.hex", SERIAL_PROGRAM}, {"e.hex", ":0D0000000B030002000000000000000000E3\n" + SERIAL_REST}, {"l", "{\"serial\":42}\n"}},
	 .args = {"--verify", "--serial=10:usb:8", "--serial-log=l", "in.hex", "e.hex"}, .status = 1,
	 .err = "ERROR: Serial number 0 is not in the log 'l'\n", .std_out = NO_DIFFERENCE + "serial: 0\n"},
	{.name = "verify a board whose number the log holds twice",
	 .files = {{"in.hex", SERIAL_PROGRAM}, {"e.hex", USB_42}, {"l", "{\"serial\":42}\n{\"serial\": 42"}},
	 .args = {"--verify", "--serial=10:usb:8", "--serial-log=l", "in.hex", "e.hex"}, .status = 1,
	 .err = "ERROR: Serial number 42 is in the log 'l' 2 times\n", .std_out = NO_DIFFERENCE + "serial: 42\n"},
	{.name = "verify a board given its number, in the log once",
	 .files = {{"in.hex", SERIAL_PROGRAM}, {"e.hex", USB_42}, {"l", "{\"serial\":41}\n{\"serial\":42}\n"}},
	 .args = {"--verify", "--serial=10:usb:8", "--serial-number=42", "--serial-log=l", "in.hex", "e.hex"},
	 .std_out = NO_DIFFERENCE + "serial: 42\n"},
	{.name = "verify against a missing log", .files = {{"in.hex", SERIAL_PROGRAM}, {"e.hex", USB_42}},
	 .args = {"--verify", "--serial=10:usb:8", "--serial-log=l", "in.hex", "e.hex"}, .status = 1,
	 .err = "ERROR: Can't open 'l'\n", .std_out = NO_DIFFERENCE + "serial: 42\n"},
	{.name = "verify fixed bytes",
	 .files = {{"in.hex", SERIAL_PROGRAM}, {"e.hex", ":0D0000000B03000200A5000001020000003B\n" + SERIAL_REST}},
	 .args = {"--verify", "--set=2:A5", "--set=5:0102", "in.hex", "e.hex"}, .std_out = NO_DIFFERENCE},
	{.name = "extract a board with its serial number", .files = {{"e.hex", USB_42}},
	 .args = {"--extract", "--serial=10:usb:8", "e.hex", "out.hex"},
	 .out = ":0A00000002000000000000000000F4\n:100010001203300030003000300030003000340077\n" ":020020003200AC\n" + EOF_RECORD,
	 .std_out = SERIAL_REPORT + "serial: 42\ncommand: tarnwick out.hex e.hex\n"},
	// A failed flush of the counter's new file leaves the counter as it was;
	// one of its folder, behind the rename, may have taken the number. Either
	// ends the run before the image is written.
	{.name = "counter whose new file fails to flush", .files = {{"in.hex", SERIAL_PROGRAM}, {"c", "41\n"}},
	 .args = {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Can't write 'c'\n", .out = "", .flags = NEEDS_FAULTS, .faults = {"TARNWICK_FAIL_FSYNC=1"},
	 .checked = "c", .checked_holds = "41\n"},
	{.name = "counter whose folder fails to flush", .files = {{"in.hex", SERIAL_PROGRAM}, {"c", "41\n"}},
	 .args = {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Can't write 'c'\nERROR: Serial number 41 was taken and not used\n", .out = "",
	 .flags = NEEDS_FAULTS, .faults = {"TARNWICK_FAIL_FSYNC=2"}, .checked = "c", .checked_holds = "42\n"},
	{.name = "counter whose folder cannot be opened to flush", .files = {{"in.hex", SERIAL_PROGRAM}, {"c", "41\n"}},
	 .args = {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Can't write 'c'\nERROR: Serial number 41 was taken and not used\n", .out = "",
	 .flags = NEEDS_FAULTS, .faults = {"TARNWICK_FAIL_FOLDER=1"}, .checked = "c", .checked_holds = "42\n"},
};
INSTANTIATE_TEST_SUITE_P(board, e2e_test, testing::ValuesIn(BOARD_ROWS), case_name());

// Stations that take serial numbers from one counter at once take one each,
// and each logs a line for its image.
TEST(serial_counter, runs_at_once_take_a_number_each_and_log_it)
{
	const int RUNS = 8;
	scratch_dir shared, dirs[RUNS];
	shared.write("c", "100\n");
	std::vector<std::thread> runs;
	tool_run results[RUNS];
	for (int i = 0; i < RUNS; i++) {
		dirs[i].write("in.hex", SERIAL_PROGRAM);
		runs.emplace_back([&, i] {
			results[i] = dirs[i].run({"--serial=2:dec:4", "--serial-counter=" + shared.path("c"),
						  "--serial-log=" + shared.path("l"), "in.hex", "out.hex"});
		});
	}
	for (std::thread &t : runs)
		t.join();
	EXPECT_EQ(as_written("108\n"), shared.read("c"));
	std::string log = shared.read("l"), serials;
	for (int i = 0; i < RUNS; i++) {
		EXPECT_EQ(0, results[i].status) << results[i].err;
		std::string image = dirs[i].read("out.hex");
		std::string digits = image.substr(image.find("0B030002") + 10, 8); // "3031303N"
		serials += digits.substr(7, 1);
		size_t line = log.find("\"serial\":10" + digits.substr(7, 1) + ",\"bytes\":\"" + digits +
				       "\",\"address\":\"2\",\"program\":\"in.hex\",\"image\":\"out.hex\","
				       "\"form\":\"Intel HEX\",\"crc32\":\"");
		ASSERT_NE(std::string::npos, line) << log;
		EXPECT_EQ("T", log.substr(line - 12, 1)) << log; // "time":"2026-12-10T10:42:42Z",
		const std::string version = ",\"version\":\"" TARNWICK_BANNER_VERSION "\"}\n";
		EXPECT_EQ(version, log.substr(log.find(",\"version", line), version.size()));
	}
	std::sort(serials.begin(), serials.end());
	EXPECT_EQ("01234567", serials);
}

// A run refused before it takes a number leaves the counter as it was; one
// that fails after it has taken one leaves a gap.
TEST(serial_counter, takes_no_number_for_a_refused_run)
{
	scratch_dir dir;
	dir.write("in.hex", SERIAL_PROGRAM);
	dir.write("c", "41\n");
	dir.write("l", "{\"serial\":41}\n");
	const std::vector<std::string> args = {"--serial=2:dec:4", "--serial-counter=c", "in.hex"};
	std::vector<std::string> logged = args, full = args;
	logged.insert(logged.end(), {"--serial-log=l", "out.hex"});
	full.push_back("/dev/full");
	EXPECT_EQ(1, dir.run(logged).status);
	EXPECT_EQ("41\n", dir.read("c"));
	EXPECT_EQ("{\"serial\":41}\n", dir.read("l"));
	EXPECT_EQ(1, dir.run(full).status);
	EXPECT_EQ(as_written("42\n"), dir.read("c"));
	// Behind a last line without its line end, the next begins a line, and
	// its number is refused from then on.
	dir.write("open.log", "{\"serial\":7}");
	const std::vector<std::string> eight = {"--serial=2:dec:4", "--serial-number=8", "--serial-log=open.log",
						"in.hex", "out.hex"};
	EXPECT_EQ(0, dir.run(eight).status);
	EXPECT_EQ("{\"serial\":7}\n{\"time\":\"", dir.read("open.log").substr(0, 22));
	EXPECT_EQ(1, dir.run(eight).status);
}

// A counter that another program holds open for reading, as one that
// watches it does, is replaced all the same.
TEST(serial_counter, is_replaced_while_a_reader_holds_it_open)
{
	scratch_dir dir;
	dir.write("in.hex", SERIAL_PROGRAM);
	dir.write("c", "41\n");
	std::string binary = tarnwick_binary(), holder = binary.substr(0, binary.rfind('/') + 1) + "tarnwick_hold_open.exe";
	ASSERT_TRUE(!windows_binary() || access(holder.c_str(), X_OK) == 0) << "scripts/windows.sh builds " << holder;
	background_run reader(dir.path("."), windows_binary() ? std::vector<std::string>{"wine", holder, "c", "1500"}
							    : std::vector<std::string>{"sh", "-c", "exec 3<c; echo; sleep 1"});
	tool_run r = dir.run({"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"});
	EXPECT_EQ(0, r.status) << r.err;
	EXPECT_EQ(as_written("42\n"), dir.read("c"));
}

// A run killed between writing the counter's new number and putting it in
// place leaves the counter as it was: the next run takes that number and
// removes the new file that the killed one left.
TEST(serial_counter, a_run_killed_before_its_rename_leaves_its_number_to_the_next)
{
	if (!faults_injectable())
		GTEST_SKIP() << "the fault library is preloaded into a Linux binary alone";
	scratch_dir dir;
	dir.write("in.hex", SERIAL_PROGRAM);
	dir.write("c", "41\n");
	const std::vector<std::string> args = {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"};
	EXPECT_EQ(128 + SIGKILL, dir.run(args, 0, 0, {"TARNWICK_KILL_AT_RENAME=1"}).status);
	EXPECT_EQ("41\n", dir.read("c"));
	EXPECT_EQ("42\n", dir.read("c.new"));
	EXPECT_EQ(0, dir.run(args).status);
	EXPECT_EQ(":0D0000000B0300020030303431000000001E\n" + SERIAL_REST, dir.read("out.hex"));
	EXPECT_EQ("42\n", dir.read("c"));
	EXPECT_EQ(ABSENT, dir.read("c.new"));
}

// Two stations that share a log, and give one number, or give it and find
// it in their counter: however their runs meet, one writes it and the other
// is refused.
TEST(serial_log, two_runs_at_once_never_write_one_number_twice)
{
	const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
	for (int round = 0; round < 20 && std::chrono::steady_clock::now() < until; round++) {
		scratch_dir shared, a, b;
		shared.write("c", "7\n");
		a.write("in.hex", SERIAL_PROGRAM);
		b.write("in.hex", SERIAL_PROGRAM);
		const std::string log = "--serial-log=" + shared.path("l");
		const std::string other = round % 2 ? "--serial-counter=" + shared.path("c") : "--serial-number=7";
		tool_run ra, rb;
		std::thread first([&] { ra = a.run({"--serial=2:dec:4", "--serial-number=7", log, "in.hex", "out.hex"}); });
		rb = b.run({"--serial=2:dec:4", other, log, "in.hex", "out.hex"});
		first.join();
		EXPECT_EQ(1, (ra.status == 0) + (rb.status == 0)) << ra.err << rb.err;
	}
}

// A log that is a local socket is refused at once while no program
// listens on it, and written when one does.
TEST(serial_log, a_socket_is_written_when_a_program_listens)
{
	if (windows_binary())
		GTEST_SKIP() << "Windows has no local sockets among its files";
	scratch_dir dir;
	dir.write("in.hex", SERIAL_PROGRAM);
	const std::vector<std::string> args = {"--serial=2:dec:4", "--serial-number=5", "--serial-log=sock", "in.hex",
					       "out.hex"};
	sockaddr_un address = {};
	address.sun_family = AF_UNIX;
	std::snprintf(address.sun_path, sizeof address.sun_path, "%s", dir.path("sock").c_str());
	int listener = socket(AF_UNIX, SOCK_STREAM, 0);
	ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address));
	EXPECT_EQ(BANNER + "ERROR: Log 'sock' has no reader\n", dir.run(args).err);
	ASSERT_EQ(0, listen(listener, 1));
	std::string line;
	std::thread reader([&] {
		int fd = accept(listener, nullptr, nullptr);
		for (char ch; read(fd, &ch, 1) == 1;)
			line += ch;
		close(fd);
	});
	EXPECT_EQ(0, dir.run(args).status);
	shutdown(listener, SHUT_RDWR); // a run that never connected leaves accept waiting
	reader.join();
	close(listener);
	EXPECT_NE(std::string::npos, line.find("\"serial\":5,")) << line;
}

// A log of more than 128 KiB is read to its end, and the line for a name of
// control characters, each six bytes in JSON, is written whole.
TEST(serial_log, reads_a_long_log_and_writes_a_long_line)
{
	if (windows_binary())
		GTEST_SKIP() << "Windows file names hold no control characters";
	scratch_dir dir;
	const std::string name(200, '\x01');
	dir.write(name, SERIAL_PROGRAM);
	std::string log, escaped;
	for (int n = 0; log.size() < 200 * 1024; n++)
		log += "{\"serial\":" + std::to_string(n) + "}\n";
	dir.write("l", log);
	ASSERT_EQ(0, dir.run({"--serial=2:dec:5", "--serial-number=99999", "--serial-log=l", name, "out.hex"}).status);
	for (char ch : name)
		escaped += "\\u000" + std::to_string(ch);
	const std::string line = dir.read("l").substr(log.size());
	EXPECT_NE(std::string::npos, line.find(",\"program\":\"" + escaped + "\",\"image\":\"out.hex\",")) << line;
	EXPECT_EQ(1, std::count(line.begin(), line.end(), '\n'));
}

} // namespace
