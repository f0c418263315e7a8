// The C array export: the image as the initialiser of a C byte array.
#include "image/c_array.h"

// Entries on one line of the array.
constexpr uint32_t ENTRIES_PER_LINE = 16;

// Appends the entry for one cell, "0x" and two lower-case digits.
static char *put_entry(char *p, image_cell cell)
{
	static const char DIGITS[] = "0123456789abcdef";
	uint32_t value = cell == EMPTY_CELL ? 0xFF : static_cast<uint32_t>(cell) & 0xFF;

	*p++ = '0';
	*p++ = 'x';
	*p++ = DIGITS[value >> 4];
	*p++ = DIGITS[value & 0xF];
	return p;
}

int write_c_array(FILE *out, const image *img, uint32_t count,
		  const char *array_name)
{
	char line[ENTRIES_PER_LINE * 6 + 2];
	char *p = line;

	std::fputs("flash unsigned char ", out);
	std::fputs(array_name, out);
	std::fprintf(out, "[%u]=\n{\n", static_cast<unsigned>(count));
	for (uint32_t k = 0; k < count; k++) {
		p = put_entry(p, img->cells[k]);
		if (k + 1 < count) {
			*p++ = ',';
			*p++ = ' ';
		}
		if (k % ENTRIES_PER_LINE == ENTRIES_PER_LINE - 1 || k + 1 == count) {
			*p++ = '\n';
			std::fwrite(line, 1, static_cast<size_t>(p - line), out);
			p = line;
		}
	}
	std::fputs("};\n", out);
	return 0;
}
