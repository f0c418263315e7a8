// Per-board data: bytes that replace the program's own at its addresses, a serial number in one of its forms.
#include "image/board_data.h"

#include <cstdio>
#include <cstring>

static const char *const FORMAT_NAMES[SERIAL_FORMATS] = {"le", "be", "dec", "hex", "usb", "usbhex"};

// The most digits or bytes of each format, and its digits' base (0: binary).
static const uint32_t MOST_WIDTH[SERIAL_FORMATS] = {8, 8, 20, 16, 20, 16};
static const uint32_t BASE[SERIAL_FORMATS] = {0, 0, 10, 16, 10, 16};

static const char DIGITS[] = "0123456789ABCDEF";

// A USB string descriptor's type.
constexpr int STRING_DESCRIPTOR = 0x03;

int serial_format_of(const char *name, uint32_t length)
{
	for (int format = 0; format < SERIAL_FORMATS; format++)
		if (std::strlen(FORMAT_NAMES[format]) == length &&
		    std::strncmp(FORMAT_NAMES[format], name, length) == 0)
			return format;
	return -1;
}

bool serial_width_fits(int format, uint32_t width)
{
	return width >= 1 && width <= MOST_WIDTH[format];
}

static bool is_usb(const serial_spec *s)
{
	return s->format == SERIAL_USB || s->format == SERIAL_USBHEX;
}

const char *serial_unit(const serial_spec *s)
{
	return BASE[s->format] == 0 ? "byte" : BASE[s->format] == 10 ? "decimal digit" : "hexadecimal digit";
}

void describe_serial(const serial_spec *s, char *text, uint32_t size)
{
	static const char *const KINDS[SERIAL_FORMATS] = {
		"little-endian number", "big-endian number", "decimal number",
		"hexadecimal number",   "USB string",        "USB string"};
	// A number of digits is one of its base's digits.
	const char *unit = is_usb(s) || BASE[s->format] == 0 ? serial_unit(s) : "digit";
	std::snprintf(text, size, "%s of %u %s%s", KINDS[s->format], unsigned(s->width), unit,
		      s->width == 1 ? "" : "s");
}

uint32_t serial_written_first(const serial_spec *s)
{
	return is_usb(s) ? 2 : 0;
}

uint32_t serial_span(const serial_spec *s)
{
	return is_usb(s) ? 2 + 2 * s->width : s->width;
}

bool serial_fits(const serial_spec *s, uint64_t number)
{
	uint32_t base = BASE[s->format] == 0 ? 256 : BASE[s->format];
	for (uint32_t i = 0; i < s->width && number != 0; i++)
		number /= base;
	return number == 0;
}

uint32_t encode_serial(const serial_spec *s, uint64_t number, uint8_t *bytes)
{
	uint32_t w = s->width, base = BASE[s->format];
	for (uint32_t i = 0; i < w; i++) {
		uint32_t low = base == 0 ? uint32_t(number & 0xFF) : uint32_t(number % base);
		number = base == 0 ? number >> 8 : number / base;
		if (s->format == SERIAL_LE)
			bytes[i] = uint8_t(low);
		else if (!is_usb(s))
			bytes[w - 1 - i] = base == 0 ? uint8_t(low) : uint8_t(DIGITS[low]);
		else {
			bytes[2 * (w - 1 - i)] = uint8_t(DIGITS[low]);
			bytes[2 * (w - 1 - i) + 1] = 0;
		}
	}
	return serial_span(s) - serial_written_first(s);
}

// The program's byte at address a, or -1 when it holds none there.
static int program_byte(const image *img, const image_layout *l, uint64_t a)
{
	if (a >= l->program_end - l->program_first)
		return -1;
	return image_cell(img, l->program_first + uint32_t(a));
}

static board_finding finding(int kind, int which, uint32_t address, int64_t value, int64_t other)
{
	return board_finding{kind, which, address, value, other};
}

// The first byte that a patch writes where the program holds none.
static board_finding check_placeholder(const image *img, const image_layout *l, int which,
				       uint64_t first, uint64_t end)
{
	for (uint64_t a = first; a < end; a++)
		if (program_byte(img, l, a) < 0)
			return finding(BOARD_NO_BYTE, which, uint32_t(a), -1, -1);
	return finding(BOARD_OK, which, 0, 0, 0);
}

// A USB string descriptor of the serial's width: bLength and
// bDescriptorType in its first two bytes.
static board_finding check_descriptor(const serial_spec *s, int length, int type)
{
	if (length == int(2 + 2 * s->width) && type == STRING_DESCRIPTOR)
		return finding(BOARD_OK, -1, 0, 0, 0);
	return finding(BOARD_NOT_DESCRIPTOR, -1, s->address, length, type);
}

// The addresses that patch i covers (the serial for i = count).
static void span_of(const byte_patch *patches, int count, const serial_spec *serial, int i,
		    uint64_t *first, uint64_t *end)
{
	*first = i < count ? patches[i].address : serial->address;
	*end = *first + (i < count ? patches[i].count : serial_span(serial));
}

board_finding check_board_data(const image *img, const image_layout *l,
			       const byte_patch *patches, int count, const serial_spec *serial)
{
	int n = count + (serial != nullptr ? 1 : 0);
	uint64_t first, end, other_first, other_end;
	for (int i = 0; i < n; i++)
		for (int j = i + 1; j < n; j++) {
			span_of(patches, count, serial, i, &first, &end);
			span_of(patches, count, serial, j, &other_first, &other_end);
			if (first < other_end && other_first < end)
				return finding(BOARD_OVERLAP, i < count ? i : -1, uint32_t(first),
					       j < count ? j : -1, int64_t(other_first));
		}
	for (int i = 0; i < n; i++) {
		span_of(patches, count, serial, i, &first, &end);
		board_finding f = {BOARD_OK, 0, 0, 0, 0};
		if (i == count && is_usb(serial))
			f = check_descriptor(serial, program_byte(img, l, first),
					     program_byte(img, l, first + 1));
		if (f.kind == BOARD_OK)
			f = check_placeholder(img, l, i < count ? i : -1,
					      i < count ? first : first + serial_written_first(serial), end);
		if (f.kind != BOARD_OK)
			return f;
	}
	return finding(BOARD_OK, 0, 0, 0, 0);
}

void apply_board_data(image *img, const image_layout *l, const byte_patch *patches, int count,
		      const serial_spec *serial, uint64_t number)
{
	for (int i = 0; i < count; i++)
		std::memcpy(img->bytes + l->program_first + patches[i].address, patches[i].bytes,
			    patches[i].count);
	if (serial == nullptr)
		return;
	uint8_t bytes[2 * 20];
	uint32_t n = encode_serial(serial, number, bytes);
	std::memcpy(img->bytes + l->program_first + serial->address + serial_written_first(serial),
		    bytes, n);
}

// The value of a digit of the base (its upper-case form alone), or -1.
static int digit_value(int byte, uint32_t base)
{
	const char *at = byte > 0 ? std::strchr(DIGITS, byte) : nullptr;
	return at != nullptr && uint32_t(at - DIGITS) < base ? int(at - DIGITS) : -1;
}

// The byte of cell at, or -1 when it holds none or lies beyond the image.
static int cell_at(const image *img, uint64_t at)
{
	return at < img->size ? image_cell(img, uint32_t(at)) : -1;
}

// The digits or bytes of the number in the cells from cell on, step apart
// (2 for UTF-16LE code units, whose high byte must be 0), checked in the
// order of their cells; then their value. A finding names the first cell
// that is none (value -2: the digits pass 2^64 - 1).
static board_finding read_units(const image *img, const serial_spec *s, uint64_t cell,
				uint32_t step, uint64_t *number)
{
	uint32_t base = BASE[s->format], values[20];
	for (uint32_t i = 0; i < s->width; i++) {
		uint64_t at = cell + i * step;
		int byte = cell_at(img, at);
		int value = base == 0 ? byte : digit_value(byte, base);
		if (value < 0)
			return finding(BOARD_NOT_NUMBER, -1, s->address, byte, int64_t(at));
		if (step == 2 && cell_at(img, at + 1) != 0)
			return finding(BOARD_NOT_NUMBER, -1, s->address, cell_at(img, at + 1), int64_t(at + 1));
		values[i] = uint32_t(value);
	}
	uint64_t scale = base == 0 ? 256 : base;
	*number = 0;
	for (uint32_t k = 0; k < s->width; k++) {
		// Little-endian bytes come lowest first.
		uint32_t i = s->format == SERIAL_LE ? s->width - 1 - k : k;
		if (*number > (UINT64_MAX - values[i]) / scale)
			return finding(BOARD_NOT_NUMBER, -1, s->address, -2, int64_t(cell + i * step));
		*number = *number * scale + values[i];
	}
	return finding(BOARD_OK, -1, 0, 0, 0);
}

board_finding read_serial(const image *img, uint32_t start, const serial_spec *serial,
			  uint64_t *number)
{
	uint64_t cell = uint64_t(start) + serial->address;
	if (is_usb(serial)) {
		board_finding f = check_descriptor(serial, cell_at(img, cell), cell_at(img, cell + 1));
		if (f.kind != BOARD_OK)
			return f;
	}
	return read_units(img, serial, cell + serial_written_first(serial), is_usb(serial) ? 2 : 1,
			  number);
}
