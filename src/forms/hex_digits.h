// Hexadecimal digits of either case, and pairs of them, read by table: the byte fields of text records.
#ifndef TARNWICK_HEX_DIGITS_H
#define TARNWICK_HEX_DIGITS_H

#include <cstdint>

// Value of each character as a hexadecimal digit of either case, or -1.
struct hex_digit_table {
	int8_t value[256];
	constexpr hex_digit_table() : value()
	{
		for (int c = 0; c < 256; c++)
			value[c] = c >= '0' && c <= '9'   ? int8_t(c - '0')
				   : c >= 'A' && c <= 'F' ? int8_t(c - 'A' + 10)
				   : c >= 'a' && c <= 'f' ? int8_t(c - 'a' + 10)
							  : int8_t(-1);
	}
};

// Value of each pair of characters as a two-digit hexadecimal byte, or -1,
// indexed by the first character plus 256 times the second: one lookup
// reads and checks a byte field. 128 KiB, of which reading touches the
// few rows of the digit characters.
struct hex_pair_table {
	int16_t value[65536];
	constexpr hex_pair_table() : value()
	{
		hex_digit_table digits;
		for (int first = 0; first < 256; first++)
			for (int second = 0; second < 256; second++) {
				int high = digits.value[first];
				int low = digits.value[second];
				value[first | second << 8] =
					high < 0 || low < 0 ? int16_t(-1) : int16_t(high << 4 | low);
			}
	}
};

inline constexpr hex_pair_table HEX_PAIR_VALUES{};

// The value of the two digits of a byte at p (both must be readable), or
// -1 when either is not a digit.
inline int hex_pair_value(const char *p)
{
	unsigned index = static_cast<unsigned char>(p[0]) |
			 static_cast<unsigned>(static_cast<unsigned char>(p[1])) << 8;
	return HEX_PAIR_VALUES.value[index];
}

// Reads the two digits of a byte at p (both must be readable) into *value;
// false when either is not a digit.
inline bool hex_read_byte(const char *p, uint32_t *value)
{
	int v = hex_pair_value(p);
	if (v < 0)
		return false;
	*value = static_cast<uint32_t>(v);
	return true;
}

#endif
