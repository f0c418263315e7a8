// The table of serial number formats: each format's name, unit, widths, and how a number is written and read.
#ifndef TARNWICK_SERIAL_FORMATS_H
#define TARNWICK_SERIAL_FORMATS_H

#include <cstddef>
#include <cstdint>

#include "image/image.h"

// The formats, SERIAL_FORMATS[] in this order: binary, width bytes, low or
// high byte first; width ASCII decimal or upper-case hexadecimal digits,
// leading zeros; or those digits as the UTF-16LE code units of a USB
// string descriptor that begins at the address, behind its bLength and
// bDescriptorType.
enum { SERIAL_LE, SERIAL_BE, SERIAL_DEC, SERIAL_HEX, SERIAL_USB, SERIAL_USBHEX, SERIAL_FORMAT_COUNT };

// Where and how a serial number goes: its program address, its format
// (SERIAL_) and its width in the format's units.
struct serial_spec {
	uint32_t address;
	int format;
	uint32_t width;
};

// What a check of per-board data, or reading a serial number, found: a
// kind, the patch it is about, its address, and two values (the address of
// the other patch, the byte found, or -1 for a cell without one).
enum {
	BOARD_OK = 0,
	BOARD_NO_BYTE,        // the program holds no byte at address
	BOARD_OVERLAP,        // the patch at address overlaps the one at other (value: its patch)
	BOARD_NOT_DESCRIPTOR, // the bytes at address are no USB string descriptor of the width:
			      // value is bLength, or -1; other is bDescriptorType, or -1
	BOARD_NOT_NUMBER,     // the serial number at address is none: cell other holds value (-1:
			      // no byte; -2: the digits pass 2^64 - 1)
};

struct board_finding {
	int kind;
	int which;      // the patch: its index among the byte patches, or -1 for the serial
	uint32_t address;
	int64_t value;
	int64_t other;
};

// Most cells that a serial number covers: a USB string of 20 digits.
constexpr uint32_t MOST_SERIAL_CELLS = 2 + 2 * 20;

// What a format writes for a number: the cells that it covers from its
// address on (span), and the bytes of those from first on, which it writes;
// the cells before first it only reads (a USB string's descriptor).
struct serial_cells {
	uint32_t span;
	uint32_t first;
	uint8_t bytes[MOST_SERIAL_CELLS];
};

// The unit of a format's width.
enum { UNIT_BYTES, UNIT_DIGITS };

// One format:
// - id, name: its SERIAL_ value, and its name as --serial gives it;
// - unit, base: bytes (base 256), or digits of base 10 or 16;
// - least_width, most_width: the widths it takes;
// - kind, kind_unit: what its number is called in messages, and the unit
//   named with it ("decimal number" of so many "digit"s);
// - write: the cells of a number that fits the width;
// - read: the number in the cells of img from cell on, or the finding that
//   says why they hold none.
struct serial_format_row {
	int id;
	const char *name;
	int unit;
	uint32_t base;
	uint32_t least_width;
	uint32_t most_width;
	const char *kind;
	const char *kind_unit;
	void (*write)(const serial_spec *s, uint64_t number, serial_cells *cells);
	board_finding (*read)(const image *img, const serial_spec *s, uint64_t cell,
			      uint64_t *number);
};

extern const serial_format_row SERIAL_FORMATS[SERIAL_FORMAT_COUNT];

// The format that name (length characters, as an option gives it) names,
// or -1.
int serial_format_of(const char *name, uint32_t length);

// The names of the formats as a list: "le, be, dec, hex, usb or usbhex".
void serial_format_names(char *text, size_t size);

// Whether width is one that the format takes.
bool serial_width_fits(int format, uint32_t width);

// The unit of the width: "byte", "decimal digit" or "hexadecimal digit".
const char *serial_unit(const serial_spec *s);

// What the format's number is called in messages, for the width:
// "little-endian number of 4 bytes", "decimal number of 8 digits", ...
void describe_serial(const serial_spec *s, char *text, size_t size);

// Whether number fits the width: below base^width.
bool serial_fits(const serial_spec *s, uint64_t number);

// The cells that the number is written as; it must fit.
serial_cells serial_write(const serial_spec *s, uint64_t number);

// Reads the serial number back from the cells of img where a program that
// begins in cell start holds it. Returns BOARD_OK with *number, or
// BOARD_NOT_NUMBER or BOARD_NOT_DESCRIPTOR with the finding.
board_finding read_serial(const image *img, uint32_t start, const serial_spec *s,
			  uint64_t *number);

#endif
