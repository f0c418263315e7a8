// End-to-end rows of --update: the pages written into a chip that a file stands for, their order, faults of the chip.
#include "e2e_rows.h"

namespace {

// A chip of 4 KiB, erased; and holding the image of PROGRAM.
const std::string IMAGE_4K = RAW_8.substr(0, 6) + std::string(4090, '\xFF');
// A program of two pages: the header's, and the one of address 100h.
const std::string TWO_PAGES = ":03000000020000FB\n:01010000AA54\n" + EOF_RECORD;
const std::string CALLS = "TARNWICK_CHIP_CALLS=calls";

// The report of an update of a chip of 4 KiB, pages of 32 bytes.
std::string updated(int written, int unchanged, int bytes, const char *crc)
{
	return "chip: out.hex\nchip size: 4096\npage size: 32\npages written: " + std::to_string(written) +
	       "\npages unchanged: " + std::to_string(unchanged) + "\nbytes written: " + std::to_string(bytes) +
	       "\ncrc32: " + crc + "\n";
}

// IMAGE_4K with one cell changed.
std::string image_4k_but(size_t cell, char byte)
{
	std::string chip = IMAGE_4K;
	chip[cell] = byte;
	return chip;
}

const e2e_case UPDATE_ROWS[] = {
	{.name = "update a chip that holds the image", .files = {{"in.hex", PROGRAM}, {"out.hex", IMAGE_4K}},
	 .args = {"--update", "in.hex", "out.hex"}, .out = IMAGE_4K, .flags = RAW_OUTPUT,
	 .std_out = updated(0, 128, 0, "7AB31BAA"), .faults = {CALLS}, .checked = "calls", .checked_holds = ABSENT},
	{.name = "update one changed cell in one write", .files = {{"in.hex", PROGRAM}, {"out.hex", image_4k_but(100, 'U')}},
	 .args = {"--update", "in.hex", "out.hex"}, .out = IMAGE_4K, .flags = RAW_OUTPUT,
	 .std_out = updated(1, 127, 32, "7AB31BAA"), .faults = {CALLS}, .checked = "calls", .checked_holds = "96 32\n"},
	{.name = "update the header's page last", .files = {{"in.hex", TWO_PAGES}, {"out.hex", ERASED_4K}},
	 .args = {"--update", "in.hex", "out.hex"}, .out = "\x0B\x03\x01\x02" + std::string(2, '\0') +
	 std::string(253, '\xFF') + "\xAA" + std::string(3836, '\xFF'), .flags = RAW_OUTPUT,
	 .std_out = updated(2, 126, 64, "04FA9160"), .faults = {CALLS}, .checked = "calls",
	 .checked_holds = "256 32\n0 32\n"},
	{.name = "update in short writes", .files = {{"in.hex", PROGRAM}, {"out.hex", ERASED_4K}},
	 .args = {"--update", "in.hex", "out.hex"}, .out = IMAGE_4K, .flags = RAW_OUTPUT,
	 .std_out = updated(1, 127, 32, "7AB31BAA"), .faults = {CALLS, "TARNWICK_CHIP_SHORT=5"}, .checked = "calls",
	 .checked_holds = "0 32\n5 27\n10 22\n15 17\n20 12\n25 7\n30 2\n"},
	{.name = "update a page that the chip does not take", .files = {{"in.hex", TWO_PAGES}, {"out.hex", ERASED_4K}},
	 .args = {"--update", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: The chip did not take the page at cell 0\n",
	 .out = std::string(259, '\xFF') + "\xAA" + std::string(3836, '\xFF'), .flags = RAW_OUTPUT | NEEDS_FAULTS,
	 .std_out = updated(1, 127, 32, "F456DAAF") + "page: 0\n", .faults = {"TARNWICK_CHIP_FAIL=2:110"}},
	{.name = "update a write-protected chip", .files = {{"in.hex", TWO_PAGES}, {"out.hex", ERASED_4K}},
	 .args = {"--update", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Cell 0 holds FFh, expected 0Bh\nERROR: Cell 1 holds FFh, expected 03h\n"
		"ERROR: Cell 2 holds FFh, expected 01h\nERROR: Cell 3 holds FFh, expected 02h\n"
		"ERROR: Cell 4 holds FFh, expected 00h\nERROR: Cell 5 holds FFh, expected 00h\n"
		"ERROR: Cell 259 holds FFh, expected AAh\nERROR: 2 pages of 'out.hex' would not take the image\n",
	 .out = ERASED_4K, .flags = RAW_OUTPUT | NEEDS_FAULTS,
	 .std_out = updated(4, 126, 128, "F154670A") + "page: 0\npage: 256\n",
	 .faults = {CALLS, "TARNWICK_CHIP_PROTECT=1"}, .checked = "calls", .checked_holds = "256 32\n0 32\n256 32\n256 32\n"},
	{.name = "update a chip that ends within its pages", .files = {{"in.hex", TWO_PAGES}, {"out.hex", ERASED_4K}},
	 .args = {"--update", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: The chip ends before the page at cell 256\n", .out = ERASED_4K, .flags = RAW_OUTPUT | NEEDS_FAULTS,
	 .std_out = updated(0, 128, 0, "F154670A") + "page: 0\npage: 256\n", .faults = {"TARNWICK_CHIP_END=200"}},
	{.name = "update a chip smaller than the image", .files = {{"in.hex", PROGRAM}, {"out.hex", std::string(100, '\xFF')}},
	 .args = {"--update", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: 'out.hex' holds 100 bytes, fewer than the 4096 of the image\n", .out = std::string(100, '\xFF'),
	 .flags = RAW_OUTPUT},
	{.name = "update a chip of another size than the EEPROM's", .files = {{"in.hex", PROGRAM}, {"out.hex", ERASED_4K}},
	 .args = {"--update", "--eeprom-size=8K", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: 'out.hex' holds 4096 bytes, not the 8192 of the EEPROM (--eeprom-size)\n", .out = ERASED_4K,
	 .flags = RAW_OUTPUT},
	{.name = "update an empty chip file", .files = {{"in.hex", PROGRAM}, {"out.hex", ""}},
	 .args = {"--update", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: 'out.hex' holds 0 bytes, fewer than the 4096 of the image\n", .out = "", .flags = RAW_OUTPUT},
	{.name = "update a chip of no size", .files = {{"in.hex", PROGRAM}}, .args = {"--update", "in.hex", "/dev/null"},
	 .status = 1, .err = "ERROR: The system tells no size of '/dev/null': give --eeprom-size\n", .flags = LINUX_ONLY},
	{.name = "update a chip that may not be written", .files = {{"in.hex", PROGRAM}, {"out.hex", ERASED_4K}},
	 .args = {"--update", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Can't open 'out.hex': permission denied (an nvmem file is usually root's alone)\n",
	 .out = ERASED_4K, .flags = RAW_OUTPUT | RUN_UNPRIVILEGED | LINUX_ONLY},
	{.name = "update a missing chip", .files = {{"in.hex", PROGRAM}}, .args = {"--update", "in.hex", "out.hex"},
	 .status = 1, .err = "ERROR: Can't open 'out.hex'\n"},
	{.name = "update the program memory alone", .files = {{"in.hex", PROGRAM}, {"out.hex", std::string(128, 'U')}},
	 .args = {"--update", "-p", "64", "in.hex", "out.hex"},
	 .out = RAW_8.substr(0, 6) + std::string(58, '\xFF') + std::string(64, 'U'), .flags = RAW_OUTPUT,
	 .std_out = "chip: out.hex\nchip size: 128\npage size: 8\npages written: 8\npages unchanged: 0\n"
		    "bytes written: 64\ncrc32: 180EB74D\n"},
	{.name = "update dry", .files = {{"in.hex", PROGRAM}, {"out.hex", ERASED_4K}},
	 .args = {"--update", "--dry-run", "--json", "in.hex", "out.hex"}, .out = ERASED_4K, .flags = RAW_OUTPUT,
	 .std_out = "{\"chip\":\"out.hex\",\"chip_size\":4096,\"page_size\":32,\"pages_written\":0,\"pages_unchanged\":128,"
		    "\"bytes_written\":0,\"crc32\":\"F154670A\",\"pages_to_write\":1,\"pages\":[0],\"errors\":[]}\n",
	 .faults = {CALLS}, .checked = "calls", .checked_holds = ABSENT},
	{.name = "update dry of a number that the log holds",
	 .files = {{"in.hex", ":0A00000002000000000000000000F4\n"}, {"out.hex", ERASED_4K}, {"l", "{\"serial\":7}\n"}},
	 .args = {"--update", "--dry-run", "--serial=2:dec:4", "--serial-number=7", "--serial-log=l", "in.hex", "out.hex"},
	 .status = 1, .err = "ERROR: Serial number 7 is in the log 'l' already\n", .out = ERASED_4K, .flags = RAW_OUTPUT},
	{.name = "update pages of a size given", .files = {{"in.hex", PROGRAM}, {"out.hex", ERASED_4K}},
	 .args = {"--update", "--page-size=4", "in.hex", "out.hex"}, .out = IMAGE_4K, .flags = RAW_OUTPUT,
	 .std_out = "chip: out.hex\nchip size: 4096\npage size: 4\npages written: 2\npages unchanged: 1022\n"
		    "bytes written: 8\ncrc32: 7AB31BAA\n", .faults = {CALLS}, .checked = "calls", .checked_holds = "4 4\n0 4\n"},
	{.name = "update with a serial number from the counter",
	 .files = {{"in.hex", ":0A00000002000000000000000000F4\n"}, {"c", "41\n"}, {"out.hex", ERASED_4K}},
	 .args = {"--update", "--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"},
	 .out = std::string("\x0B\x03\x00\x02\x00" "0041", 9) + std::string(4, '\0') + std::string(4083, '\xFF'), .flags = RAW_OUTPUT,
	 .std_out = updated(1, 127, 32, "5147E769") + "serial: 41\n", .checked = "c", .checked_holds = "42\n"},
	{.name = "update refuses -b", .args = {"--update", "-b", "100", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Option -b has no meaning with --update\n"},
	{.name = "page size without --update", .args = {"--page-size=8", "in.hex", "out.hex"}, .status = 1,
	 .err = "ERROR: Option --page-size needs --update\n"},
	{.name = "page size of no power of two", .args = {"--update", "--page-size=24", "in.hex", "out.hex"},
	 .status = 1, .err = "ERROR: Invalid --page-size value\n"},
	{.name = "dry run without --update", .args = {"--dry-run", "--info", "out.hex"}, .status = 1,
	 .err = "ERROR: Option --dry-run has no meaning with --info\n"},
};
INSTANTIATE_TEST_SUITE_P(update, e2e_test, testing::ValuesIn(UPDATE_ROWS), case_name());

// A program of 40 pages of 8 bytes behind the header, and a chip of 4 KiB.
void forty_pages(const scratch_dir &dir)
{
	dir.write("in.hex", records_of(317));
	dir.write("chip", ERASED_4K);
}

// On a terminal a run that writes more than 16 pages draws its progress,
// and ends the line before it is done; elsewhere it draws nothing.
TEST(update, draws_its_progress_on_a_terminal_alone)
{
	if (windows_binary() || under_valgrind())
		GTEST_SKIP() << "the pseudo-terminal of script(1) runs a Linux binary alone";
	scratch_dir dir;
	forty_pages(dir);
	tool_run plain = dir.run({"--update", "--page-size=8", "in.hex", "chip"});
	EXPECT_EQ(BANNER, plain.err);
	dir.write("chip", ERASED_4K);
	tool_run on_terminal = dir.run_command({"script", "-qec", "tarnwick --update --page-size=8 in.hex chip 2>&1 >/dev/null",
						"/dev/null"});
	EXPECT_EQ(0, on_terminal.status);
	EXPECT_NE(std::string::npos, on_terminal.out.find("\r40 of 40 pages, 320 bytes, ")) << on_terminal.out;
	EXPECT_EQ(" left  \r\n", on_terminal.out.substr(on_terminal.out.size() - 9)) << on_terminal.out;
}

// Two runs on one chip do not interleave: the second waits for the first,
// and finds the chip holding what that wrote.
TEST(update, two_runs_on_one_chip_take_turns)
{
	if (!faults_injectable())
		GTEST_SKIP() << "the fault library is preloaded into a Linux binary alone";
	scratch_dir a, b;
	forty_pages(a);
	forty_pages(b);
	const std::vector<std::string> args = {"--update", "--page-size=8", "in.hex", a.path("chip")};
	tool_run first;
	std::thread slow([&] { first = a.run(args, 0, 0, {"TARNWICK_CHIP_DELAY=20"}); });
	std::this_thread::sleep_for(std::chrono::milliseconds(100));
	tool_run second = b.run(args);
	slow.join();
	EXPECT_NE(std::string::npos, first.out.find("pages written: 40\n")) << first.out;
	EXPECT_NE(std::string::npos, second.out.find("pages written: 0\n")) << second.out;
}

// A serial number goes to the log only once the chip reads back holding
// the image, on a line whose form is the chip's.
TEST(update, logs_a_serial_number_once_the_chip_holds_it)
{
	if (!faults_injectable())
		GTEST_SKIP() << "the fault library is preloaded into a Linux binary alone";
	scratch_dir dir;
	dir.write("in.hex", ":0A00000002000000000000000000F4\n");
	dir.write("chip", ERASED_4K);
	const std::vector<std::string> args = {"--update", "--serial=2:dec:4", "--serial-number=7", "--serial-log=l",
					       "in.hex", "chip"};
	EXPECT_EQ(1, dir.run(args, 0, 0, {"TARNWICK_CHIP_PROTECT=1"}).status);
	EXPECT_EQ("", dir.read("l"));
	EXPECT_EQ(0, dir.run(args).status);
	EXPECT_NE(std::string::npos, dir.read("l").find("\"serial\":7,\"bytes\":\"30303037\",\"address\":\"2\","
							  "\"program\":\"in.hex\",\"image\":\"chip\",\"form\":\"chip\","));
}

} // namespace
