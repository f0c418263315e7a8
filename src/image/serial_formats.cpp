// The table of serial number formats: each format's name, unit, widths, and how a number is written and read.
#include "image/serial_formats.h"

#include <cstdio>
#include <cstring>

#include "image/table_rows.h"

static const char DIGITS[] = "0123456789ABCDEF";

// A USB string descriptor's type, and the cells before its characters.
constexpr int STRING_DESCRIPTOR = 0x03;
constexpr uint32_t DESCRIPTOR_CELLS = 2;

static board_finding finding(int kind, uint32_t address, int64_t value, int64_t other)
{
	return board_finding{kind, -1, address, value, other};
}

// The width units of number in the format's base, most significant first.
static void units_of(const serial_spec *s, uint64_t number, uint32_t *units)
{
	uint32_t base = SERIAL_FORMATS[s->format].base;
	for (uint32_t i = s->width; i-- > 0; number /= base)
		units[i] = uint32_t(number % base);
}

static void write_low_first(const serial_spec *s, uint64_t number, serial_cells *c)
{
	uint32_t units[8];
	units_of(s, number, units);
	*c = serial_cells{s->width, 0, {}};
	for (uint32_t i = 0; i < s->width; i++)
		c->bytes[i] = uint8_t(units[s->width - 1 - i]);
}

static void write_high_first(const serial_spec *s, uint64_t number, serial_cells *c)
{
	uint32_t units[8];
	units_of(s, number, units);
	*c = serial_cells{s->width, 0, {}};
	for (uint32_t i = 0; i < s->width; i++)
		c->bytes[i] = uint8_t(units[i]);
}

static void write_digits(const serial_spec *s, uint64_t number, serial_cells *c)
{
	uint32_t units[20];
	units_of(s, number, units);
	*c = serial_cells{s->width, 0, {}};
	for (uint32_t i = 0; i < s->width; i++)
		c->bytes[i] = uint8_t(DIGITS[units[i]]);
}

// The digits as UTF-16LE code units behind the descriptor's two bytes,
// which stay as the program holds them.
static void write_usb(const serial_spec *s, uint64_t number, serial_cells *c)
{
	uint32_t units[20];
	units_of(s, number, units);
	*c = serial_cells{DESCRIPTOR_CELLS + 2 * s->width, DESCRIPTOR_CELLS, {}};
	c->bytes[0] = uint8_t(c->span);
	c->bytes[1] = STRING_DESCRIPTOR;
	for (uint32_t i = 0; i < s->width; i++)
		c->bytes[DESCRIPTOR_CELLS + 2 * i] = uint8_t(DIGITS[units[i]]);
}

// The byte of cell at, or -1 when it holds none or lies beyond the image.
static int cell_at(const image *img, uint64_t at)
{
	return at < img->size ? image_cell(img, uint32_t(at)) : -1;
}

// The value of a unit in the format: a byte, or a digit of the base (its
// upper-case form alone); -1 for none.
static int unit_value(int byte, uint32_t base)
{
	if (base == 256 || byte < 0)
		return byte;
	const char *at = byte > 0 ? std::strchr(DIGITS, byte) : nullptr;
	return at != nullptr && uint32_t(at - DIGITS) < base ? int(at - DIGITS) : -1;
}

// The width units of the number in the cells from cell on, step apart (2
// for UTF-16LE code units, whose high byte must be 0), checked in the
// order of their cells; then their value, low unit first or high. A
// finding names the first cell that is none.
static board_finding read_units(const image *img, const serial_spec *s, uint64_t cell,
				uint32_t step, bool low_first, uint64_t *number)
{
	uint32_t base = SERIAL_FORMATS[s->format].base, values[20];
	for (uint32_t i = 0; i < s->width; i++) {
		uint64_t at = cell + i * step;
		int byte = cell_at(img, at), value = unit_value(byte, base);
		if (value < 0)
			return finding(BOARD_NOT_NUMBER, s->address, byte, int64_t(at));
		if (step == 2 && cell_at(img, at + 1) != 0)
			return finding(BOARD_NOT_NUMBER, s->address, cell_at(img, at + 1), int64_t(at + 1));
		values[i] = uint32_t(value);
	}
	*number = 0;
	for (uint32_t k = 0; k < s->width; k++) {
		uint32_t i = low_first ? s->width - 1 - k : k;
		if (*number > (UINT64_MAX - values[i]) / base)
			return finding(BOARD_NOT_NUMBER, s->address, -2, int64_t(cell + i * step));
		*number = *number * base + values[i];
	}
	return finding(BOARD_OK, 0, 0, 0);
}

static board_finding read_low_first(const image *img, const serial_spec *s, uint64_t cell,
				    uint64_t *number)
{
	return read_units(img, s, cell, 1, true, number);
}

static board_finding read_high_first(const image *img, const serial_spec *s, uint64_t cell,
				     uint64_t *number)
{
	return read_units(img, s, cell, 1, false, number);
}

// A USB string descriptor of the width, bLength and bDescriptorType in its
// first two bytes, then its digits.
static board_finding read_usb(const image *img, const serial_spec *s, uint64_t cell,
			      uint64_t *number)
{
	int length = cell_at(img, cell), type = cell_at(img, cell + 1);
	if (length != int(DESCRIPTOR_CELLS + 2 * s->width) || type != STRING_DESCRIPTOR)
		return finding(BOARD_NOT_DESCRIPTOR, s->address, length, type);
	return read_units(img, s, cell + DESCRIPTOR_CELLS, 2, false, number);
}

constexpr serial_format_row SERIAL_FORMATS[] = {
	{SERIAL_LE, "le", UNIT_BYTES, 256, 1, 8, "little-endian number", "byte", write_low_first,
	 read_low_first},
	{SERIAL_BE, "be", UNIT_BYTES, 256, 1, 8, "big-endian number", "byte", write_high_first,
	 read_high_first},
	{SERIAL_DEC, "dec", UNIT_DIGITS, 10, 1, 20, "decimal number", "digit", write_digits,
	 read_high_first},
	{SERIAL_HEX, "hex", UNIT_DIGITS, 16, 1, 16, "hexadecimal number", "digit", write_digits,
	 read_high_first},
	{SERIAL_USB, "usb", UNIT_DIGITS, 10, 1, 20, "USB string", "decimal digit", write_usb,
	 read_usb},
	{SERIAL_USBHEX, "usbhex", UNIT_DIGITS, 16, 1, 16, "USB string", "hexadecimal digit", write_usb,
	 read_usb},
};
static_assert(rows_in_order(SERIAL_FORMATS, SERIAL_FORMAT_COUNT),
	      "one row for each serial format, in the order of SERIAL_");

int serial_format_of(const char *name, uint32_t length)
{
	for (const serial_format_row &f : SERIAL_FORMATS)
		if (std::strlen(f.name) == length && std::strncmp(f.name, name, length) == 0)
			return f.id;
	return -1;
}

void serial_format_names(char *text, size_t size)
{
	size_t n = 0;
	for (const serial_format_row &f : SERIAL_FORMATS)
		n += size_t(std::snprintf(text + n, size - n, "%s%s",
					  f.id == 0				? ""
					  : f.id == SERIAL_FORMAT_COUNT - 1 ? " or "
									    : ", ",
					  f.name));
}

bool serial_width_fits(int format, uint32_t width)
{
	return width >= SERIAL_FORMATS[format].least_width && width <= SERIAL_FORMATS[format].most_width;
}

const char *serial_unit(const serial_spec *s)
{
	uint32_t base = SERIAL_FORMATS[s->format].base;
	return base == 256 ? "byte" : base == 10 ? "decimal digit" : "hexadecimal digit";
}

void describe_serial(const serial_spec *s, char *text, size_t size)
{
	const serial_format_row &f = SERIAL_FORMATS[s->format];
	std::snprintf(text, size, "%s of %u %s%s", f.kind, unsigned(s->width), f.kind_unit,
		      s->width == 1 ? "" : "s");
}

bool serial_fits(const serial_spec *s, uint64_t number)
{
	for (uint32_t i = 0; i < s->width && number != 0; i++)
		number /= SERIAL_FORMATS[s->format].base;
	return number == 0;
}

serial_cells serial_write(const serial_spec *s, uint64_t number)
{
	serial_cells cells;
	SERIAL_FORMATS[s->format].write(s, number, &cells);
	return cells;
}

board_finding read_serial(const image *img, uint32_t start, const serial_spec *s,
			  uint64_t *number)
{
	return SERIAL_FORMATS[s->format].read(img, s, uint64_t(start) + s->address, number);
}
