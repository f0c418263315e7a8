// Reading the values of options: decimal and hexadecimal numbers, fill bytes.
#ifndef TARNWICK_ARG_VALUES_H
#define TARNWICK_ARG_VALUES_H

#include <cstdint>

#include "image/patches.h"

// Reads a decimal integer as atoi does (leading white space, an optional
// sign, the digits up to the first other character; 0 without digits), but
// a value beyond the range of int is held at its nearest end.
int parse_decimal(const char *text);

// Reads a hexadecimal number as "%x" does (leading white space, an optional
// sign and "0x", the digits of either case up to the first other character)
// into *value and returns 0; returns 1 and leaves *value alone when text
// holds no such number. A magnitude beyond 32 bits gives FFFFFFFFh, the
// highest address, rather than its low bits.
int parse_hex_argument(const char *text, uint32_t *value);

// Whether text, read as parse_hex_argument reads it, is an address of 0 to
// FFFFFFFFh: a number without a sign, of 32 bits at most.
bool is_plain_address(const char *text);

// Reads a fill byte: one or two hexadecimal digits, with 0x or 0X before
// them or h or H after them (not both), and nothing else. Returns the byte,
// or -1 for any other text.
int parse_fill_byte(const char *text);

// Reads an EEPROM size in bytes: decimal digits alone, or followed by K or
// k for 1024 bytes ("32768", "32K"), of 1 to MAX_CHIP_CELLS bytes (the
// largest chip). Returns the size, or 0 for any other text.
uint32_t parse_eeprom_size(const char *text);

// Reads a chip's page size: decimal digits alone that give a power of two
// of 1 to MAX_PAGE_CELLS. Returns the size, or 0 for any other text.
uint32_t parse_page_size(const char *text);

// Reads the value of --set, ADDRESS:BYTES: a hexadecimal address of 32
// bits at most, with 0x (or 0X) before it or not, a colon, and 1 to
// MAX_PATCH_BYTES bytes of two hexadecimal digits each, nothing else, into
// *patch. Returns 0, or 1 for any other text.
int parse_byte_patch(const char *text, byte_patch *patch);

// Reads the value of --serial, ADDRESS:FORMAT:WIDTH: the address as
// --set's, a format that serial_format_of knows, and a decimal width that
// the format takes, into *serial. Returns 0, or 1 for any other text.
int parse_serial_spec(const char *text, serial_spec *serial);

// Reads a serial number: decimal digits alone, 0 to 2^64 - 1, into
// *number. Returns 0, or 1 for any other text.
int parse_serial_number(const char *text, uint64_t *number);

#endif
