// The usage text (on stderr), the help text of --help and the version line (on stdout or stderr).
#include "cli/usage.h"

#include <cstdio>
#include <cstring>

#include "cli/options.h"
#include "image/serial_formats.h"
#include "platform/platform.h"

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

// The help text between the synopsis and the table of options.
static const char HELP_ABOUT[] =
	"Lays out a microcontroller program, read as Intel HEX or S-record, as a serial\n"
	"EEPROM image behind its boot header, and writes the image; or reads an image\n"
	"back: checks it, compares it with the layout of a program or with another\n"
	"image, or takes the program out of it; or writes the image into a chip in\n"
	"place. Images are read as Intel HEX, S-record or raw bytes, and drawn as SVG\n"
	"pictures.\n"
	"\n";
static const char HELP_TAIL[] =
	"\n"
	"The manual page tarnwick(1) (\"man tarnwick\") describes the whole tool.\n";

// Width of the column of options in the help text.
constexpr int HELP_TERM_WIDTH = 14;

void print_usage()
{
	std::fputs(USAGE_TEXT, stderr);
}

// An option's entry: the option, then its text, a line of the text a
// line of the entry, behind the column of options.
static void print_help_entry(const option_row *row)
{
	// An option longer than the column has a line of its own.
	if (std::strlen(row->term) < size_t(HELP_TERM_WIDTH))
		std::printf("  %-*s", HELP_TERM_WIDTH, row->term);
	else
		std::printf("  %s\n%*s", row->term, HELP_TERM_WIDTH + 2, "");
	for (const char *line = row->help; *line != '\0';) {
		const char *end = std::strchr(line, '\n');
		int length = end != nullptr ? int(end - line) : int(std::strlen(line));
		std::printf("%.*s\n", length, line);
		line += length + (end != nullptr ? 1 : 0);
		if (*line != '\0')
			std::printf("%*s", HELP_TERM_WIDTH + 2, "");
	}
}

// The synopsis: a line for each mode, from the table of modes, the
// first behind "usage: ", the rest lined up with it.
static void print_synopsis()
{
	for (const mode_row &m : MODES)
		for (const char *line = m.synopsis; *line != '\0';) {
			const char *end = std::strchr(line, '\n');
			int length = end != nullptr ? int(end - line) : int(std::strlen(line));
			std::printf("%s%.*s\n", m.id == 0 && line == m.synopsis ? "usage: " : "       ",
				    length, line);
			line += length + (end != nullptr ? 1 : 0);
		}
}

// The formats of --serial, from their table: a line each.
static void print_serial_formats()
{
	for (const serial_format_row &f : SERIAL_FORMATS)
		std::printf("%*s%-8s%s of %u to %u %ss\n", HELP_TERM_WIDTH + 2, "", f.name, f.kind,
			    unsigned(f.least_width), unsigned(f.most_width), f.kind_unit);
}

void print_help()
{
	print_synopsis();
	std::fputs(HELP_ABOUT, stdout);
	for (const option_row &row : OPTION_TABLE) {
		print_help_entry(&row);
		if (row.id == OPT_SERIAL)
			print_serial_formats();
	}
	std::fputs(HELP_TAIL, stdout);
}

void print_version_banner()
{
	print_version_line(stderr);
}

void print_version_line(FILE *stream)
{
	char version[VERSION_BUFFER_SIZE];
	char line[VERSION_BUFFER_SIZE + 32];
	version_text(version, sizeof version);
	int length = std::snprintf(line, sizeof line, "tarnwick version %s\n", version);
	std::fwrite(line, 1, size_t(length), stream);
}
