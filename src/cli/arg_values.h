// Reading the values of options: decimal and hexadecimal numbers, fill bytes.
#ifndef TARNWICK_ARG_VALUES_H
#define TARNWICK_ARG_VALUES_H

#include <cstdint>

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

#endif
