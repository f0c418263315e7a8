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

void print_usage()
{
	std::fputs(USAGE_TEXT, stderr);
}

void print_version_banner()
{
	char version[VERSION_BUFFER_SIZE] = "";
	char line[VERSION_BUFFER_SIZE + 32] = "tarnwick version ";
	size_t length = sizeof "tarnwick version " - 1;

	query_file_version(version, sizeof version);
	for (const char *p = version; *p != '\0'; p++)
		if (*p != ' ')
			line[length++] = *p;
	line[length++] = '\n';
	std::fwrite(line, 1, length, stderr);
}
