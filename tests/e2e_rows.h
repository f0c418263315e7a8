// The rows of the end-to-end tests, by mode, and what they share: inputs, reports, the run of a row.
#ifndef TARNWICK_E2E_ROWS_H
#define TARNWICK_E2E_ROWS_H

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

inline const std::string BANNER = version_banner();
inline const std::string USAGE =
	"usage: tarnwick [options] <infile> <outfile>\n"
	"       options:\n"
	"       -c n Set crystal frequency in MHz. Valid numbers are 4, 8,\n"
	"            12, 16 (default) and 20.\n"
	"       -h   You are looking at it.\n"
	"       -i   Ignore checksums.\n"
	"       -p n Set program memory size (default 4096 bytes).\n"
	"       -s   Select slow EEPROM clock (500KHz).\n"
	"            Default when omitted is 1MHz and higher\n\n";
inline const std::string PROGRAM = ":03000000020000FB\n:00000001FF\n";
inline const std::string EXPERT = ":02000000E0E13D\n:00000001FF\n";
inline const std::string EXPERT_FB = ":0100FB00778D\n";
inline const std::string EOF_RECORD = ":00000001FF\n";
inline const std::string KEEP = "keep me\n";
inline const std::string ABSENT = "<absent>";
inline const std::string FIT_ERROR = "ERROR: Hex-file contents does not fit into program memory\n";

inline const std::string IMAGE = ":060000000B0300020000EA\n" + EOF_RECORD;
inline const std::string WITH_112233 = ":090000000B030002000011223381\n" + EOF_RECORD;
inline const std::string BAD_LINE_1 = "ERROR: Invalid Intel hex format on line 1\n";

// One run of the binary and what it must leave, each field named where a
// row gives it: the files it starts with, its arguments, its exit status,
// what it writes to stderr behind the banner ("-" first: without the
// banner), what out.hex holds afterwards (ABSENT: no such file), its RUN_
// flags, where the Windows executable differs the option scanner's
// messages, what it writes to stdout, where the Windows executable differs
// that, the settings of the fault library (fault_inject.c) that it runs
// with, and another file and what that holds afterwards, where the fault
// library can be preloaded.
struct e2e_case {
	const char *name;
	std::vector<std::pair<std::string, std::string>> files = {};
	std::vector<std::string> args = {};
	int status = 0;
	std::string err = "";
	std::string out = ABSENT;
	int flags = 0;
	const char *windows_err = nullptr;
	std::string std_out = "";
	std::string windows_out = "";
	std::vector<std::string> faults = {};
	const char *checked = nullptr;
	std::string checked_holds = "";
};

// Not RUN_ flags: out.hex is raw bytes, to which Windows adds no CR; the
// case runs on Linux alone.
constexpr int RAW_OUTPUT = 0x100;
constexpr int LINUX_ONLY = 0x200;
// Not a RUN_ flag: the run goes as the row says only with the fault library
// preloaded, without which it is skipped.
constexpr int NEEDS_FAULTS = 0x400;

void PrintTo(const e2e_case &c, std::ostream *os);

// The runs of a table of rows: the status, stderr, out.hex and stdout that
// each row says.
class e2e_test : public testing::TestWithParam<e2e_case> {};

inline const std::string HELP =
	"usage: tarnwick [options] <infile> <outfile>\n"
	"       tarnwick --info [-b address] [-i] [-p size] [-t] [--binary] [--fill=HH]\n"
	"                [--eeprom-size=N] [--serial=A:F:W] [--json] [--map]\n"
	"                [--picture=FILE] <image>\n"
	"       tarnwick --verify [options] [--json] [--map] [--picture=FILE]\n"
	"                <infile> <image>\n"
	"       tarnwick --extract [-b address] [-i] [-p size] [-t] [--binary]\n"
	"                [--fill=HH] [--eeprom-size=N] [--serial=A:F:W] [--json] [--map]\n"
	"                [--picture=FILE] <image> <program.hex> [<expert.hex>]\n"
	"       tarnwick --diff [-b address] [-i] [-p size] [-t] [--binary] [--fill=HH]\n"
	"                [--eeprom-size=N] [--serial=A:F:W] [--json] [--map]\n"
	"                [--picture=FILE] <image-a> <image-b>\n"
	"       tarnwick --update [options] [--page-size=N] [--dry-run] [--json]\n"
	"                [--picture=FILE] <infile> <chip>\n"
	"Lays out a microcontroller program, read as Intel HEX or S-record, as a serial\n"
	"EEPROM image behind its boot header, and writes the image; or reads an image\n"
	"back: checks it, compares it with the layout of a program or with another\n"
	"image, or takes the program out of it; or writes the image into a chip in\n"
	"place. Images are read as Intel HEX, S-record or raw bytes, and drawn as SVG\n"
	"pictures.\n"
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
	"                program memory (of the EEPROM with --eeprom-size); read an\n"
	"                image back as raw bytes\n"
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
	"                on, in FORMAT, WIDTH bytes or digits wide (a USB string's\n"
	"                digits behind its descriptor at ADDRESS); read it back from\n"
	"                an image read back. FORMAT is one of:\n"
	"                le      little-endian number of 1 to 8 bytes\n"
	"                be      big-endian number of 1 to 8 bytes\n"
	"                dec     decimal number of 1 to 20 digits\n"
	"                hex     hexadecimal number of 1 to 16 digits\n"
	"                usb     USB string of 1 to 20 decimal digits\n"
	"                usbhex  USB string of 1 to 16 hexadecimal digits\n"
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
	"  --diff        compare two images, cell by cell: print their formats and\n"
	"                CRC-32s and how many cells differ, and name the lowest\n"
	"  --update      write the image into the chip, a file that stands for it, in\n"
	"                place: only the pages that differ, the header's last, then\n"
	"                read the chip back\n"
	"  --page-size=N the chip's page, N bytes, a power of two up to 4096 (by\n"
	"                default that of the common chips of its size)\n"
	"  --dry-run     with --update: read and compare, and name the pages that\n"
	"                would be written, but write nothing\n"
	"  --json        print the report of a mode that reports as one JSON object on\n"
	"                one line\n"
	"  --map         end the report of --info, --verify, --extract or --diff with\n"
	"                a map of the image, a character for each 256-byte block\n"
	"  --picture=FILE\n"
	"                draw the image's cells into FILE, an SVG picture: what each\n"
	"                holds, in colours, and where the images differ\n"
	"  -h            print the short usage text on the standard error stream\n"
	"  --help        print this help\n"
	"  --version     print the version\n"
	"\n"
	"The manual page tarnwick(1) (\"man tarnwick\") describes the whole tool.\n";
inline const std::string RAW_8 = std::string("\x0B\x03\x00\x02\x00\x00\xFF\xFF", 8);
inline const std::string SREC_IMAGE = "S0030000FC\nS10900000B0300020000E6\nS5030001FB\nS9030000FC\n";
// A program whose bytes at 2 to 9 hold a serial number's place, and at 10h
// a USB string descriptor of 8 characters "00000000"; the records of its
// image behind the first, from the descriptor on.
inline const std::string SERIAL_PROGRAM = ":0A00000002000000000000000000F4\n"
				   ":1200100012033000300030003000300030003000300049\n" + EOF_RECORD;
inline const std::string SERIAL_REST = ":100013001203300030003000300030003000300078\n:020023003000AB\n" + EOF_RECORD;
inline const std::string BAD_SERIAL = "ERROR: Invalid --serial value: give ADDRESS:FORMAT:WIDTH, a FORMAT of le, be, dec, "
			       "hex, usb or usbhex and a WIDTH that it takes\n";
inline const std::string USB_42 = ":0D0000000B030002000000000000000000E3\n:100013001203300030003000300030003000340074\n"
			   ":020023003200A9\n" + EOF_RECORD;
// The bytes of PROGRAM's image in a chip of size cells, FFh behind it.
inline std::vector<int> image_in_chip(size_t size)
{
	std::vector<int> bytes(size, 0xFF);
	const int image[] = {0x0B, 0x03, 0x00, 0x02, 0x00, 0x00};
	std::copy(image, image + 6, bytes.begin());
	return bytes;
}

inline std::string bytes_from_1(int n)
{
	std::string bytes;
	for (int i = 1; i <= n; i++)
		bytes += char(i);
	return bytes;
}
// An erased chip of 4 KiB.
inline const std::string ERASED_4K(4096, '\xFF');
inline const std::string BYTES_1_TO_3E = bytes_from_1(0x3E);
inline const std::string BAD_SET = "ERROR: Invalid --set value: give ADDRESS:BYTES in hexadecimal, 1 to 256 bytes\n";

// Images read back, and their reports.
inline const std::string BOOT_16 = "header: boot\ncrystal: 16 MHz\neeprom clock: 1 MHz and higher\n";
inline const std::string HEX_REPORT = "format: Intel HEX\n" + BOOT_16 + "start cell: 3\nlast block: 0\n"
			       "expert data: none\nprogram: cells 3 to 5\nused: 6 of 4096 bytes (0.1%)\n";
inline const std::string RAW_REPORT = "format: raw binary\n" + BOOT_16 + "start cell: 3\nlast block: 0\n"
			       "expert data: none\nprogram: cells 3 to 5\nused: 6 of 8 bytes (75.0%)\n";
inline const std::string LENGTH_REPORT = "format: Intel HEX\nheader: length\nlength: 3\n"
				  "program: cells 2 to 4\nused: 5 of 4096 bytes (0.1%)\n";
inline const std::string AT_8000 = ":068000000B03000200006A\n" + EOF_RECORD;
inline const std::string RAW_2 = "\x0B\x03";
inline const std::string ONE_IMAGE =
	"ERROR: Give one image: tarnwick --info [options] <image> (see tarnwick --help)\n";
inline const std::string NO_PROGRAM = "ERROR: No cell from cell ";
inline const std::string EXPERT_REPORT =
	"format: Intel HEX\n" + BOOT_16 + "start cell: 5\nlast block: 0\nexpert data: cells 3 to 4\n"
	"program: cells 5 to 7\nused: 8 of 4096 bytes (0.2%)\ncrc32: F35F75DC\n";
inline const std::string NO_DIFFERENCE = "differing cells: 0\n";
inline const std::string BAD_BASE = "ERROR: Invalid address for -b: give 0 to FFFFFFFF\n";

// The messages for cells 6 to 5 + n, which hold 00h where the layout
// leaves them empty.
inline std::string differences(int n, const char *more)
{
	std::string err;
	for (int cell = 6; cell < 16 && cell < 6 + n; cell++)
		err += "ERROR: Cell " + std::to_string(cell) + " holds 00h, expected no byte or FFh\n";
	return err + more;
}
inline const std::string RAW_DIFFERING = RAW_8.substr(0, 6) + std::string(10, '\0');
inline const std::string FILLED_REPORT =
	"format: Intel HEX\n" + BOOT_16 + "start cell: 3\nlast block: 0\nexpert data: none\n"
	"program: cells 3 to 3\nused: 4 of 8 bytes (50.0%)\ncrc32: 73608AC2\n";
inline const std::string EXPERT_IMAGE = ":080000000B0500E0E102000025\n";
inline const std::string AT_10000 = ":020000040001F9\n:0100000011EF\njunk\n";
inline const std::string OUTSIDE = "ERROR: Address 10000h on line ";
inline const std::string BEGINS = "ERROR: The image begins at address 10000h: give -b 10000 if it was written there\n";
inline const std::string LONG_NAME = std::string(250, 'n');
inline const std::string CHIP_16 = RAW_8 + std::string(8, '\xFF');
inline const std::string CHIP_70000 = RAW_8.substr(0, 6) + std::string(69994, '\xFF') + "\x12" + std::string(9, '\xFF');
inline const std::string MAP_LEGEND = "map: 256-byte blocks; # all in use, + some, . none, ! beyond -p";
inline const std::string UNKNOWN_START = "start cell: unknown\nlast block: ";

// The rows of a map of the given blocks and first-cell width: '.' but the
// block chars given, block by block from block 0 on.
inline std::string map_rows(uint32_t blocks, int width, const std::string &first_blocks,
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
inline std::string filled_chip(size_t size, char fill)
{
	return std::string("\x0B\x03\x00\x02", 4) + std::string(size - 4, fill);
}
inline const std::string BEYOND_8 = "ERROR: Cells up to 70000 are in use, beyond the program memory of 8 bytes; give -p the "
			     "program memory size the image was written for\n";

// The last line of a report.
inline std::string crc32_is(const char *crc)
{
	return std::string("crc32: ") + crc + "\n";
}

// The report with one line replaced.
inline std::string with(const std::string &report, const std::string &from, const std::string &to)
{
	std::string changed = report;
	return changed.replace(changed.find(from), from.size(), to);
}

inline const std::string SERIAL_REPORT = with(with(HEX_REPORT, "3 to 5", "3 to 36"), "6 of 4096 bytes (0.1%)",
				       "37 of 4096 bytes (0.9%)") + "crc32: 22CA7812\n";


#endif
