// Per-board data: bytes that replace the program's own at its addresses, a serial number in one of its forms.
#ifndef TARNWICK_BOARD_DATA_H
#define TARNWICK_BOARD_DATA_H

#include <cstdint>

#include "image/image.h"
#include "image/layout.h"

// Most bytes that one patch replaces.
constexpr uint32_t MAX_PATCH_BYTES = 256;

// Fixed bytes that replace the program's from a program address on.
struct byte_patch {
	uint32_t address;
	uint32_t count;
	uint8_t bytes[MAX_PATCH_BYTES];
};

// How a serial number is written: binary, width bytes, low or high byte
// first; width ASCII decimal or upper-case hexadecimal digits, leading
// zeros; or those digits as the UTF-16LE code units of a USB string
// descriptor that begins at the address, behind its bLength and
// bDescriptorType.
enum { SERIAL_LE, SERIAL_BE, SERIAL_DEC, SERIAL_HEX, SERIAL_USB, SERIAL_USBHEX, SERIAL_FORMATS };

// Where and how a serial number goes.
struct serial_spec {
	uint32_t address;
	int format;
	uint32_t width;
};

// The format that name (length characters, as an option gives it: "le",
// "be", "dec", "hex", "usb", "usbhex") names, or -1.
int serial_format_of(const char *name, uint32_t length);

// Whether width is one that the format takes: 1 to 8 bytes, 1 to 20
// decimal or 1 to 16 hexadecimal digits.
bool serial_width_fits(int format, uint32_t width);

// The unit of the width: "byte", "decimal digit" or "hexadecimal digit".
const char *serial_unit(const serial_spec *s);

// What the format's number is called in messages, for the width:
// "little-endian number of 4 bytes", "decimal number of 8 digits", ...
void describe_serial(const serial_spec *s, char *text, uint32_t size);

// The bytes that a serial number covers from its address on (the
// descriptor's first two bytes included for a USB string), and those that
// it writes: from serial_written_first on.
uint32_t serial_span(const serial_spec *s);
uint32_t serial_written_first(const serial_spec *s);

// Whether number fits the width: below 256^width, 10^width or 16^width.
bool serial_fits(const serial_spec *s, uint64_t number);

// The bytes that number is written as, from serial_written_first on:
// serial_span less that many. The number must fit.
uint32_t encode_serial(const serial_spec *s, uint64_t number, uint8_t *bytes);

// What a check of per-board data found: a kind, the address it is about,
// and a second value (the address of the other patch, the byte found, or
// -1 for a cell without one).
enum {
	BOARD_OK = 0,
	BOARD_NO_BYTE,        // the program holds no byte at address
	BOARD_OVERLAP,        // the patch at address overlaps the one at value
	BOARD_NOT_DESCRIPTOR, // the bytes at address are no USB string descriptor of the width:
			      // value is bLength, or -1; other is bDescriptorType, or -1
	BOARD_NOT_NUMBER,     // the serial number's cell at address holds value (-1: no byte)
};

struct board_finding {
	int kind;
	int which;      // the patch: its index among the byte patches, or -1 for the serial
	uint32_t address;
	int64_t value;
	int64_t other;
};

// Checks the byte patches and the serial (null: none) against the program
// that img holds as layout l says: every byte that they write holds a byte
// of the program, the patches do not overlap, and a USB string's
// descriptor reads as one of the width. Returns the first finding, in
// that order of checks, patch by patch.
board_finding check_board_data(const image *img, const image_layout *l,
			       const byte_patch *patches, int count, const serial_spec *serial);

// Writes the byte patches into the program's cells of img, and the serial
// number when serial is not null; they must have passed
// check_board_data, and the number fit.
void apply_board_data(image *img, const image_layout *l, const byte_patch *patches, int count,
		      const serial_spec *serial, uint64_t number);

// Reads the serial number back from the cells of img where a program that
// begins in cell start holds it. Returns BOARD_OK with *number, or
// BOARD_NOT_NUMBER, or BOARD_NOT_DESCRIPTOR, with the finding.
board_finding read_serial(const image *img, uint32_t start, const serial_spec *serial,
			  uint64_t *number);

#endif
