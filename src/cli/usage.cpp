// The usage text and the version banner, both written to stderr.
#include "cli/usage.h"

#include <cstdio>

// Size of the buffer the banner asks the version text into.
constexpr size_t VERSION_BUFFER_SIZE = 1024;

static const char USAGE_TEXT[] =
	"usage: tarnwick [options] <infile> <outfile>\n"
	"       options:\n"
	"       -c n Set crystal frequency in MHz. Valid numbers are 4, 8,\n"
	"            12, 16 (default) and 20.\n"
	"       -h   You are looking at it.\n"
	"       -i   Ignore checksums.\n"
	"       -p n Set program memory size (default 4096 bytes).\n"
	"       -s   Select slow EEPROM clock (500KHz).\n"
	"            Default when omitted is 1MHz and higher\n\n";

static const char HELP_TEXT[] =
	"usage: tarnwick [options] <infile> <outfile>\n"
	"       tarnwick --info [-b address] [-i] [-p size] [-t] [--binary] [--fill=HH]\n"
	"                [--json] <image>\n"
	"       tarnwick --verify [options] [--json] <infile> <image>\n"
	"       tarnwick --extract [-b address] [-i] [-p size] [-t] [--binary]\n"
	"                [--fill=HH] [--json] <image> <program.hex> [<expert.hex>]\n"
	"Lays out a microcontroller program, read as Intel HEX, as a serial EEPROM\n"
	"image behind its boot header, and writes the image; or reads an image back:\n"
	"checks it, compares it with the layout of a program, or takes the program\n"
	"out of it.\n"
	"\n"
	"  -c MHz        crystal frequency: 4, 8, 12, 16 (default) or 20\n"
	"  -s            slow EEPROM clock (500 kHz) instead of 1 MHz and higher\n"
	"  -p size       program memory size in bytes, at most 65536 (default 4096)\n"
	"  -i            ignore checksum mismatches in the input\n"
	"  -t            two-byte length header instead of the boot header\n"
	"  -e file       expert mode: load the Intel HEX data in file ahead of the\n"
	"                program\n"
	"  -b address    hexadecimal address of cell 0 in the Intel HEX output\n"
	"  -a name       write the image as a C array called name\n"
	"  --binary      write the image as raw bytes, one for each cell of the\n"
	"                program memory\n"
	"  --fill=HH     give every cell of the program memory that holds no byte the\n"
	"                hexadecimal value HH (FF by default with --binary)\n"
	"  --info        read the image back: print what its header says and its\n"
	"                CRC-32 on the standard output, and check it against the\n"
	"                contents\n"
	"  --verify      compare the image, cell by cell, with the one that the\n"
	"                program and the options lay out, and write nothing\n"
	"  --extract     check the image as --info does, write its program (and\n"
	"                expert-mode data) to the files named, and print the command\n"
	"                that rebuilds the image from them\n"
	"  --json        print the report of --info, --verify or --extract as one\n"
	"                JSON object on one line\n"
	"  -h            print the short usage text on the standard error stream\n"
	"  --help        print this help\n"
	"  --version     print the version\n"
	"\n"
	"The manual page tarnwick(1) (\"man tarnwick\") describes the whole tool.\n";

void print_usage()
{
	std::fputs(USAGE_TEXT, stderr);
}

void print_help()
{
	std::fputs(HELP_TEXT, stdout);
}

void print_version_banner()
{
	print_version_line(stderr);
}

void print_version_line(FILE *stream)
{
	char version[VERSION_BUFFER_SIZE] = "";
	char line[VERSION_BUFFER_SIZE + 32] = "tarnwick version ";
	size_t length = sizeof "tarnwick version " - 1;

	query_file_version(version, sizeof version);
	for (const char *p = version; *p != '\0'; p++)
		if (*p != ' ')
			line[length++] = *p;
	line[length++] = '\n';
	std::fwrite(line, 1, length, stream);
}
