// The C array writer: the image as the initialiser of a C byte array.
#include "forms/c_array_writer.h"

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

// Appends the entries of n bytes, one line of them, and the line end; the
// last entry of the array has no separator.
static char *put_line(char *p, const uint8_t *bytes, uint32_t n, bool last)
{
	for (uint32_t k = 0; k < n; k++, p += ENTRY_TEXT)
		std::memcpy(p, C_ENTRIES.text[bytes[k]], ENTRY_TEXT);
	if (last)
		p -= 2;
	*p++ = '\n';
	return p;
}

int write_c_array(FILE *out, const image_output *o)
{
	char text[ARRAY_BUFFER_LINES * (ENTRIES_PER_LINE * ENTRY_TEXT + 1)];
	char *p = text;
	uint32_t count = o->end - o->first;
	const uint8_t *bytes = chip_bytes(o->img, o->first);

	std::fputs("flash unsigned char ", out);
	std::fputs(o->name, out);
	std::fprintf(out, "[%u]=\n{\n", static_cast<unsigned>(count));
	for (uint32_t k = 0; k < count; k += ENTRIES_PER_LINE) {
		uint32_t n = count - k < ENTRIES_PER_LINE ? count - k : ENTRIES_PER_LINE;
		p = put_line(p, bytes + k, n, k + n == count);
		if (p + ENTRIES_PER_LINE * ENTRY_TEXT + 1 > text + sizeof text) {
			std::fwrite(text, 1, static_cast<size_t>(p - text), out);
			p = text;
		}
	}
	std::fwrite(text, 1, static_cast<size_t>(p - text), out);
	std::fputs("};\n", out);
	return WRITE_OK;
}
