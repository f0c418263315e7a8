// The C array export: the image as the initialiser of a C byte array.
#include "forms/c_array.h"

#include <cstring>

// Entries on one line of the array.
constexpr uint32_t ENTRIES_PER_LINE = 16;

// Characters of one entry with its separator, "0x12, ".
constexpr size_t ENTRY_TEXT = 6;

// Size of the text buffer that the writer fills before handing it to stdio:
// whole lines of entries.
constexpr size_t ARRAY_BUFFER_LINES = 256;

// The text "0x12, " of every byte value, lower-case digits.
struct c_entry_table {
	char text[256][ENTRY_TEXT];
	constexpr c_entry_table() : text()
	{
		const char digits[] = "0123456789abcdef";
		for (int v = 0; v < 256; v++) {
			text[v][0] = '0';
			text[v][1] = 'x';
			text[v][2] = digits[v >> 4];
			text[v][3] = digits[v & 0xF];
			text[v][4] = ',';
			text[v][5] = ' ';
		}
	}
};

static constexpr c_entry_table C_ENTRIES{};

// Appends the entry for one cell, with ", " behind it; an empty cell reads
// as 0xff.
static char *put_entry(char *p, image_cell cell)
{
	uint32_t value = cell == EMPTY_CELL ? 0xFF : static_cast<uint32_t>(cell) & 0xFF;
	std::memcpy(p, C_ENTRIES.text[value], ENTRY_TEXT);
	return p + ENTRY_TEXT;
}

// Appends the entries of cells[first .. first + n), one line of them, and
// the line end; the last entry of the array has no separator.
static char *put_line(char *p, const image_cell *cells, uint32_t n, bool last)
{
	for (uint32_t k = 0; k < n; k++)
		p = put_entry(p, cells[k]);
	if (last)
		p -= 2;
	*p++ = '\n';
	return p;
}

int write_c_array(FILE *out, const image *img, uint32_t count, const char *array_name,
		  uint8_t beyond)
{
	char text[ARRAY_BUFFER_LINES * (ENTRIES_PER_LINE * ENTRY_TEXT + 1)];
	char *p = text;
	// A line of cells behind the image; IMAGE_CELLS is a multiple of the
	// entries on a line.
	image_cell filler[ENTRIES_PER_LINE];
	for (image_cell &cell : filler)
		cell = beyond;

	std::fputs("flash unsigned char ", out);
	std::fputs(array_name, out);
	std::fprintf(out, "[%u]=\n{\n", static_cast<unsigned>(count));
	for (uint32_t k = 0; k < count; k += ENTRIES_PER_LINE) {
		uint32_t n = count - k < ENTRIES_PER_LINE ? count - k : ENTRIES_PER_LINE;
		p = put_line(p, k < IMAGE_CELLS ? img->cells + k : filler, n, k + n == count);
		if (p + ENTRIES_PER_LINE * ENTRY_TEXT + 1 > text + sizeof text) {
			std::fwrite(text, 1, static_cast<size_t>(p - text), out);
			p = text;
		}
	}
	std::fwrite(text, 1, static_cast<size_t>(p - text), out);
	std::fputs("};\n", out);
	return 0;
}
