// End-to-end runs of the tarnwick binary: exit status, stderr and output together.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "e2e_support.h"
#include "srec_text.h"
#include "test_names.h"

namespace {

const std::string BANNER = version_banner();
const std::string USAGE =
	"usage: tarnwick [options] <infile> <outfile>\n"
	"       options:\n"
	"       -c n Set crystal frequency in MHz. Valid numbers are 4, 8,\n"
	"            12, 16 (default) and 20.\n"
	"       -h   You are looking at it.\n"
	"       -i   Ignore checksums.\n"
	"       -p n Set program memory size (default 4096 bytes).\n"
	"       -s   Select slow EEPROM clock (500KHz).\n"
	"            Default when omitted is 1MHz and higher\n\n";
const std::string PROGRAM = ":03000000020000FB\n:00000001FF\n";
const std::string EXPERT = ":02000000E0E13D\n:00000001FF\n";
const std::string EXPERT_FB = ":0100FB00778D\n";
const std::string EOF_RECORD = ":00000001FF\n";
const std::string KEEP = "keep me\n";
const std::string ABSENT = "<absent>";
const std::string FIT_ERROR = "ERROR: Hex-file contents does not fit into program memory\n";

const std::string IMAGE = ":060000000B0300020000EA\n" + EOF_RECORD;
const std::string WITH_112233 = ":090000000B030002000011223381\n" + EOF_RECORD;
const std::string BAD_LINE_1 = "ERROR: Invalid Intel hex format on line 1\n";

struct e2e_case {
	const char *name;
	std::vector<std::pair<std::string, std::string>> files;
	std::vector<std::string> args;
	int status;
	std::string err; // after the banner
	std::string out; // what out.hex holds afterwards
	int flags = 0; // RUN_ flags
	// Where the Windows executable differs: the option scanner's messages.
	const char *windows_err = nullptr;
	std::string std_out = ""; // what the run writes to stdout
	// Where the Windows executable differs: what it writes to stdout.
	std::string windows_out = "";
};

// Not RUN_ flags: out.hex is raw bytes, to which Windows adds no CR; the
// case runs on Linux alone.
constexpr int RAW_OUTPUT = 0x100;
constexpr int LINUX_ONLY = 0x200;

void PrintTo(const e2e_case &c, std::ostream *os)
{
	*os << c.name;
}

const e2e_case CASES[] = {
	{"default", {{"in.hex", PROGRAM}}, {"in.hex", "out.hex"}, 0, "",
	 ":060000000B0300020000EA\n" + EOF_RECORD},
	{"base address", {{"in.hex", PROGRAM}}, {"-b", "8000", "in.hex", "out.hex"}, 0, "",
	 ":068000000B03000200006A\n" + EOF_RECORD},
	{"8 MHz slow clock", {{"in.hex", PROGRAM}}, {"-c", "8", "-s", "in.hex", "out.hex"}, 0,
	 "", ":06000000010300020000F4\n" + EOF_RECORD},
	{"length header", {{"in.hex", PROGRAM}}, {"-t", "in.hex", "out.hex"}, 0, "",
	 ":050000000300020000F6\n" + EOF_RECORD},
	{"options after names", {{"in.hex", PROGRAM}}, {"in.hex", "out.hex", "-sc8"}, 0, "",
	 ":06000000010300020000F4\n" + EOF_RECORD},
	{"POSIXLY_CORRECT stops at a name", {{"in.hex", PROGRAM}, {"out.hex", KEEP}},
	 {"in.hex", "out.hex", "-c", "8"}, 1, USAGE, KEEP, RUN_POSIXLY_CORRECT},
	{"dash names after --", {{"-in.hex", PROGRAM}}, {"--", "-in.hex", "out.hex"}, 0, "",
	 ":060000000B0300020000EA\n" + EOF_RECORD},
	{"lone dash is a file", {{"-", PROGRAM}}, {"-", "out.hex"}, 0, "",
	 ":060000000B0300020000EA\n" + EOF_RECORD},
	{"no arguments", {}, {}, 1, USAGE, ABSENT},
	{"one name", {{"in.hex", PROGRAM}}, {"in.hex"}, 1, USAGE, ABSENT},
	{"three names", {{"in.hex", PROGRAM}}, {"in.hex", "out.hex", "x"}, 1, USAGE, ABSENT},
	{"help leaves files alone", {{"in.hex", PROGRAM}, {"out.hex", KEEP}},
	 {"-h", "in.hex", "out.hex"}, 0, USAGE, KEEP},
	{"bad crystal before help", {}, {"-c", "10", "-h"}, 1,
	 "ERROR: Invalid crystal frequency\n", ABSENT},
	{"help before bad crystal", {}, {"-h", "-c", "10"}, 0, USAGE, ABSENT},
	{"unknown option", {{"in.hex", PROGRAM}}, {"-x", "in.hex", "out.hex"}, 1,
	 "<PROG>: invalid option -- 'x'\n" + USAGE, ABSENT, 0, "<PROG>: unknown option -- x\n"},
	{"missing argument", {{"in.hex", PROGRAM}}, {"in.hex", "out.hex", "-p"}, 1,
	 "<PROG>: option requires an argument -- 'p'\n" + USAGE, ABSENT, 0,
	 "<PROG>: option requires an argument -- p\n"},
	{"program size too large", {}, {"-p", "65537", "-h"}, 1,
	 "ERROR: Program memory size must not exceed 65536 bytes\n", ABSENT},
	{"program size 0", {{"in.hex", PROGRAM}}, {"-p", "0", "in.hex", "out.hex"}, 1,
	 FIT_ERROR, ""},
	{"program size not a number", {{"in.hex", PROGRAM}}, {"-p", "k", "in.hex", "out.hex"},
	 1, FIT_ERROR, ""},
	{"highest address 4092 fits", {{"in.hex", ":010FFC00AA4A\n"}}, {"in.hex", "out.hex"}, 0,
	 "", ":030000000B030FE0\n:010FFF00AA47\n" + EOF_RECORD},
	{"highest address 4093 does not", {{"in.hex", ":010FFD00AA49\n"}},
	 {"in.hex", "out.hex"}, 1, FIT_ERROR, ""},
	{"missing input", {{"out.hex", KEEP}}, {"nope.hex", "out.hex"}, 1,
	 "ERROR: Can't open 'nope.hex'\n", KEEP},
	{"output cannot be opened", {{"in.hex", PROGRAM}}, {"in.hex", "no/out.hex"}, 1,
	 "ERROR: Can't open 'no/out.hex'\n", ABSENT},
	{"checksum error", {{"in.hex", ":03000000020000FA\n"}}, {"in.hex", "out.hex"}, 1,
	 "ERROR: Checksum error on line 1\n", ""},
	{"checksum ignored", {{"in.hex", ":03000000020000FA\n"}}, {"-i", "in.hex", "out.hex"}, 0,
	 "", ":060000000B0300020000EA\n" + EOF_RECORD},
	{"does not fit the image", {{"in.hex", ":020000040001F9\n:0100000011EE\n"}},
	 {"in.hex", "out.hex"}, 1, "ERROR: Hex file contents does not fit into available memory",
	 ""},
	{"bad line", {{"in.hex", ":00000001FF\n\n"}}, {"in.hex", "out.hex"}, 1,
	 "ERROR: Invalid Intel hex format on line 2\n", ""},
	{"addresses past FFFFFFFFh", {{"in.hex", PROGRAM}}, {"-b", "FFFFFFFE", "in.hex", "out.hex"},
	 1, "ERROR: Output addresses exceed FFFFFFFFh\n", ""},
	{"base address beyond 32 bits", {{"in.hex", PROGRAM}}, {"-b", "100000000", "in.hex", "out.hex"},
	 1, "ERROR: Output addresses exceed FFFFFFFFh\n", ""},
	{"addresses past FFFFh", {{"in.hex", PROGRAM}}, {"-b", "FFFC", "in.hex", "out.hex"}, 0, "",
	 ":04FFFC000B030002F1\n:020000040001F9\n:020000000000FE\n" + EOF_RECORD},
	{"expert mode", {{"in.hex", PROGRAM}, {"x.hex", EXPERT}}, {"-e", "x.hex", "in.hex", "out.hex"},
	 0, "", ":080000000B0500E0E102000025\n" + EOF_RECORD},
	{"expert mode, length header", {{"in.hex", PROGRAM}, {"x.hex", EXPERT}},
	 {"-t", "-e", "x.hex", "in.hex", "out.hex"}, 0, "",
	 ":070000000500E0E102000031\n" + EOF_RECORD},
	{"expert data up to FBh", {{"in.hex", PROGRAM}, {"x.hex", EXPERT_FB}},
	 {"-ex.hex", "in.hex", "out.hex"}, 0, "",
	 ":030000000BFF01F2\n:0400FE007702000085\n" + EOF_RECORD},
	{"expert data up to FBh, length header", {{"in.hex", PROGRAM}, {"x.hex", EXPERT_FB}},
	 {"-t", "-ex.hex", "in.hex", "out.hex"}, 0, "",
	 ":02000000FF00FF\n:0400FD007702000086\n" + EOF_RECORD},
	{"expert data at FCh", {{"in.hex", PROGRAM}, {"x.hex", ":0100FC00778C\n"}},
	 {"-e", "x.hex", "in.hex", "out.hex"}, 1,
	 "ERROR: Expert mode data bytes must lie in the address range 00h to FBh\n", ""},
	{"empty expert data", {{"in.hex", PROGRAM}, {"x.hex", ""}}, {"-e", "x.hex", "in.hex", "out.hex"},
	 1, "ERROR: No data in 'x.hex'\n", ""},
	{"expert file missing", {{"in.hex", PROGRAM}, {"out.hex", KEEP}},
	 {"-e", "x.hex", "in.hex", "out.hex"}, 1, "ERROR: Can't open 'x.hex'\n", KEEP},
	{"expert data checksum error", {{"in.hex", PROGRAM}, {"x.hex", ":02000000E0E13E\n"}},
	 {"-e", "x.hex", "in.hex", "out.hex"}, 1, "ERROR: Checksum error on line 1\n", ""},
	{"expert fit check", {{"in.hex", ":010FFB00AA4B\n"}, {"x.hex", EXPERT}},
	 {"-e", "x.hex", "in.hex", "out.hex"}, 1, FIT_ERROR, ""},
	{"C array", {{"in.hex", PROGRAM}}, {"-a", "boot", "-p", "18", "in.hex", "out.hex"}, 0, "",
	 "flash unsigned char boot[18]=\n{\n"
	 "0x0b, 0x03, 0x00, 0x02, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, "
	 "0xff, 0xff, \n0xff, 0xff\n};\n"},
	{"C array ignores the base address", {{"in.hex", PROGRAM}},
	 {"-b", "8000", "-aboot", "-p6", "in.hex", "out.hex"}, 0, "",
	 "flash unsigned char boot[6]=\n{\n0x0b, 0x03, 0x00, 0x02, 0x00, 0x00\n};\n"},
	{"C array, later name wins", {{"in.hex", PROGRAM}},
	 {"-a", "first", "in.hex", "-p", "6", "out.hex", "-a", ""}, 0, "",
	 "flash unsigned char [6]=\n{\n0x0b, 0x03, 0x00, 0x02, 0x00, 0x00\n};\n"},
	{"C array, length header", {{"in.hex", PROGRAM}}, {"-t", "-a", "x", "-p", "6", "in.hex", "out.hex"},
	 0, "", "flash unsigned char x[6]=\n{\n0x03, 0x00, 0x02, 0x00, 0x00, 0xff\n};\n"},
	{"C array, expert mode", {{"in.hex", PROGRAM}, {"x.hex", EXPERT}},
	 {"-e", "x.hex", "-a", "x", "-p", "9", "in.hex", "out.hex"}, 0, "",
	 "flash unsigned char x[9]=\n{\n0x0b, 0x05, 0x00, 0xe0, 0xe1, 0x02, 0x00, 0x00, 0xff\n};\n"},
	{"C array, expert mode, length header", {{"in.hex", PROGRAM}, {"x.hex", EXPERT}},
	 {"-te", "x.hex", "-a", "x", "-p", "9", "in.hex", "out.hex"}, 0, "",
	 "flash unsigned char x[9]=\n{\n0x05, 0x00, 0xe0, 0xe1, 0x02, 0x00, 0x00, 0xff, 0xff\n};\n"},
	{"C array does not fit", {{"in.hex", PROGRAM}}, {"-a", "x", "-p", "5", "in.hex", "out.hex"}, 1,
	 FIT_ERROR, ""},
	{"C array to /dev/full", {{"in.hex", PROGRAM}}, {"-a", "x", "in.hex", "/dev/full"}, 1,
	 "ERROR: Can't write '/dev/full'\n", ABSENT},
	{"segment record of three bytes", {{"in.hex", ":03000002000100FA\n" + PROGRAM}},
	 {"-i", "in.hex", "out.hex"}, 1, BAD_LINE_1, ""},
	{"end record with a byte", {{"in.hex", PROGRAM + ":0100000100FE\n"}}, {"in.hex", "out.hex"},
	 1, "ERROR: Invalid Intel hex format on line 3\n", ""},
	{"CR before the first record", {{"in.hex", "\r:0100000011EE\n"}}, {"in.hex", "out.hex"}, 0,
	 "", ":040000000B030011DD\n" + EOF_RECORD},
	{"last line without a line end", {{"in.hex", ":03000000020000FB"}}, {"in.hex", "out.hex"}, 0,
	 "", IMAGE},
	{"second -b after one beyond 32 bits", {{"in.hex", PROGRAM}},
	 {"-b", "100000000000000000000", "-b", "10", "in.hex", "out.hex"}, 0, "",
	 ":060010000B0300020000DA\n" + EOF_RECORD},
	{"input that cannot be read", {}, {"/proc/self/mem", "out.hex"}, 1,
	 "ERROR: Can't read '/proc/self/mem'\n", "", LINUX_ONLY},
	{"-h with stdout closed", {}, {"-h"}, 0, USAGE, ABSENT, RUN_STDOUT_CLOSED},
	{"S-record program", {{"in.hex", "S00600004844521B\nS1060000020000F7\nS9030000FC\n"}},
	 {"in.hex", "out.hex"}, 0, "", IMAGE},
	{"S-record expert data", {{"in.hex", PROGRAM}, {"x.s19", "s1050000e0e139\r\n"}},
	 {"-e", "x.s19", "in.hex", "out.hex"}, 0, "", ":080000000B0500E0E102000025\n" + EOF_RECORD},
	{"S-record count that disagrees", {{"in.hex", "S1060000020000F7\nS5030002FA\n"}},
	 {"-i", "in.hex", "out.hex"}, 1,
	 "ERROR: Record count on line 2 says 2, but 1 data record comes before it\n", ""},
	{"S-record line that does not parse", {{"in.hex", "S1060000020000F7\nS4030000FC\n"}},
	 {"in.hex", "out.hex"}, 1, "ERROR: Invalid S-record format on line 2\n", ""},
};

// Inputs that read the same on every platform: line ends, Ctrl-Z, files
// without data, names beyond ASCII.

const e2e_case PARITY_CASES[] = {
	{"lone CR line ends", {{"in.hex", ":03000000020000FB\r:0300030011223394\r:00000001FF\r"}},
	 {"in.hex", "out.hex"}, 0, "", WITH_112233},
	{"CR CR LF is one line end", {{"in.hex", ":03000000020000FB\r\r\n\r:00000001FF\r\r\n"}},
	 {"in.hex", "out.hex"}, 0, "", IMAGE},
	{"lone CR then a bad line", {{"in.hex", ":03000000020000FB\rjunk\r\n"}},
	 {"in.hex", "out.hex"}, 1, "ERROR: Invalid Intel hex format on line 2\n", ""},
	{"two records on a line", {{"in.hex", ":03000000020000FA :0300030011223394\n"}},
	 {"in.hex", "out.hex"}, 1, BAD_LINE_1, ""},
	{"text behind the checksum", {{"in.hex", ":03000000020000FB   junk\n"}},
	 {"in.hex", "out.hex"}, 0, "", IMAGE},
	{"Ctrl-Z ends the file", {{"in.hex", ":03000000020000FB\r\n\x1A:0300030011223394\n"}},
	 {"in.hex", "out.hex"}, 0, "", IMAGE},
	{"Ctrl-Z behind a checksum", {{"in.hex", ":03000000020000FB\x1A\r\n:0300030011223394\r\n"}},
	 {"in.hex", "out.hex"}, 0, "", WITH_112233},
	{"Ctrl-Z behind blanks", {{"in.hex", ":03000000020000FB\n  \x1A\n"}}, {"in.hex", "out.hex"},
	 1, "ERROR: Invalid Intel hex format on line 2\n", ""},
	{"S-record behind 64 KiB of blanks", {{"in.hex", std::string(65536, ' ') + "S1060000020000F7\n"}},
	 {"in.hex", "out.hex"}, 1, "ERROR: Invalid S-record format on line 1\n", ""},
	{"empty program file", {{"in.hex", ""}}, {"in.hex", "out.hex"}, 1,
	 "ERROR: No data in 'in.hex'\n", ""},
	{"program of an end record", {{"in.hex", EOF_RECORD}}, {"-t", "in.hex", "out.hex"}, 1,
	 "ERROR: No data in 'in.hex'\n", ""},
	{"expert data of an end record", {{"in.hex", PROGRAM}, {"x.hex", EOF_RECORD}},
	 {"-e", "x.hex", "in.hex", "out.hex"}, 1, "ERROR: No data in 'x.hex'\n", ""},
	{"input missing in expert mode", {{"x.hex", EXPERT}, {"out.hex", KEEP}},
	 {"-e", "x.hex", "nope.hex", "out.hex"}, 1, "ERROR: Can't open 'nope.hex'\n", KEEP},
	{"names beyond ASCII", {{"\u65e5.hex", PROGRAM}},
	 {"-a", "tbl_\u65e5", "-p", "6", "\u65e5.hex", "out.hex"}, 0, "",
	 "flash unsigned char tbl_\u65e5[6]=\n{\n0x0b, 0x03, 0x00, 0x02, 0x00, 0x00\n};\n"},
	{"name beyond ASCII in a message", {}, {"\u65e5.hex", "out.hex"}, 1,
	 "ERROR: Can't open '\u65e5.hex'\n", ABSENT},
	{"standard streams closed", {{"in.hex", ":03000000020000FA\n"}}, {"in.hex", "out.hex"}, 1,
	 "", "", RUN_STREAMS_CLOSED},
	{"file size limit", {{"in.hex", records_of(0x1000)}}, {"-p", "65536", "in.hex", "out.hex"}, 1,
	 "ERROR: Can't write 'out.hex'\n", "", RUN_FILE_SIZE_LIMIT},
};

const std::string HELP =
	"usage: tarnwick [options] <infile> <outfile>\n"
	"       tarnwick --info [-b address] [-i] [-p size] [-t] [--binary] [--fill=HH]\n"
	"                [--eeprom-size=N] [--serial=A:F:W] [--json] [--map] <image>\n"
	"       tarnwick --verify [options] [--json] [--map] <infile> <image>\n"
	"       tarnwick --extract [-b address] [-i] [-p size] [-t] [--binary]\n"
	"                [--fill=HH] [--eeprom-size=N] [--serial=A:F:W] [--json] [--map]\n"
	"                <image> <program.hex> [<expert.hex>]\n"
	"Lays out a microcontroller program, read as Intel HEX or S-record, as a serial\n"
	"EEPROM image behind its boot header, and writes the image; or reads an image\n"
	"back: checks it, compares it with the layout of a program, or takes the\n"
	"program out of it. Images are read as Intel HEX, S-record or raw bytes.\n"
	"\n"
	"  -c MHz        crystal frequency: 4, 8, 12, 16 (default) or 20\n"
	"  -s            slow EEPROM clock (500 kHz) instead of 1 MHz and higher\n"
	"  -p size       program memory size in bytes, at most 65536 (default 4096)\n"
	"  -i            ignore checksum mismatches in the input\n"
	"  -t            two-byte length header instead of the boot header\n"
	"  -e file       expert mode: load the data in file (Intel HEX or S-record)\n"
	"                ahead of the program\n"
	"  -b address    hexadecimal address of cell 0 in the Intel HEX or S-record\n"
	"                output, and in an image read back\n"
	"  -a name       write the image as a C array called name\n"
	"  --binary      write the image as raw bytes, one for each cell of the\n"
	"                program memory (of the EEPROM with --eeprom-size); with\n"
	"                --info, --verify and --extract, read it as raw bytes\n"
	"  --srec        write the image as S-records (S1, S2 or S3, as its addresses\n"
	"                need) instead of Intel HEX\n"
	"  --fill=HH     give every cell of the program memory that holds no byte the\n"
	"                hexadecimal value HH (FF by default with --binary)\n"
	"  --eeprom-size=N\n"
	"                size of the EEPROM in bytes (32768, or 32K with K for 1024),\n"
	"                at most 16384K: the image must fit into it, and the output\n"
	"                covers it\n"
	"  --set=ADDRESS:BYTES\n"
	"                replace the program's bytes from program address ADDRESS\n"
	"                (hexadecimal) on by BYTES (pairs of hexadecimal digits, 1 to\n"
	"                256 of them); may be given more than once\n"
	"  --serial=ADDRESS:FORMAT:WIDTH\n"
	"                write a serial number over the program's bytes from ADDRESS\n"
	"                on: FORMAT le or be (WIDTH bytes, 1 to 8), dec or hex\n"
	"                (WIDTH digits, 1 to 20 or 16), usb or usbhex (those digits\n"
	"                in the USB string descriptor at ADDRESS); with --info,\n"
	"                --verify and --extract, read it back\n"
	"  --serial-number=N\n"
	"                the serial number of --serial, decimal\n"
	"  --serial-counter=FILE\n"
	"                take the serial number of --serial from the counter in FILE,\n"
	"                which goes one up\n"
	"  --serial-log=FILE\n"
	"                add a line for each image written with --serial to FILE,\n"
	"                and refuse a number that it holds; with --verify, check that\n"
	"                it holds the board's number once\n"
	"  --info        read the image back: print what its header says and its\n"
	"                CRC-32 on the standard output, and check it against the\n"
	"                contents\n"
	"  --verify      compare the image, cell by cell, with the one that the\n"
	"                program and the options lay out, and write nothing\n"
	"  --extract     check the image as --info does, write its program (and\n"
	"                expert-mode data) to the files named, as Intel HEX, and\n"
	"                print the command that rebuilds the image from them\n"
	"  --json        print the report of --info, --verify or --extract as one\n"
	"                JSON object on one line\n"
	"  --map         end the report of --info, --verify or --extract with a map\n"
	"                of the image, a character for each 256-byte block\n"
	"  -h            print the short usage text on the standard error stream\n"
	"  --help        print this help\n"
	"  --version     print the version\n"
	"\n"
	"The manual page tarnwick(1) (\"man tarnwick\") describes the whole tool.\n";
const std::string RAW_8 = std::string("\x0B\x03\x00\x02\x00\x00\xFF\xFF", 8);
const std::string SREC_IMAGE = "S0030000FC\nS10900000B0300020000E6\nS5030001FB\nS9030000FC\n";
// A program whose bytes at 2 to 9 hold a serial number's place, and at 10h
// a USB string descriptor of 8 characters "00000000"; the records of its
// image behind the first, from the descriptor on.
const std::string SERIAL_PROGRAM = ":0A00000002000000000000000000F4\n"
				   ":1200100012033000300030003000300030003000300049\n" + EOF_RECORD;
const std::string SERIAL_REST = ":100013001203300030003000300030003000300078\n:020023003000AB\n" + EOF_RECORD;
const std::string BAD_SERIAL = "ERROR: Invalid --serial value: give ADDRESS:FORMAT:WIDTH, a FORMAT of le, be, dec, "
			       "hex, usb or usbhex and a WIDTH that it takes\n";
const std::string USB_42 = ":0D0000000B030002000000000000000000E3\n:100013001203300030003000300030003000340074\n"
			   ":020023003200A9\n" + EOF_RECORD;
// The bytes of PROGRAM's image in a chip of size cells, FFh behind it.
std::vector<int> image_in_chip(size_t size)
{
	std::vector<int> bytes(size, 0xFF);
	const int image[] = {0x0B, 0x03, 0x00, 0x02, 0x00, 0x00};
	std::copy(image, image + 6, bytes.begin());
	return bytes;
}

std::string bytes_from_1(int n)
{
	std::string bytes;
	for (int i = 1; i <= n; i++)
		bytes += char(i);
	return bytes;
}
const std::string BYTES_1_TO_3E = bytes_from_1(0x3E);
const std::string BAD_SET = "ERROR: Invalid --set value: give ADDRESS:BYTES in hexadecimal, 1 to 256 bytes\n";

// The long options: raw binary output, the fill byte, --help and --version.
const e2e_case LONG_OPTION_CASES[] = {
	{"raw binary", {{"in.hex", PROGRAM}}, {"-p", "8", "--binary", "in.hex", "out.hex"}, 0, "",
	 RAW_8, RAW_OUTPUT},
	{"raw binary, length header", {{"in.hex", PROGRAM}}, {"-t", "-p8", "--bin", "in.hex", "out.hex"},
	 0, "", std::string("\x03\x00\x02\x00\x00\xFF\xFF\xFF", 8), RAW_OUTPUT},
	{"raw binary after -a", {{"in.hex", PROGRAM}},
	 {"-a", "x", "-b", "8000", "-p", "8", "--binary", "in.hex", "out.hex"}, 0, "", RAW_8,
	 RAW_OUTPUT},
	{"-a after raw binary", {{"in.hex", PROGRAM}}, {"--binary", "-p", "6", "-a", "x", "in.hex", "out.hex"},
	 0, "", "flash unsigned char x[6]=\n{\n0x0b, 0x03, 0x00, 0x02, 0x00, 0x00\n};\n"},
	{"raw binary filled", {{"in.hex", PROGRAM}}, {"-p", "8", "--binary", "--fill=0", "in.hex", "out.hex"},
	 0, "", std::string("\x0B\x03\x00\x02\x00\x00\x00\x00", 8), RAW_OUTPUT},
	{"Intel HEX filled", {{"in.hex", PROGRAM}}, {"-p", "20", "--fill", "FFh", "in.hex", "out.hex"}, 0,
	 "", ":100000000B0300020000FFFFFFFFFFFFFFFFFFFFEA\n:04001000FFFFFFFFF0\n" + EOF_RECORD},
	{"C array filled", {{"in.hex", PROGRAM}}, {"-a", "x", "-p", "8", "--fill=0x5a", "in.hex", "out.hex"},
	 0, "", "flash unsigned char x[8]=\n{\n0x0b, 0x03, 0x00, 0x02, 0x00, 0x00, 0x5a, 0x5a\n};\n"},
	{"raw binary does not fit", {{"in.hex", PROGRAM}}, {"-p", "5", "--binary", "in.hex", "out.hex"}, 1,
	 FIT_ERROR, ""},
	{"fill byte above FFh", {}, {"--fill=100", "in.hex", "out.hex"}, 1,
	 "ERROR: Invalid fill byte\n", ABSENT},
	{"fill byte -1", {}, {"--fill", "-1", "-h"}, 1, "ERROR: Invalid fill byte\n", ABSENT},
	{"fill byte not a number", {}, {"--fill=zz", "in.hex", "out.hex"}, 1,
	 "ERROR: Invalid fill byte\n", ABSENT},
	{"help", {{"out.hex", KEEP}}, {"in.hex", "out.hex", "--help"}, 0, "", KEEP, 0, nullptr, HELP},
	{"bad crystal before help", {}, {"-c", "10", "--help"}, 1, "ERROR: Invalid crystal frequency\n",
	 ABSENT},
	{"version", {{"out.hex", KEEP}}, {"in.hex", "out.hex", "-c", "10", "--vers"}, 0, "-", KEEP, 0,
	 nullptr, BANNER},
	{"version as the array name", {{"in.hex", PROGRAM}}, {"-a", "--version", "-p6", "in.hex", "out.hex"},
	 0, "", "flash unsigned char --version[6]=\n{\n0x0b, 0x03, 0x00, 0x02, 0x00, 0x00\n};\n"},
	{"version behind --", {}, {"in.hex", "--", "--version"}, 1, "ERROR: Can't open 'in.hex'\n",
	 ABSENT},
	{"version behind a name, POSIXLY_CORRECT", {}, {"in.hex", "--version", "out.hex"}, 1, USAGE,
	 ABSENT, RUN_POSIXLY_CORRECT},
	{"unknown long option", {}, {"--bogus", "in.hex", "out.hex"}, 1,
	 "<PROG>: unrecognized option '--bogus'\n" + USAGE, ABSENT, 0,
	 "<PROG>: unknown option -- bogus\n"},
	{"fill byte 0x", {}, {"--fill=0x", "in.hex", "out.hex"}, 1, "ERROR: Invalid fill byte\n", ABSENT},
	{"fill byte 5g", {}, {"--fill", "5g", "-h"}, 1, "ERROR: Invalid fill byte\n", ABSENT},
	{"raw binary of the whole image", {{"in.hex", PROGRAM}}, {"-p", "65536", "--binary", "in.hex", "out.hex"},
	 0, "", RAW_8 + std::string(65528, '\xFF'), RAW_OUTPUT},
	{"help with stdout closed", {}, {"--help"}, 1, "ERROR: Can't write to the standard output\n",
	 ABSENT, RUN_STDOUT_CLOSED},
	{"version with stdout closed", {}, {"--version"}, 1,
	 "-ERROR: Can't write to the standard output\n", ABSENT, RUN_STDOUT_CLOSED},
	{"raw binary of the EEPROM", {{"in.hex", PROGRAM}}, {"-p", "8", "--binary", "--eeprom-size=16", "in.hex", "out.hex"},
	 0, "", RAW_8 + std::string(8, '\xFF'), RAW_OUTPUT},
	{"raw binary of an EEPROM smaller than -p", {{"in.hex", PROGRAM}},
	 {"--binary", "--eeprom-size", "6", "in.hex", "out.hex"}, 0, "", RAW_8.substr(0, 6), RAW_OUTPUT},
	{"C array of the EEPROM", {{"in.hex", PROGRAM}}, {"-a", "x", "--eeprom", "8", "in.hex", "out.hex"}, 0, "",
	 "flash unsigned char x[8]=\n{\n0x0b, 0x03, 0x00, 0x02, 0x00, 0x00, 0xff, 0xff\n};\n"},
	{"Intel HEX filled beyond 64 KiB", {{"in.hex", PROGRAM}},
	 {"--fill=00", "--eeprom-size=64K", "--eeprom-size=65552", "in.hex", "out.hex"}, 0, "",
	 records_of(RAW_8.substr(0, 6) + std::string(65530, '\0')) + ":020000040001F9\n"
	 ":1000000000000000000000000000000000000000F0\n" + EOF_RECORD},
	{"image beyond the EEPROM", {{"in.hex", PROGRAM}}, {"--eeprom-size=5", "in.hex", "out.hex"}, 1,
	 "ERROR: Hex-file contents does not fit into the EEPROM of 5 bytes\n", ""},
	{"length header in an EEPROM of five cells", {{"in.hex", PROGRAM}},
	 {"-t", "--eeprom-size=5", "in.hex", "out.hex"}, 0, "", ":050000000300020000F6\n" + EOF_RECORD},
	{"EEPROM past FFFFFFFFh", {{"in.hex", PROGRAM}},
	 {"-b", "FFFFF000", "--fill=00", "--eeprom-size=8K", "in.hex", "out.hex"}, 1,
	 "ERROR: Output addresses exceed FFFFFFFFh\n", ""},
	{"S-records", {{"in.hex", PROGRAM}}, {"--srec", "in.hex", "out.hex"}, 0, "", SREC_IMAGE},
	{"S-records after -a and --binary", {{"in.hex", PROGRAM}}, {"-a", "x", "--binary", "--srec", "in.hex", "out.hex"},
	 0, "", SREC_IMAGE},
	{"-a after S-records", {{"in.hex", PROGRAM}}, {"--srec", "-p", "6", "-a", "x", "in.hex", "out.hex"}, 0, "",
	 "flash unsigned char x[6]=\n{\n0x0b, 0x03, 0x00, 0x02, 0x00, 0x00\n};\n"},
	{"S2 records above FFFFh", {{"in.hex", PROGRAM}}, {"--srec", "-b", "10000", "in.hex", "out.hex"}, 0, "",
	 "S0030000FC\nS20A0100000B0300020000E4\nS5030001FB\nS804000000FB\n"},
	{"S-records filled", {{"in.hex", PROGRAM}}, {"--srec", "--fill=00", "-p", "8", "in.hex", "out.hex"}, 0, "",
	 "S0030000FC\nS10B00000B03000200000000E4\nS5030001FB\nS9030000FC\n"},
	{"S-records past FFFFFFFFh", {{"in.hex", PROGRAM}}, {"--srec", "-b", "FFFFFFFE", "in.hex", "out.hex"}, 1,
	 "ERROR: Output addresses exceed FFFFFFFFh\n", ""},
	{"a record past FFFFFFFFh", {{"in.s19", "S307FFFFFFFF0102F9\n"}}, {"in.s19", "out.hex"}, 1,
	 "ERROR: The record on line 1 runs past address FFFFFFFFh\n", ""},
	{"serial number, little-endian, 1 byte", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=2:le:1", "--serial-number=255", "in.hex", "out.hex"}, 0, "",
	 ":0D0000000B03000200FF00000000000000E4\n" + SERIAL_REST},
	{"serial number, little-endian, 3 bytes", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=2:le:3", "--serial-number=66051", "in.hex", "out.hex"}, 0, "",
	 ":0D0000000B030002000302010000000000DD\n" + SERIAL_REST},
	{"serial number, big-endian, the largest", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=2:be:8", "--serial-number=18446744073709551615", "in.hex", "out.hex"}, 0, "",
	 ":0D0000000B03000200FFFFFFFFFFFFFFFFEB\n" + SERIAL_REST},
	{"serial number, 18 decimal digits", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=10:dec:18", "--serial-number=123", "in.hex", "out.hex"}, 0, "",
	 ":0D0000000B030002000000000000000000E3\n:1000130030303030303030303030303030303031DC\n"
	 ":02002300323376\n" + EOF_RECORD},
	{"serial number, hexadecimal digits", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=2:hex:8", "--serial-number=3735928559", "in.hex", "out.hex"}, 0, "",
	 ":0D0000000B030002004445414442454546C3\n" + SERIAL_REST},
	{"serial number, the most hexadecimal digits", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=10:hex:16", "--serial-number=18446744073709551615", "in.hex", "out.hex"}, 0, "",
	 ":0D0000000B030002000000000000000000E3\n:10001300464646464646464646464646464646467D\n"
	 ":020023003000AB\n" + EOF_RECORD},
	{"serial number in a USB string", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=10:usb:8", "--serial-number=42", "in.hex", "out.hex"}, 0, "", USB_42},
	{"serial number in a USB string of hexadecimal digits", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=10:usbhex:8", "--serial-number=48879", "in.hex", "out.hex"}, 0, "",
	 ":0D0000000B030002000000000000000000E3\n:10001300120330003000300030004200450045003C\n"
	 ":02002300460095\n" + EOF_RECORD},
	{"serial number behind the length header", {{"in.hex", SERIAL_PROGRAM}},
	 {"-t", "--serial=2:be:2", "--serial-number=258", "in.hex", "out.hex"}, 0, "",
	 ":0C000000220002000102000000000000CD\n:100012001203300030003000300030003000300079\n"
	 ":020022003000AC\n" + EOF_RECORD},
	{"serial number from the counter", {{"in.hex", SERIAL_PROGRAM}, {"c", "41\n"}},
	 {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"}, 0, "",
	 ":0D0000000B0300020030303431000000001E\n" + SERIAL_REST},
	{"fixed bytes", {{"in.hex", SERIAL_PROGRAM}}, {"--set=2:A5", "--set=0x5:0102", "in.hex", "out.hex"}, 0,
	 "", ":0D0000000B03000200A5000001020000003B\n" + SERIAL_REST},
	{"fixed bytes behind expert-mode data", {{"in.hex", SERIAL_PROGRAM}, {"x.hex", EXPERT}},
	 {"-e", "x.hex", "--set=2:A5", "in.hex", "out.hex"}, 0, "",
	 ":0F0000000B0500E0E10200A50000000000000079\n:100015001203300030003000300030003000300076\n"
	 ":020025003000A9\n" + EOF_RECORD},
	{"fixed bytes in an S-record program", {{"in.s19", "S10D000002000000000000000000F0\n"}},
	 {"--set=2:A5", "in.s19", "out.hex"}, 0, "", ":0D0000000B03000200A5000000000000003E\n" + EOF_RECORD},
	{"serial number too large for a byte", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=2:le:1", "--serial-number=256", "in.hex", "out.hex"}, 1,
	 "ERROR: Serial number 256 does not fit into 1 byte\n", ""},
	{"serial number too large for a digit", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=2:dec:1", "--serial-number=10", "in.hex", "out.hex"}, 1,
	 "ERROR: Serial number 10 does not fit into 1 decimal digit\n", ""},
	{"serial number too large for a hexadecimal digit", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=2:hex:1", "--serial-number=16", "in.hex", "out.hex"}, 1,
	 "ERROR: Serial number 16 does not fit into 1 hexadecimal digit\n", ""},
	{"serial number from a counter too large for its digits", {{"in.hex", SERIAL_PROGRAM}, {"c", "10000"}},
	 {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"}, 1,
	 "ERROR: Serial number 10000 does not fit into 4 decimal digits\n", ""},
	{"USB string of another length", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=10:usb:7", "--serial-number=1", "in.hex", "out.hex"}, 1,
	 "ERROR: The bytes at 10h are not a USB string descriptor of 7 characters: they are 12h 03h, not 10h 03h\n",
	 ""},
	{"USB string where there is none", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=2:usb:1", "--serial-number=1", "in.hex", "out.hex"}, 1,
	 "ERROR: The bytes at 2h are not a USB string descriptor of 1 character: they are 00h 00h, not 04h 03h\n",
	 ""},
	{"serial number beyond the program", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=10:dec:20", "--serial-number=1", "in.hex", "out.hex"}, 1,
	 "ERROR: The program holds no byte at 22h, which --serial writes\n", ""},
	{"fixed bytes into a gap of the program", {{"in.hex", SERIAL_PROGRAM}}, {"--set=9:AABB", "in.hex", "out.hex"},
	 1, "ERROR: The program holds no byte at Ah, which --set writes\n", ""},
	{"fixed bytes that overlap", {{"in.hex", SERIAL_PROGRAM}}, {"--set=2:AABB", "--set=3:CC", "in.hex", "out.hex"},
	 1, "ERROR: --set at 2h overlaps --set at 3h\n", ""},
	{"fixed bytes over the serial number", {{"in.hex", SERIAL_PROGRAM}},
	 {"--set=3:CC", "--serial=2:be:4", "--serial-number=1", "in.hex", "out.hex"}, 1,
	 "ERROR: --set at 3h overlaps --serial at 2h\n", ""},
	{"fixed bytes of an odd digit", {}, {"--set=2:ABC", "in.hex", "out.hex"}, 1, BAD_SET, ABSENT},
	{"fixed bytes, 257 of them", {}, {"--set=0:" + std::string(514, '0'), "in.hex", "out.hex"}, 1, BAD_SET,
	 ABSENT},
	{"serial number of 9 bytes", {}, {"--serial=2:le:9", "in.hex", "out.hex"}, 1, BAD_SERIAL, ABSENT},
	{"serial number of no width", {}, {"--serial=2:dec:0", "in.hex", "out.hex"}, 1, BAD_SERIAL, ABSENT},
	{"serial number of 21 digits", {}, {"--serial=2:usb:21", "in.hex", "out.hex"}, 1, BAD_SERIAL, ABSENT},
	{"serial number of another format", {}, {"--serial=2:bcd:2", "in.hex", "out.hex"}, 1, BAD_SERIAL, ABSENT},
	{"serial number beyond 64 bits", {}, {"--serial-number=18446744073709551616", "in.hex", "out.hex"}, 1,
	 "ERROR: Invalid serial number\n", ABSENT},
	{"serial number without a source", {}, {"--serial=2:le:1", "in.hex", "out.hex"}, 1,
	 "ERROR: Option --serial needs --serial-number or --serial-counter\n", ABSENT},
	{"serial number of two sources", {}, {"--serial=2:le:1", "--serial-number=1", "--serial-counter=c", "in.hex",
	 "out.hex"}, 1, "ERROR: Options --serial-number and --serial-counter cannot be given together\n", ABSENT},
	{"serial number without --serial", {}, {"--serial-number=1", "in.hex", "out.hex"}, 1,
	 "ERROR: Option --serial-number needs --serial\n", ABSENT},
	{"serial log without --serial", {}, {"--serial-log=l", "in.hex", "out.hex"}, 1,
	 "ERROR: Option --serial-log needs --serial\n", ABSENT},
	{"serial number twice", {}, {"--serial=2:le:1", "--serial=3:le:1", "in.hex", "out.hex"}, 1,
	 "ERROR: Give --serial once\n", ABSENT},
	{"serial number in the log already", {{"in.hex", SERIAL_PROGRAM}, {"l", "{\"serial\":41}\n"}},
	 {"--serial=2:dec:4", "--serial-number=41", "--serial-log=l", "in.hex", "out.hex"}, 1,
	 "ERROR: Serial number 41 is in the log 'l' already\n", ""},
	{"counter of no number", {{"in.hex", SERIAL_PROGRAM}, {"c", "4 1\n"}},
	 {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"}, 1,
	 "ERROR: Counter file 'c' does not hold one decimal number\n", ""},
	{"counter that is the output", {{"in.hex", SERIAL_PROGRAM}, {"out.hex", "5\n"}},
	 {"--serial=2:dec:4", "--serial-counter=out.hex", "in.hex", "out.hex"}, 1,
	 "ERROR: Output files 'out.hex' and 'out.hex' are one file\n", "5\n"},
	{"serial log that is the program", {{"in.hex", SERIAL_PROGRAM}},
	 {"--serial=2:dec:4", "--serial-number=1", "--serial-log=./in.hex", "in.hex", "out.hex"}, 1,
	 "ERROR: Output file './in.hex' is also an input file\n", ABSENT},
	{"serial log of a refused run", {{"in.hex", SERIAL_PROGRAM}, {"out.hex", "{\"serial\":1}"}},
	 {"--serial=2:le:1", "--serial-number=256", "--serial-log=out.hex", "in.hex", "image.hex"}, 1,
	 "ERROR: Serial number 256 does not fit into 1 byte\n", "{\"serial\":1}"},
	{"counter of leading zeros", {{"in.hex", SERIAL_PROGRAM}, {"c", std::string(100, '0') + "41\r\n"}},
	 {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"}, 0, "",
	 ":0D0000000B0300020030303431000000001E\n" + SERIAL_REST},
	{"counter of two line ends", {{"in.hex", SERIAL_PROGRAM}, {"c", "41\n\n"}},
	 {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"}, 1,
	 "ERROR: Counter file 'c' does not hold one decimal number\n", ""},
	{"serial log that is the counter's lock file", {{"in.hex", SERIAL_PROGRAM}, {"c", "41\n"}},
	 {"--serial=2:dec:4", "--serial-counter=c", "--serial-log=c.lock", "in.hex", "out.hex"}, 1,
	 "ERROR: Output files 'c.lock' and 'c.lock' are one file\n", ABSENT},
	{"counter missing", {{"in.hex", SERIAL_PROGRAM}}, {"--serial=2:dec:4", "--serial-counter=c", "in.hex",
	 "out.hex"}, 1, "ERROR: Can't open 'c'\n", ""},
	{"serial number taken and not used", {{"in.hex", SERIAL_PROGRAM}, {"c", "7\n"}},
	 {"--serial=2:dec:4", "--serial-counter=c", "in.hex", "/dev/full"}, 1,
	 "ERROR: Can't write '/dev/full'\nERROR: Serial number 7 was taken and not used\n", ABSENT},
	{"serial number on a last line without a line end", {{"in.hex", SERIAL_PROGRAM}, {"l", "{\"serial\":1000"}},
	 {"--serial=2:dec:4", "--serial-number=1000", "--serial-log=l", "in.hex", "out.hex"}, 1,
	 "ERROR: Serial number 1000 is in the log 'l' already\n", ""},
	{"serial key with blanks across the log's blocks",
	 {{"in.hex", SERIAL_PROGRAM}, {"l", std::string(65466, '\n') + "\"serial\"" + std::string(100, ' ') + ":7,\n"}},
	 {"--serial=2:dec:4", "--serial-number=7", "--serial-log=l", "in.hex", "out.hex"}, 1,
	 "ERROR: Serial number 7 is in the log 'l' already\n", ""},
	{"counter that is a device", {{"in.hex", SERIAL_PROGRAM}}, {"--serial=2:dec:4", "--serial-counter=/dev/null",
	 "in.hex", "out.hex"}, 1, "ERROR: Counter file '/dev/null' does not hold one decimal number\n", "", LINUX_ONLY},
	{"log line cut off at the file size limit", {{"in.hex", SERIAL_PROGRAM}, {"out.hex", std::string(4000, 'x')}},
	 {"--serial=2:dec:4", "--serial-number=8", "--serial-log=out.hex", "in.hex", "image.hex"}, 1,
	 "ERROR: Can't write 'out.hex'\n", std::string(4000, 'x'), RUN_FILE_SIZE_LIMIT},
	{"S-records of 65536 data records, counted by S6", {{"in.hex", PROGRAM}},
	 {"--srec", "--fill=FF", "--eeprom-size=1048576", "in.hex", "out.hex"}, 0, "", "S0030000FC\n" +
	 srec_text(image_in_chip(1048576), 2, 16, SREC_COUNT)},
	{"S2 record for a last byte at the first cell of a word", {{"in.hex", records_of(BYTES_1_TO_3E)}},
	 {"--srec", "-b", "FFC0", "-p", "65", "in.hex", "out.hex"}, 0, "",
	 "S0030000FC\nS21400FFC00B03000102030405060708090A0B0C0DC3\nS21400FFD00E0F101112131415161718191A1B1C1DC4\n"
	 "S21400FFE01E1F202122232425262728292A2B2C2DB4\nS21400FFF02E2F303132333435363738393A3B3C3DA4\n"
	 "S2050100003EBB\nS5030005F7\nS804000000FB\n"},
	{"EEPROM size 0", {}, {"--eeprom-size=0", "-h"}, 1, "ERROR: Invalid EEPROM size\n", ABSENT},
	{"version behind an invalid EEPROM size", {}, {"--eeprom-size=x", "--version"}, 0, "-", ABSENT, 0,
	 nullptr, BANNER},
	{"--e is ambiguous", {}, {"--e", "in.hex", "out.hex"}, 1,
	 "<PROG>: option '--e' is ambiguous; possibilities: '--eeprom-size' '--extract'\n" + USAGE, ABSENT, 0,
	 "<PROG>: ambiguous option -- e\n"},
	{"map without a mode", {}, {"--map", "in.hex", "out.hex"}, 1,
	 "ERROR: Option --map needs --info, --verify or --extract\n", ABSENT},
	{"JSON before map without a mode", {}, {"--map", "--json", "in.hex", "out.hex"}, 1,
	 "ERROR: Option --json needs --info, --verify or --extract\n", ABSENT},
	{"long option without its argument", {}, {"in.hex", "out.hex", "--fill"}, 1,
	 "<PROG>: option '--fill' requires an argument\n" + USAGE, ABSENT, 0,
	 "<PROG>: option requires an argument -- fill\n"},
};

// Reading images back with --info: good ones, and one that breaks each check.
const std::string BOOT_16 = "header: boot\ncrystal: 16 MHz\neeprom clock: 1 MHz and higher\n";
const std::string HEX_REPORT = "format: Intel HEX\n" + BOOT_16 + "start cell: 3\nlast block: 0\n"
			       "expert data: none\nprogram: cells 3 to 5\nused: 6 of 4096 bytes (0.1%)\n";
const std::string RAW_REPORT = "format: raw binary\n" + BOOT_16 + "start cell: 3\nlast block: 0\n"
			       "expert data: none\nprogram: cells 3 to 5\nused: 6 of 8 bytes (75.0%)\n";
const std::string LENGTH_REPORT = "format: Intel HEX\nheader: length\nlength: 3\n"
				  "program: cells 2 to 4\nused: 5 of 4096 bytes (0.1%)\n";
const std::string AT_8000 = ":068000000B03000200006A\n" + EOF_RECORD;
const std::string RAW_2 = "\x0B\x03";
const std::string ONE_IMAGE =
	"ERROR: Give one image: tarnwick --info [options] <image> (see tarnwick --help)\n";
const std::string NO_PROGRAM = "ERROR: No cell from cell ";
const std::string EXPERT_REPORT =
	"format: Intel HEX\n" + BOOT_16 + "start cell: 5\nlast block: 0\nexpert data: cells 3 to 4\n"
	"program: cells 5 to 7\nused: 8 of 4096 bytes (0.2%)\ncrc32: F35F75DC\n";
const std::string NO_DIFFERENCE = "differing cells: 0\n";
const std::string BAD_BASE = "ERROR: Invalid address for -b: give 0 to FFFFFFFF\n";

// The messages for cells 6 to 5 + n, which hold 00h where the layout
// leaves them empty.
std::string differences(int n, const char *more)
{
	std::string err;
	for (int cell = 6; cell < 16 && cell < 6 + n; cell++)
		err += "ERROR: Cell " + std::to_string(cell) + " holds 00h, expected no byte or FFh\n";
	return err + more;
}
const std::string RAW_DIFFERING = RAW_8.substr(0, 6) + std::string(10, '\0');
const std::string FILLED_REPORT =
	"format: Intel HEX\n" + BOOT_16 + "start cell: 3\nlast block: 0\nexpert data: none\n"
	"program: cells 3 to 3\nused: 4 of 8 bytes (50.0%)\ncrc32: 73608AC2\n";
const std::string EXPERT_IMAGE = ":080000000B0500E0E102000025\n";
const std::string AT_10000 = ":020000040001F9\n:0100000011EF\njunk\n";
const std::string OUTSIDE = "ERROR: Address 10000h on line ";
const std::string BEGINS = "ERROR: The image begins at address 10000h: give -b 10000 if it was written there\n";
const std::string LONG_NAME = std::string(250, 'n');
const std::string CHIP_16 = RAW_8 + std::string(8, '\xFF');
const std::string CHIP_70000 = RAW_8.substr(0, 6) + std::string(69994, '\xFF') + "\x12" + std::string(9, '\xFF');
const std::string MAP_LEGEND = "map: 256-byte blocks; # all in use, + some, . none, ! beyond -p";
const std::string UNKNOWN_START = "start cell: unknown\nlast block: ";


// The rows of a map of the given blocks and first-cell width: '.' but the
// block chars given, block by block from block 0 on.
std::string map_rows(uint32_t blocks, int width, const std::string &first_blocks,
		     const std::string &last_blocks = "")
{
	std::string map(blocks, '.'), rows;
	map.replace(0, first_blocks.size(), first_blocks);
	map.replace(blocks - last_blocks.size(), last_blocks.size(), last_blocks);
	for (uint32_t row = 0; row * 32 < blocks; row++) {
		char start[16];
		std::snprintf(start, sizeof start, "  %0*X ", width, row * 32 * 256);
		rows += start + map.substr(row * 32, 32) + "\n";
	}
	return rows;
}

// Bytes 0B 03 00 02 (a program 02h behind the boot header), then fill, size
// bytes in all.
std::string filled_chip(size_t size, char fill)
{
	return std::string("\x0B\x03\x00\x02", 4) + std::string(size - 4, fill);
}
const std::string BEYOND_8 = "ERROR: Cells up to 70000 are in use, beyond the program memory of 8 bytes; give -p the "
			     "program memory size the image was written for\n";

// The last line of a report.
std::string crc32_is(const char *crc)
{
	return std::string("crc32: ") + crc + "\n";
}

// The report with one line replaced.
std::string with(const std::string &report, const std::string &from, const std::string &to)
{
	std::string changed = report;
	return changed.replace(changed.find(from), from.size(), to);
}

const std::string SERIAL_REPORT = with(with(HEX_REPORT, "3 to 5", "3 to 36"), "6 of 4096 bytes (0.1%)",
				       "37 of 4096 bytes (0.9%)") + "crc32: 22CA7812\n";

const e2e_case INFO_CASES[] = {
	{"info, Intel HEX", {{"e.hex", IMAGE}}, {"--info", "e.hex"}, 0, "", ABSENT, 0, nullptr,
	 HEX_REPORT + crc32_is("7AB31BAA")},
	{"info, raw binary", {{"e.bin", RAW_8}}, {"--info", "--binary", "-p", "8", "e.bin"}, 0, "",
	 ABSENT, 0, nullptr, RAW_REPORT + crc32_is("CD46983D")},
	{"info, length header", {{"e.hex", ":050000000300020000F6\n"}}, {"-t", "--info", "e.hex"}, 0,
	 "", ABSENT, 0, nullptr, LENGTH_REPORT + crc32_is("AEF3524C")},
	{"info at -b", {{"e.hex", AT_8000}}, {"--info", "-b", "8000", "e.hex"}, 0, "", ABSENT, 0,
	 nullptr, HEX_REPORT + crc32_is("7AB31BAA")},
	{"info, filled", {{"e.hex", ":080000000B03000200000000E8\n"}},
	 {"--info", "--fill=00", "-p", "8", "e.hex"}, 0, "", ABSENT, 0, nullptr, FILLED_REPORT},
	{"info, S-record", {{"e.s19", "S10900000B0300020000E6\n"}}, {"--info", "e.s19"}, 0, "", ABSENT,
	 0, nullptr, with(HEX_REPORT, "Intel HEX", "S-record") + crc32_is("7AB31BAA")},
	{"info, S-record at 10000h", {{"e.s19", "S2050100000BEE\n"}}, {"--info", "e.s19"}, 1,
	 OUTSIDE + "1 lies outside the image, at 0h to FFFFh\n" + BEGINS, ABSENT},
	{"info, S3 record past FFFFFFFFh", {{"e.s19", "S307FFFFFFFFAABB97\n"}},
	 {"--info", "-b", "FFFFFF00", "e.s19"}, 1,
	 "ERROR: The record on line 1 runs past address FFFFFFFFh\n", ABSENT},
	{"info, bad line behind a misfit", {{"e.hex", AT_10000}}, {"--info", "e.hex"}, 1,
	 OUTSIDE + "2 lies outside the image, at 0h to FFFFh\n" + BEGINS, ABSENT},
	{"info, misfit behind a byte at 0", {{"e.hex", ":010000000BF4\n:020000040001F9\n:010000000BF4\n"}},
	 {"--info", "e.hex"}, 1, OUTSIDE + "3 lies outside the image, at 0h to FFFFh\n", ABSENT},
	{"info, cell 1 missing", {{"e.hex", ":010000000BF4\n:0400020000020000F8\n"}}, {"--info", "e.hex"}, 1,
	 "ERROR: The boot header needs bytes in cells 0 to 2, but cell 1 holds none\n", ABSENT, 0,
	 nullptr, with(with(HEX_REPORT, "start cell: 3\nlast block: ", UNKNOWN_START), "none\nprogram: cells 3 to 5",
		       "unknown\nprogram: unknown") + crc32_is("A44CBA66")},
	{"info, start cell 0", {{"e.hex", ":060000000B0000020000ED\n"}}, {"--info", "e.hex"}, 1,
	 "ERROR: Header cell 1 names start cell 0, inside the header (cells 0 to 2)\n", ABSENT, 0,
	 nullptr, with(with(HEX_REPORT, "cell: 3", "cell: 0"), "3 to 5", "0 to 5") + crc32_is("C65845E9")},
	{"info, a byte at 100h", {{"e.hex", ":010000000BF4\n:0101000000FE\n"}}, {"--info", "e.hex"}, 1,
	 "ERROR: The boot header needs bytes in cells 0 to 2, but cells 1 and 2 hold none\n", ABSENT, 0,
	 nullptr, "format: Intel HEX\n" + BOOT_16 + UNKNOWN_START + "unknown\nexpert data: unknown\n"
	 "program: unknown\nused: 257 of 4096 bytes (6.3%)\n" + crc32_is("7974276A")},
	{"info, truncated", {{"e.hex", ":060000000B0301020000E9\n"}}, {"--info", "e.hex"}, 1,
	 "ERROR: Header cell 2 names block 1 as the last in use, but the last cell in use, 5, lies in "
	 "block 0\n", ABSENT, 0, nullptr, with(HEX_REPORT, "block: 0", "block: 1") + crc32_is("01F82CC5")},
	{"info, bad crystal code", {{"e.hex", ":060000001D0300020000D8\n"}}, {"--info", "e.hex"}, 1,
	 "ERROR: Header cell 0 (1Dh) holds crystal code 5, not 0 to 4\n"
	 "ERROR: Header cell 0 (1Dh) has bits 4 to 7 set, not 0\n", ABSENT, 0, nullptr,
	 with(HEX_REPORT, "16 MHz", "unknown") + crc32_is("D2CC6A04")},
	{"info, start cell in the header", {{"e.hex", ":060000000B0200020000EB\n"}}, {"--info", "e.hex"},
	 1, "ERROR: Header cell 1 names start cell 2, inside the header (cells 0 to 2)\n", ABSENT, 0,
	 nullptr, with(with(HEX_REPORT, "cell: 3", "cell: 2"), "3 to 5", "2 to 5") + crc32_is("A7C52C54")},
	{"info, raw header cut short", {{"e.bin", RAW_2}}, {"--info", "--binary", "-p", "8", "e.bin"}, 1,
	 "ERROR: The boot header needs bytes in cells 0 to 2, but cell 2 holds none\n" + NO_PROGRAM +
	 "3 on is in use: the image holds no program\n", ABSENT, 0,
	 nullptr, with(with(with(RAW_REPORT, "block: 0", "block: unknown"), "cells 3 to 5", "none"),
		       "6 of 8 bytes (75.0%)", "2 of 8 bytes (25.0%)") + crc32_is("F9BB9501")},
	{"info, raw block beyond the image", {{"e.bin", "\x0B\x03\x01" + RAW_8.substr(3)}},
	 {"--info", "--binary", "-p", "8", "e.bin"}, 1,
	 "ERROR: Header cell 2 names block 1 as the last in use, but the image ends in block 0\n",
	 ABSENT, 0, nullptr, with(RAW_REPORT, "block: 0", "block: 1") + crc32_is("061A4B98")},
	{"info, length header too short", {{"e.hex", ":050000000200020000F7\n"}}, {"-t", "--info", "e.hex"},
	 1, "ERROR: The length header counts 2 bytes, in cells 2 to 3, but cells up to 4 are in use\n",
	 ABSENT, 0, nullptr, with(LENGTH_REPORT, "length: 3", "length: 2") + crc32_is("F42BFB60")},
	{"info, length header too long", {{"e.hex", ":050000000400020000F5\n"}}, {"-t", "--info", "e.hex"},
	 1, "ERROR: The length header counts 4 bytes, in cells 2 to 5, but cell 5 holds no byte\n",
	 ABSENT, 0, nullptr, with(LENGTH_REPORT, "length: 3", "length: 4") + crc32_is("F1890BC9")},
	{"info, beyond the program memory", {{"e.hex", IMAGE}}, {"--info", "-p", "5", "e.hex"}, 1,
	 "ERROR: Cells up to 5 are in use, beyond the program memory of 5 bytes; give -p the "
	 "program memory size the image was written for\n", ABSENT, 0, nullptr,
	 with(HEX_REPORT, "6 of 4096 bytes (0.1%)", "6 of 5 bytes (120.0%)") + crc32_is("91710B60")},
	{"info, written with -b", {{"e.hex", AT_8000}}, {"--info", "-p", "65536", "e.hex"}, 1,
	 "ERROR: The image begins at address 8000h: give -b 8000 if it was written there\n"
	 "ERROR: The boot header needs bytes in cells 0 to 2, but cells 0, 1 and 2 hold none\n",
	 ABSENT, 0, nullptr,
	 "format: Intel HEX\nheader: boot\ncrystal: unknown\neeprom clock: unknown\n"
	 "start cell: unknown\nlast block: unknown\nexpert data: unknown\nprogram: unknown\n"
	 "used: 32774 of 65536 bytes (50.0%)\n" + crc32_is("84CA7B99")},
	{"info, outside the -b window", {{"e.hex", AT_8000}}, {"--info", "-b", "8001", "e.hex"}, 1,
	 "ERROR: Address 8000h on line 1 lies outside the image, at 8001h to 18000h\n", ABSENT},
	{"info, raw image too long", {{"e.bin", std::string(65537, '\xFF')}}, {"--binary", "--info", "e.bin"},
	 1, "ERROR: 'e.bin' is longer than 65536 bytes, the largest image\n", ABSENT},
	{"info refuses -c", {{"e.hex", IMAGE}}, {"--info", "-c", "8", "e.hex"}, 1,
	 "ERROR: Option -c has no meaning with --info\n", ABSENT},
	{"info refuses -p 0", {{"e.hex", IMAGE}}, {"--info", "-p", "0", "e.hex"}, 1,
	 "ERROR: Program memory size must be at least 1 byte\n", ABSENT},
	{"info takes one name", {{"e.hex", IMAGE}}, {"--info", "e.hex", "out.hex"}, 1, ONE_IMAGE, ABSENT},
	{"info without a name", {}, {"--info", "-c", "8"}, 1, ONE_IMAGE, ABSENT},
	{"info, bits 4 to 7 alone", {{"e.hex", ":060000001B0300020000DA\n"}}, {"--info", "e.hex"}, 1,
	 "ERROR: Header cell 0 (1Bh) has bits 4 to 7 set, not 0\n", ABSENT, 0, nullptr, HEX_REPORT + crc32_is("D76E9AAD")},
	{"info, raw block past the end", {{"e.bin", "\x0B\x03\x04" + std::string(1021, '\0')}},
	 {"--info", "--binary", "-p", "1024", "e.bin"}, 1,
	 "ERROR: Header cell 2 names block 4 as the last in use, but the image ends in block 3\n",
	 ABSENT, 0, nullptr,
	 with(with(with(RAW_REPORT, "block: 0", "block: 4"), "3 to 5", "3 to 1023"),
	      "6 of 8 bytes (75.0%)", "1024 of 1024 bytes (100.0%)") + crc32_is("75917D4E")},
	{"info, raw length beyond the image", {{"e.bin", std::string("\x05\x00\x02\x00\x00", 5)}},
	 {"--info", "--binary", "-t", "-p", "8", "e.bin"}, 1,
	 "ERROR: The length header counts 5 bytes, in cells 2 to 6, but cell 6 lies beyond the image\n",
	 ABSENT, 0, nullptr,
	 "format: raw binary\nheader: length\nlength: 5\nprogram: cells 2 to 4\n"
	 "used: 5 of 8 bytes (62.5%)\n" + crc32_is("60B45614")},
	{"info, length header of 1 byte", {{"e.hex", ":050000000100020000F8\n"}}, {"-t", "--info", "e.hex"}, 1,
	 "ERROR: The length header counts 1 byte, in cell 2, but cells up to 4 are in use\n", ABSENT,
	 0, nullptr, with(LENGTH_REPORT, "length: 3", "length: 1") + crc32_is("1B420014")},
	{"info, program memory of 1 byte", {{"e.hex", IMAGE}}, {"--info", "-p", "1", "e.hex"}, 1,
	 "ERROR: Cells up to 5 are in use, beyond the program memory of 1 byte; give -p the "
	 "program memory size the image was written for\n", ABSENT, 0, nullptr,
	 with(HEX_REPORT, "6 of 4096 bytes (0.1%)", "6 of 1 bytes (600.0%)") + crc32_is("45D03605")},
	{"info, start cell beyond the bytes", {{"e.hex", ":070000000BC800010203041C\n" + EOF_RECORD}},
	 {"--info", "e.hex"}, 1, NO_PROGRAM + "200 on is in use: the image holds no program\n", ABSENT,
	 0, nullptr,
	 with(with(with(with(HEX_REPORT, "cell: 3", "cell: 200"), "data: none", "data: cells 3 to 199"),
		   "cells 3 to 5", "none"), "6 of 4096 bytes (0.1%)", "7 of 4096 bytes (0.2%)") + crc32_is("20AC3E9B")},
	{"info, raw header alone", {{"e.bin", RAW_8.substr(0, 3) + "\xFF\xFF"}},
	 {"--info", "--binary", "-p", "8", "e.bin"}, 1,
	 NO_PROGRAM + "3 on is in use: the image holds no program\n", ABSENT, 0, nullptr,
	 with(with(RAW_REPORT, "cells 3 to 5", "none"), "6 of 8 bytes (75.0%)", "3 of 8 bytes (37.5%)") + crc32_is("1D7F3ECD")},
	{"info, length 0", {{"e.hex", ":020000000000FE\n"}}, {"-t", "--info", "e.hex"}, 1,
	 NO_PROGRAM + "2 on is in use: the image holds no program\n", ABSENT, 0, nullptr,
	 "format: Intel HEX\nheader: length\nlength: 0\nprogram: none\nused: 2 of 4096 bytes (0.0%)\n" + crc32_is("EE2512CB")},
	{"info, empty file", {{"e.hex", ""}}, {"--info", "e.hex"}, 1, "ERROR: No data in 'e.hex'\n",
	 ABSENT},
	{"info, empty raw file", {{"e.bin", ""}}, {"--info", "--binary", "e.bin"}, 1,
	 "ERROR: No data in 'e.bin'\n", ABSENT},
	{"info, written at 10000h", {{"e.hex", ":020000040001F9\n" + IMAGE}}, {"--info", "e.hex"}, 1,
	 "ERROR: Address 10000h on line 2 lies outside the image, at 0h to FFFFh\n"
	 "ERROR: The image begins at address 10000h: give -b 10000 if it was written there\n", ABSENT},
	{"info, -b beyond 32 bits", {{"e.hex", IMAGE}}, {"--info", "-b", "100000000", "e.hex"}, 1,
	 BAD_BASE, ABSENT},
	{"info, -b with a sign", {{"e.hex", IMAGE}}, {"--info", "-b", "-1", "e.hex"}, 1, BAD_BASE, ABSENT},
	{"info, -b FFFFFFFF", {{"e.hex", IMAGE}}, {"--info", "-b", "FFFFFFFF", "e.hex"}, 1,
	 "ERROR: Address 0h on line 1 lies outside the image, at FFFFFFFFh to FFFFFFFFh\n", ABSENT},
	{"info, record past FFFFFFFFh", {{"e.hex", ":02000004FFFFFC\n:02FFFF00AABB9B\n"}},
	 {"--info", "-b", "FFFFFF00", "e.hex"}, 1,
	 "ERROR: The record on line 2 runs past address FFFFFFFFh\n", ABSENT},
	{"info with stdout closed", {{"e.hex", IMAGE}}, {"--info", "e.hex"}, 1,
	 "ERROR: Can't write to the standard output\n", ABSENT, RUN_STDOUT_CLOSED},
	{"verify", {{"in.hex", PROGRAM}, {"e.hex", IMAGE}}, {"--verify", "in.hex", "e.hex"}, 0, "",
	 ABSENT, 0, nullptr, NO_DIFFERENCE},
	{"verify a raw read-out that ends early", {{"in.hex", PROGRAM}, {"e.bin", RAW_8.substr(0, 6)}},
	 {"--verify", "--binary", "-p", "8", "in.hex", "e.bin"}, 0, "", ABSENT, 0, nullptr,
	 NO_DIFFERENCE},
	{"verify a changed cell", {{"in.hex", PROGRAM}, {"e.hex", ":060000000B0300020100E9\n"}},
	 {"--verify", "in.hex", "e.hex"}, 1, "ERROR: Cell 4 holds 01h, expected 00h\n", ABSENT, 0,
	 nullptr, "differing cells: 1\n"},
	{"verify the fill byte", {{"in.hex", PROGRAM}, {"e.hex", ":070000000B0300020000FFEA\n"}},
	 {"--verify", "--fill=00", "-p", "8", "in.hex", "e.hex"}, 1,
	 "ERROR: Cell 6 holds FFh, expected no byte or 00h\n", ABSENT, 0, nullptr,
	 "differing cells: 1\n"},
	{"verify twelve differences", {{"in.hex", PROGRAM}, {"e.bin", RAW_8.substr(0, 6) + std::string(12, '\0')}},
	 {"--verify", "--binary", "-p", "32", "in.hex", "e.bin"}, 1,
	 differences(12, "ERROR: 2 more cells differ\n"), ABSENT, 0, nullptr, "differing cells: 12\n"},
	{"verify eleven differences", {{"in.hex", PROGRAM}, {"e.bin", RAW_DIFFERING + '\0'}},
	 {"--verify", "--binary", "-p", "32", "in.hex", "e.bin"}, 1,
	 differences(11, "ERROR: 1 more cell differs\n"), ABSENT, 0, nullptr, "differing cells: 11\n"},
	{"verify ten differences", {{"in.hex", PROGRAM}, {"e.bin", RAW_DIFFERING}},
	 {"--verify", "--binary", "-p", "32", "in.hex", "e.bin"}, 1, differences(10, ""), ABSENT, 0,
	 nullptr, "differing cells: 10\n"},
	{"verify a read-out without the records of fill bytes",
	 {{"in.hex", ":0300000002FF00FC\n"}, {"e.hex", ":040000000B030002EC\n:0100050000FA\n"}},
	 {"--verify", "--fill=FF", "-p", "8", "in.hex", "e.hex"}, 0, "", ABSENT, 0, nullptr,
	 NO_DIFFERENCE},
	{"verify a missing cell that is not the fill byte",
	 {{"in.hex", ":0300000002FF00FC\n"}, {"e.hex", ":040000000B030002EC\n:0100050000FA\n"}},
	 {"--verify", "--fill=00", "-p", "8", "in.hex", "e.hex"}, 1,
	 "ERROR: Cell 4 holds no byte, expected FFh\n", ABSENT, 0, nullptr, "differing cells: 1\n"},
	{"verify refuses -p 0", {}, {"--verify", "-p", "0", "in.hex", "e.hex"}, 1,
	 "ERROR: Program memory size must be at least 1 byte\n", ABSENT},
	{"verify a program beyond the image", {{"in.hex", ":020000040001F9\n:0100000011EE\n"}},
	 {"--verify", "in.hex", "e.hex"}, 1,
	 "ERROR: Hex file contents does not fit into available memory\n", ABSENT},
	{"verify expert data without a program", {{"x.hex", EXPERT}, {"e.hex", IMAGE}},
	 {"--verify", "-e", "x.hex", "nope.hex", "e.hex"}, 1, "ERROR: Can't open 'nope.hex'\n", ABSENT},
	{"verify an S-record read-out", {{"in.s19", "S1060000020000F7\n"}, {"e.s19", "S10900000B0300020000E6\n"}},
	 {"--verify", "in.s19", "e.s19"}, 0, "", ABSENT, 0, nullptr, NO_DIFFERENCE},
	{"verify refuses -a", {}, {"--verify", "-a", "x", "in.hex", "e.hex"}, 1,
	 "ERROR: Option -a has no meaning with --verify\n", ABSENT},
	{"verify a program that fails to load", {{"in.hex", ":03000000020000FA\n"}, {"e.hex", IMAGE}},
	 {"--verify", "in.hex", "e.hex"}, 1, "ERROR: Checksum error on line 1\n", ABSENT},
	{"verify takes two names", {}, {"--verify", "in.hex"}, 1,
	 "ERROR: Give a program and an image: tarnwick --verify [options] <infile> <image> (see "
	 "tarnwick --help)\n", ABSENT},
	{"extract", {{"e.hex", ":06000000010300020000F4\n"}}, {"--extract", "e.hex", "out.hex"}, 0, "",
	 PROGRAM, 0, nullptr,
	 with(HEX_REPORT, "16 MHz\neeprom clock: 1 MHz and higher", "8 MHz\neeprom clock: 500 kHz") +
		 "crc32: 74540A51\ncommand: tarnwick -c 8 -s out.hex e.hex\n"},
	{"extract expert-mode data", {{"e.hex", ":080000000B0500E0E102000025\n"}},
	 {"--extract", "e.hex", "p.hex", "out.hex"}, 0, "", EXPERT, 0, nullptr,
	 EXPERT_REPORT + "command: tarnwick -e out.hex p.hex e.hex\n"},
	{"extract without a name for the data", {{"e.hex", ":080000000B0500E0E102000025\n"}},
	 {"--extract", "e.hex", "out.hex"}, 1,
	 "ERROR: The image holds expert-mode data in cells 3 to 4: give a file name for it\n", ABSENT,
	 0, nullptr, EXPERT_REPORT},
	{"extract with a name for no data", {{"e.hex", IMAGE}, {"out.hex", KEEP}},
	 {"--extract", "e.hex", "p.hex", "out.hex"}, 1,
	 "ERROR: The image holds no expert-mode data: give no third file name\n", KEEP, 0, nullptr,
	 HEX_REPORT + crc32_is("7AB31BAA")},
	{"extract a third name behind the length header", {{"e.hex", ":050000000300020000F6\n"}},
	 {"--extract", "-t", "e.hex", "p.hex", "out.hex"}, 1,
	 "ERROR: Behind the length header expert-mode data cannot be told from the program: give "
	 "no third file name\n", ABSENT, 0, nullptr, LENGTH_REPORT + crc32_is("AEF3524C")},
	{"extract a filled raw image named with a dash", {{"-r e.bin", RAW_8.substr(0, 6) + std::string(2, '\0')}},
	 {"--extract", "--binary", "-p", "8", "--fill=00", "--", "-r e.bin", "out.hex"}, 0, "",
	 ":0100000002FD\n" + EOF_RECORD, 0, nullptr,
	 with(with(RAW_REPORT, "3 to 5", "3 to 3"), "6 of 8 bytes (75.0%)", "4 of 8 bytes (50.0%)") +
		 "crc32: 73608AC2\ncommand: tarnwick -p 8 --binary --fill=00 -- out.hex '-r e.bin'\n",
	 "format: raw binary\n" + BOOT_16 + "start cell: 3\nlast block: 0\nexpert data: none\n"
	 "program: cells 3 to 3\nused: 4 of 8 bytes (50.0%)\ncrc32: 73608AC2\n"
	 "command: tarnwick -p 8 --binary --fill=00 -- out.hex \"-r e.bin\"\n"},
	{"extract a raw image of another length", {{"e.bin", RAW_8}},
	 {"--extract", "--binary", "e.bin", "out.hex"}, 1,
	 "ERROR: 'e.bin' holds 8 bytes, not the 4096 of the program memory (-p)\n", ABSENT, 0, nullptr,
	 with(RAW_REPORT, "6 of 8 bytes (75.0%)", "6 of 4096 bytes (0.1%)") + crc32_is("7AB31BAA")},
	{"extract data that ends without a byte",
	 {{"e.hex", ":050000000B0600E0E129\n:03000600020000F5\n"}, {"out.hex", KEEP}},
	 {"--extract", "e.hex", "out.hex", "x.hex"}, 1,
	 "ERROR: Cell 5, the last of the expert-mode data, holds no byte: no conversion lays out "
	 "this image\n", KEEP, 0, nullptr,
	 with(with(with(with(EXPERT_REPORT, "cell: 5", "cell: 6"), "3 to 4", "3 to 5"),
		   "5 to 7\nused: 8", "6 to 8\nused: 9"), "F35F75DC", "E33E618E")},
	{"extract into one new file twice", {{"e.hex", EXPERT_IMAGE}},
	 {"--extract", "e.hex", "out.hex", "./out.hex"}, 1,
	 "ERROR: Output files 'out.hex' and './out.hex' are one file\n", ABSENT, 0, nullptr, EXPERT_REPORT},
	{"extract with data that cannot be written", {{"e.hex", EXPERT_IMAGE}, {"out.hex", KEEP}},
	 {"--extract", "e.hex", "out.hex", "/dev/full"}, 1, "ERROR: Can't write '/dev/full'\n", KEEP, 0,
	 nullptr, EXPERT_REPORT},
	{"extract beside a missing folder", {{"e.hex", EXPERT_IMAGE}, {"out.hex", KEEP}},
	 {"--extract", "e.hex", "out.hex", "no/x.hex"}, 1, "ERROR: Can't open 'no/x.hex'\n", KEEP, 0,
	 nullptr, EXPERT_REPORT},
	{"extract into a device", {{"e.hex", EXPERT_IMAGE}}, {"--extract", "e.hex", "/dev/null", "out.hex"},
	 0, "", EXPERT, LINUX_ONLY, nullptr, EXPERT_REPORT + "command: tarnwick -e out.hex /dev/null e.hex\n"},
	{"extract a filled image with a gap", {{"e.hex", IMAGE}}, {"--extract", "--fill=00", "-p", "8", "e.hex", "out.hex"},
	 1, "ERROR: Cell 6 holds no byte, but an image written with --fill holds one in every cell of the "
	 "program memory\n", ABSENT, 0, nullptr, FILLED_REPORT},
	{"extract a filled image", {{"e.hex", ":080000000B03000200000000E8\n"}},
	 {"--extract", "--fill=00", "-p", "8", "e.hex", "out.hex"}, 0, "", ":0100000002FD\n" + EOF_RECORD,
	 0, nullptr, FILLED_REPORT + "command: tarnwick -p 8 --fill=00 out.hex e.hex\n"},
	{"extract a raw image to its last block", {{"e.bin", "\x0B\x03\x01\x02" + std::string(2, '\0') +
						       std::string(1018, '\xFF')}},
	 {"--extract", "--binary", "-p", "1024", "e.bin", "out.hex"}, 0, "",
	 records_of(std::string("\x02\0\0", 3) + std::string(251, '\xFF')) + EOF_RECORD, 0, nullptr,
	 with(with(RAW_REPORT, "block: 0", "block: 1"), "6 of 8 bytes (75.0%)", "6 of 1024 bytes (0.6%)") +
		 "crc32: 5D0C11F6\ncommand: tarnwick -p 1024 --binary out.hex e.bin\n"},
	{"extract at -b", {{"e.hex", AT_8000}}, {"--extract", "-b", "8000", "e.hex", "out.hex"}, 0, "",
	 PROGRAM, 0, nullptr, HEX_REPORT + crc32_is("7AB31BAA") + "command: tarnwick -b 8000 out.hex e.hex\n"},
	{"extract with an empty name", {{"e.hex", EXPERT_IMAGE}, {"out.hex", KEEP}},
	 {"--extract", "e.hex", "out.hex", ""}, 1, "ERROR: Can't open ''\n", KEEP, 0, nullptr, EXPERT_REPORT},
	{"extract to a long name", {{"e.hex", EXPERT_IMAGE}}, {"--extract", "e.hex", LONG_NAME, "out.hex"}, 0,
	 "", EXPERT, 0, nullptr, EXPERT_REPORT + "command: tarnwick -e out.hex " + LONG_NAME + " e.hex\n"},
	{"extract an S-record image", {{"e.s19", "S10900000B0300020000E6\n"}}, {"--extract", "e.s19", "out.hex"},
	 0, "", PROGRAM, 0, nullptr, with(HEX_REPORT, "Intel HEX", "S-record") + crc32_is("7AB31BAA") +
	 "command: tarnwick --srec out.hex e.s19\n"},
	{"extract into the image", {{"e.hex", IMAGE}}, {"--extract", "e.hex", "./e.hex"}, 1,
	 "ERROR: Output file './e.hex' is also an input file\n", ABSENT, 0, nullptr,
	 HEX_REPORT + crc32_is("7AB31BAA")},
	{"info of the EEPROM", {{"e.bin", CHIP_16}}, {"--info", "--binary", "-p", "8", "--eeprom-size=16", "e.bin"},
	 0, "", ABSENT, 0, nullptr, RAW_REPORT + crc32_is("2B2F64F0")},
	{"info of more than the EEPROM", {{"e.bin", CHIP_16 + '\xFF'}},
	 {"--info", "--binary", "--eeprom-size=16", "e.bin"}, 1,
	 "ERROR: 'e.bin' holds 17 bytes, more than the EEPROM's 16\n", ABSENT},
	{"info of a byte beyond 64 KiB", {{"e.bin", CHIP_70000}}, {"--info", "--binary", "-p", "8", "--eeprom-size=70010", "e.bin"}, 1,
	 "ERROR: Header cell 2 names block 0 as the last in use, but the last cell in use, 70000, lies in "
	 "block 273\nERROR: Cells up to 70000 are in use, beyond the program memory of 8 bytes; give -p the "
	 "program memory size the image was written for\n", ABSENT, 0, nullptr,
	 with(with(RAW_REPORT, "3 to 5", "3 to 70000"), "6 of 8 bytes (75.0%)", "70001 of 8 bytes (875012.5%)") +
		 crc32_is("0E90A3EA")},
	{"info with a map", {{"e.hex", IMAGE}}, {"--info", "--map", "e.hex"}, 0, "", ABSENT, 0, nullptr,
	 HEX_REPORT + crc32_is("7AB31BAA") + MAP_LEGEND + "\n  0000 +...............\n"},
	{"verify a byte beyond 64 KiB", {{"in.hex", PROGRAM}, {"e.bin", CHIP_70000}},
	 {"--verify", "--binary", "--eeprom-size=70010", "in.hex", "e.bin"}, 1,
	 "ERROR: Cell 70000 holds 12h, expected no byte or FFh\n", ABSENT, 0, nullptr, "differing cells: 1\n"},
	{"verify the EEPROM's empty cells by the fill byte", {{"in.hex", PROGRAM}, {"e.bin", RAW_8.substr(0, 6) + std::string(10, '\0')}},
	 {"--verify", "--binary", "--fill=00", "-p", "8", "--eeprom-size=16", "in.hex", "e.bin"}, 0, "", ABSENT, 0,
	 nullptr, NO_DIFFERENCE},
	{"verify with a map", {{"in.hex", PROGRAM}, {"e.bin", RAW_DIFFERING}},
	 {"--verify", "--map", "--binary", "-p", "32", "in.hex", "e.bin"}, 1, differences(10, ""), ABSENT, 0,
	 nullptr, "differing cells: 10\n" + MAP_LEGEND + ", X differs\n  0000 X\n"},
	{"extract a raw image longer than -p", {{"e.bin", CHIP_16}}, {"--extract", "--binary", "-p", "8", "e.bin", "out.hex"},
	 0, "", PROGRAM, 0, nullptr,
	 RAW_REPORT + "crc32: 2B2F64F0\ncommand: tarnwick -p 8 --binary --eeprom-size=16 out.hex e.bin\n"},
	{"extract a raw image of another size than the EEPROM", {{"e.bin", CHIP_16}},
	 {"--extract", "--map", "--binary", "-p", "8", "--eeprom-size=32", "e.bin", "out.hex"}, 1,
	 "ERROR: 'e.bin' holds 16 bytes, not the 32 of the EEPROM (--eeprom-size)\n", ABSENT, 0, nullptr,
	 RAW_REPORT + "crc32: BB2D800F\n" + MAP_LEGEND + "\n  0000 +\n"},
	{"extract a filled image that ends before the EEPROM", {{"e.hex", ":080000000B03000200000000E8\n"}},
	 {"--extract", "--fill=00", "-p", "8", "--eeprom-size=16", "e.hex", "out.hex"}, 1,
	 "ERROR: Cell 8 holds no byte, but an image written with --fill holds one in every cell of the "
	 "EEPROM\n", ABSENT, 0, nullptr, with(FILLED_REPORT, "73608AC2", "C741BFDA")},
	{"map of a byte in use beyond 64 KiB", {{"e.bin", CHIP_70000}},
	 {"--info", "--map", "--binary", "-p", "8", "--eeprom-size=70010", "e.bin"}, 1,
	 "ERROR: Header cell 2 names block 0 as the last in use, but the last cell in use, 70000, lies in "
	 "block 273\n" + BEYOND_8, ABSENT, 0, nullptr,
	 with(with(RAW_REPORT, "3 to 5", "3 to 70000"), "6 of 8 bytes (75.0%)", "70001 of 8 bytes (875012.5%)") +
		 crc32_is("0E90A3EA") + MAP_LEGEND + "\n" + map_rows(274, 5, "+", "!")},
	{"map near the end of a 16 MiB chip",
	 {{"e.hex", IMAGE + ":0200000400FFFB\n:01FFF00055BB\n"}}, {"--info", "--map", "--eeprom-size=16384K", "e.hex"}, 1,
	 "ERROR: Header cell 2 names block 0 as the last in use, but the last cell in use, 16777200, lies in "
	 "block 65535\nERROR: Cells up to 16777200 are in use, beyond the program memory of 4096 bytes; give -p "
	 "the program memory size the image was written for\n", ABSENT, 0, nullptr,
	 with(with(HEX_REPORT, "3 to 5", "3 to 16777200"), "6 of 4096 bytes (0.1%)", "16777201 of 4096 bytes (409599.6%)") +
		 crc32_is("536961CD") + MAP_LEGEND + "\n" + map_rows(65536, 6, "+", "!")},
	{"map of a block of 00 bytes, each in use", {{"e.hex", records_of("\x0B\x03\x01" + std::string(509, '\0'))}},
	 {"--info", "--map", "-p", "512", "e.hex"}, 0, "", ABSENT, 0, nullptr,
	 with(with(with(HEX_REPORT, "block: 0", "block: 1"), "3 to 5", "3 to 511"), "6 of 4096 bytes (0.1%)",
	      "512 of 512 bytes (100.0%)") + crc32_is("E5949F02") + MAP_LEGEND + "\n  0000 ##\n"},
	{"map of a byte behind the program memory", {{"e.hex", IMAGE + ":0110000011DE\n"}}, {"--info", "--map", "e.hex"}, 1,
	 "ERROR: Header cell 2 names block 0 as the last in use, but the last cell in use, 4096, lies in block 16\n"
	 "ERROR: Cells up to 4096 are in use, beyond the program memory of 4096 bytes; give -p the program memory "
	 "size the image was written for\n", ABSENT, 0, nullptr,
	 with(with(HEX_REPORT, "3 to 5", "3 to 4096"), "6 of 4096 bytes (0.1%)", "4097 of 4096 bytes (100.0%)") +
		 crc32_is("7AB31BAA") +
		 MAP_LEGEND + "\n  0000 +...............!\n"},
	{"verify a byte beyond the program memory by the fill byte", {{"in.hex", PROGRAM}, {"e.bin", RAW_8.substr(0, 6) + std::string(2, '\0') + '\xFF'}},
	 {"--verify", "--binary", "--fill=00", "-p", "8", "in.hex", "e.bin"}, 1,
	 "ERROR: Cell 8 holds FFh, expected no byte or 00h\n", ABSENT, 0, nullptr, "differing cells: 1\n"},
	{"verify a cell beyond 64 KiB given twice, the fill byte last",
	 {{"in.hex", PROGRAM}, {"e.hex", IMAGE + ":020000040001F9\n:01800000552A\n:01800000FF80\n"}},
	 {"--verify", "--eeprom-size=128K", "in.hex", "e.hex"}, 0, "", ABSENT, 0, nullptr, NO_DIFFERENCE},
	{"extract a filled chip whose records beyond 64 KiB come out of order",
	 {{"e.hex", records_of(filled_chip(200000, '\0'), 3)}},
	 {"--extract", "--fill=00", "--eeprom-size=200000", "e.hex", "out.hex"}, 0, "", ":0100000002FD\n" + EOF_RECORD, 0,
	 nullptr, with(with(FILLED_REPORT, "73608AC2", "7D3D418C"), "of 8 bytes (50.0%)", "of 4096 bytes (0.1%)") +
	 "command: tarnwick --fill=00 --eeprom-size=200000 out.hex e.hex\n"},
	{"extract a filled chip to its last cell", {{"e.hex", records_of(filled_chip(65792, '\xFF'))}},
	 {"--extract", "--fill=FF", "--eeprom-size=65792", "e.hex", "out.hex"}, 0, "", ":0100000002FD\n" + EOF_RECORD, 0,
	 nullptr, with(with(FILLED_REPORT, "73608AC2", "18A98D40"), "of 8 bytes (50.0%)", "of 4096 bytes (0.1%)") +
		 "command: tarnwick --fill=FF --eeprom-size=65792 out.hex e.hex\n"},
	{"extract a program in the last cell behind the length header", {{"e.hex", ":06000000040002000011E3\n"}},
	 {"--extract", "-t", "-p", "6", "e.hex", "out.hex"}, 1,
	 "ERROR: The program ends in cell 5, the last of the program memory, which a conversion leaves unused "
	 "behind the length header\n", ABSENT, 0, nullptr,
	 with(LENGTH_REPORT, "length: 3\nprogram: cells 2 to 4\nused: 5 of 4096 bytes (0.1%)",
	      "length: 4\nprogram: cells 2 to 5\nused: 6 of 6 bytes (100.0%)") + crc32_is("EAEA0BCC")},
	{"info, a raw block 255 behind a program memory of 8", {{"e.bin", "\x0B" + std::string(7, '\xFF')}},
	 {"--info", "--binary", "-p", "8", "e.bin"}, 1,
	 "ERROR: Header cell 2 names block 255 as the last in use, but the image ends in block 0\n" + NO_PROGRAM +
	 "255 on is in use: the image holds no program\n", ABSENT, 0, nullptr,
	 "format: raw binary\n" + BOOT_16 + "start cell: 255\nlast block: 255\nexpert data: cells 3 to 254\n"
	 "program: none\nused: 1 of 8 bytes (12.5%)\n" + crc32_is("5A65C5AC")},
	{"info, an image that begins at 100h", {{"e.hex", ":060100000B0300020000E9\n"}}, {"--info", "e.hex"}, 1,
	 "ERROR: The image begins at address 100h: give -b 100 if it was written there\n"
	 "ERROR: The boot header needs bytes in cells 0 to 2, but cells 0, 1 and 2 hold none\n", ABSENT, 0, nullptr,
	 "format: Intel HEX\nheader: boot\ncrystal: unknown\neeprom clock: unknown\nstart cell: unknown\n"
	 "last block: unknown\nexpert data: unknown\nprogram: unknown\nused: 262 of 4096 bytes (6.4%)\n" +
		 crc32_is("6CD3368E")},
	{"info refuses --srec", {{"e.hex", IMAGE}}, {"--info", "--srec", "e.hex"}, 1,
	 "ERROR: Option --srec has no meaning with --info\n", ABSENT},
	{"info of a serial number", {{"e.hex", USB_42}}, {"--info", "--serial=10:usb:8", "e.hex"}, 0, "", ABSENT, 0,
	 nullptr, SERIAL_REPORT + "serial: 42\n"},
	{"info of a serial number as JSON", {{"e.hex", USB_42}}, {"--info", "--json", "--serial=10:usb:8", "e.hex"}, 0,
	 "", ABSENT, 0, nullptr,
	 "{\"format\":\"Intel HEX\",\"header\":\"boot\",\"crystal\":\"16 MHz\",\"eeprom_clock\":\"1 MHz and higher\","
	 "\"start_cell\":3,\"last_block\":0,\"expert_data\":\"none\",\"program\":\"cells 3 to 36\",\"used\":"
	 "\"37 of 4096 bytes (0.9%)\",\"crc32\":\"22CA7812\",\"serial\":42,\"errors\":[]}\n"},
	{"info of a serial number that is none", {{"e.hex", USB_42}}, {"--info", "--serial=10:dec:8", "e.hex"}, 1,
	 "ERROR: The serial number at 10h is not a decimal number of 8 digits: cell 19 holds 12h\n", ABSENT, 0,
	 nullptr, SERIAL_REPORT + "serial: unknown\n"},
	{"info refuses a serial number", {}, {"--info", "--serial-number=4", "e.hex"}, 1,
	 "ERROR: Option --serial-number has no meaning with --info\n", ABSENT},
	{"verify a board by the serial number it holds", {{"in.hex", SERIAL_PROGRAM}, {"e.hex", USB_42}},
	 {"--verify", "--serial=10:usb:8", "in.hex", "e.hex"}, 0, "", ABSENT, 0, nullptr,
	 NO_DIFFERENCE + "serial: 42\n"},
	{"verify a board by another serial number", {{"in.hex", SERIAL_PROGRAM}, {"e.hex", USB_42}},
	 {"--verify", "--serial=10:usb:8", "--serial-number=43", "in.hex", "e.hex"}, 1,
	 "ERROR: Cell 35 holds 32h, expected 33h\n", ABSENT, 0, nullptr, "differing cells: 1\nserial: 43\n"},
	{"verify a board never given a number against the log", {{"in.hex", SERIAL_PROGRAM}, {"e.hex",
	 ":0D0000000B030002000000000000000000E3\n" + SERIAL_REST}, {"l", "{\"serial\":42}\n"}},
	 {"--verify", "--serial=10:usb:8", "--serial-log=l", "in.hex", "e.hex"}, 1,
	 "ERROR: Serial number 0 is not in the log 'l'\n", ABSENT, 0, nullptr, NO_DIFFERENCE + "serial: 0\n"},
	{"verify a board whose number the log holds twice", {{"in.hex", SERIAL_PROGRAM}, {"e.hex", USB_42},
	 {"l", "{\"serial\":42}\n{\"serial\": 42"}}, {"--verify", "--serial=10:usb:8", "--serial-log=l", "in.hex", "e.hex"},
	 1, "ERROR: Serial number 42 is in the log 'l' 2 times\n", ABSENT, 0, nullptr, NO_DIFFERENCE + "serial: 42\n"},
	{"verify a board given its number, in the log once", {{"in.hex", SERIAL_PROGRAM}, {"e.hex", USB_42},
	 {"l", "{\"serial\":41}\n{\"serial\":42}\n"}}, {"--verify", "--serial=10:usb:8", "--serial-number=42",
	 "--serial-log=l", "in.hex", "e.hex"}, 0, "", ABSENT, 0, nullptr, NO_DIFFERENCE + "serial: 42\n"},
	{"verify against a missing log", {{"in.hex", SERIAL_PROGRAM}, {"e.hex", USB_42}},
	 {"--verify", "--serial=10:usb:8", "--serial-log=l", "in.hex", "e.hex"}, 1, "ERROR: Can't open 'l'\n", ABSENT,
	 0, nullptr, NO_DIFFERENCE + "serial: 42\n"},
	{"extract into a name that both Windows shells change", {{"e.hex", IMAGE}}, {"--extract", "e.hex", "p%$.hex"}, 0,
	 "", ABSENT, 0, nullptr, HEX_REPORT + crc32_is("7AB31BAA") + "command: tarnwick 'p%$.hex' e.hex\n",
	 HEX_REPORT + crc32_is("7AB31BAA") +
		 "command: tarnwick \"p%$.hex\" e.hex\nnote: the command is not for cmd.exe or PowerShell\n"},
	{"extract into a name that cmd.exe changes", {{"e.hex", IMAGE}}, {"--extract", "e.hex", "p%1.hex"}, 0, "",
	 ABSENT, 0, nullptr, HEX_REPORT + crc32_is("7AB31BAA") + "command: tarnwick p%1.hex e.hex\n",
	 HEX_REPORT + crc32_is("7AB31BAA") + "command: tarnwick p%1.hex e.hex\nnote: the command is not for cmd.exe\n"},
	{"verify fixed bytes", {{"in.hex", SERIAL_PROGRAM}, {"e.hex", ":0D0000000B03000200A5000001020000003B\n" +
	 SERIAL_REST}}, {"--verify", "--set=2:A5", "--set=5:0102", "in.hex", "e.hex"}, 0, "", ABSENT, 0, nullptr,
	 NO_DIFFERENCE},
	{"extract a board with its serial number", {{"e.hex", USB_42}}, {"--extract", "--serial=10:usb:8", "e.hex",
	 "out.hex"}, 0, "", ":0A00000002000000000000000000F4\n:100010001203300030003000300030003000340077\n"
	 ":020020003200AC\n" + EOF_RECORD, 0, nullptr, SERIAL_REPORT + "serial: 42\ncommand: tarnwick out.hex e.hex\n"},
	{"info as JSON", {{"e.hex", IMAGE}}, {"--info", "--json", "e.hex"}, 0, "", ABSENT, 0, nullptr,
	 "{\"format\":\"Intel HEX\",\"header\":\"boot\",\"crystal\":\"16 MHz\",\"eeprom_clock\":"
	 "\"1 MHz and higher\",\"start_cell\":3,\"last_block\":0,\"expert_data\":\"none\",\"program\":"
	 "\"cells 3 to 5\",\"used\":\"6 of 4096 bytes (0.1%)\",\"crc32\":\"7AB31BAA\",\"errors\":[]}\n"},
	{"map as JSON", {{"e.hex", IMAGE}}, {"--info", "--json", "--map", "-p", "256", "e.hex"}, 0, "", ABSENT, 0,
	 nullptr, "{\"format\":\"Intel HEX\",\"header\":\"boot\",\"crystal\":\"16 MHz\",\"eeprom_clock\":"
	 "\"1 MHz and higher\",\"start_cell\":3,\"last_block\":0,\"expert_data\":\"none\",\"program\":"
	 "\"cells 3 to 5\",\"used\":\"6 of 256 bytes (2.3%)\",\"crc32\":\"3387A514\",\"map\":[\"0000 +\"],"
	 "\"errors\":[]}\n"},
	{"verify as JSON", {{"in.hex", PROGRAM}, {"e.hex", ":060000000B0300020100E9\n"}},
	 {"--verify", "--json", "in.hex", "e.hex"}, 1, "ERROR: Cell 4 holds 01h, expected 00h\n",
	 ABSENT, 0, nullptr, "{\"differing_cells\":1,\"errors\":[\"Cell 4 holds 01h, expected 00h\"]}\n"},
	{"JSON of a name beyond UTF-8", {}, {"--info", "--json", "\xFF.hex"}, 1,
	 "ERROR: Can't open '\xFF.hex'\n", ABSENT, LINUX_ONLY, nullptr,
	 "{\"errors\":[\"Can't open '\xEF\xBF\xBD.hex'\"]}\n"},
	{"JSON without a mode", {}, {"--json", "in.hex", "out.hex"}, 1,
	 "ERROR: Option --json needs --info, --verify or --extract\n", ABSENT},
	{"two modes", {}, {"--info", "--extract", "e.hex"}, 1,
	 "ERROR: Options --info and --extract cannot be given together\n", ABSENT},
};

class e2e_test : public testing::TestWithParam<e2e_case> {};

TEST_P(e2e_test, status_stderr_and_output)
{
	const e2e_case &c = GetParam();
	if (windows_binary() && (c.flags & (RUN_STREAMS_CLOSED | RUN_STDOUT_CLOSED | LINUX_ONLY)))
		GTEST_SKIP() << "under wine a program whose standard streams are closed ends with "
				"exit status 0 at its first write to one; /proc is Linux's";
	scratch_dir dir;
	for (const auto &f : c.files)
		dir.write(f.first, f.second);
	tool_run r = dir.run(c.args, c.flags);
	// "-": the run prints nothing on stderr but what follows, not even the
	// banner.
	std::string err = c.flags & RUN_STREAMS_CLOSED ? ""
			  : c.err[0] == '-'	       ? c.err.substr(1)
						       : BANNER + c.err;
	if (windows_binary() && c.windows_err != nullptr)
		err = BANNER + c.windows_err + USAGE;
	// What tarnwick wrote, as opposed to a file it left alone.
	bool written = c.status == 0 && c.out != KEEP && c.out != ABSENT;
	EXPECT_EQ(c.status, r.status);
	EXPECT_EQ(as_written(with_program_name(err)), r.err);
	EXPECT_EQ(written && !(c.flags & RAW_OUTPUT) ? as_written(c.out) : c.out, dir.read("out.hex"));
	EXPECT_EQ(as_written(windows_binary() && !c.windows_out.empty() ? c.windows_out : c.std_out),
		  r.out);
	EXPECT_TRUE(dir.staged_names().empty());
}

INSTANTIATE_TEST_SUITE_P(runs, e2e_test, testing::ValuesIn(CASES), case_name());
INSTANTIATE_TEST_SUITE_P(parity, e2e_test, testing::ValuesIn(PARITY_CASES), case_name());
INSTANTIATE_TEST_SUITE_P(long_options, e2e_test, testing::ValuesIn(LONG_OPTION_CASES),
			 case_name());
INSTANTIATE_TEST_SUITE_P(info, e2e_test, testing::ValuesIn(INFO_CASES), case_name());

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

// A failed flush of the counter's new file leaves the counter as it was; a
// failed flush of its folder, behind the rename, may have taken the number.
// Either ends the run before the image is written.
TEST(serial_counter, a_failed_flush_ends_the_run_before_the_image)
{
	if (!faults_injectable())
		GTEST_SKIP() << "the fault library is preloaded into a Linux binary alone";
	const struct { const char *fault, *err, *counter; } cases[] = {
		{"TARNWICK_FAIL_FSYNC=1", "ERROR: Can't write 'c'\n", "41\n"},
		{"TARNWICK_FAIL_FSYNC=2", "ERROR: Can't write 'c'\nERROR: Serial number 41 was taken and not used\n", "42\n"},
	};
	for (const auto &c : cases) {
		scratch_dir dir;
		dir.write("in.hex", SERIAL_PROGRAM);
		dir.write("c", "41\n");
		tool_run r = dir.run({"--serial=2:dec:4", "--serial-counter=c", "in.hex", "out.hex"}, 0, 0, {c.fault});
		EXPECT_EQ(1, r.status);
		EXPECT_EQ(BANNER + c.err, r.err);
		EXPECT_EQ("", dir.read("out.hex"));
		EXPECT_EQ(c.counter, dir.read("c"));
	}
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

namespace {

// Runs -h with another executable in place of the one under test.
tool_run help_from(const std::string &other)
{
	std::string binary = tarnwick_binary();
	setenv("TARNWICK_BINARY", other.c_str(), 1);
	scratch_dir dir;
	tool_run r = dir.run({"-h"});
	setenv("TARNWICK_BINARY", binary.c_str(), 1);
	return r;
}

// A second executable of the same program carries another FileVersion
// string; its banner shows that the text is read from the resource.
TEST(windows_version, banner_is_read_from_the_resource)
{
	if (!windows_binary())
		GTEST_SKIP() << "only the Windows executable carries a version resource";
	std::string binary = tarnwick_binary();
	tool_run r = help_from(binary.substr(0, binary.size() - 4) + "_other_version.exe");
	EXPECT_EQ(0, r.status);
	EXPECT_EQ(as_written("tarnwick version 9.8.7.6test\n" + USAGE), r.err);
}

// Installed in a folder whose path is longer than MAX_PATH and holds
// characters outside the ANSI code page, the executable still finds its
// version text.
TEST(windows_version, banner_from_any_install_folder)
{
	if (!windows_binary())
		GTEST_SKIP() << "only the Windows executable carries a version resource";
	scratch_dir home;
	std::string folder = home.path("\u65e5/") + std::string(100, 'a') + "/" +
			     std::string(100, 'b') + "/" + std::string(100, 'c');
	ASSERT_EQ(0, std::system(("mkdir -p '" + folder + "' && cp '" + tarnwick_binary() + "' '" +
				  folder + "/tarnwick.exe'")
					 .c_str()));
	tool_run r = help_from(folder + "/tarnwick.exe");
	EXPECT_EQ(0, r.status);
	EXPECT_EQ(as_written(BANNER + USAGE), r.err);
}

} // namespace
