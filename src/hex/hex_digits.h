// Reading and writing the fixed-width hexadecimal fields of Intel HEX text.
#ifndef TARNWICK_HEX_DIGITS_H
#define TARNWICK_HEX_DIGITS_H

#include <cstdint>

// Value of one hexadecimal digit of either case, or -1 for any other
// character, the terminating NUL included.
inline int hex_digit_value(char c)
{
	unsigned char u = static_cast<unsigned char>(c);
	if (u >= '0' && u <= '9')
		return u - '0';
	u |= 0x20;
	if (u >= 'a' && u <= 'f')
		return u - 'a' + 10;
	return -1;
}

// Reads a field of exactly `digits` hexadecimal digits at *pos into *value
// and moves *pos past it. Stops at the first character that is not a digit,
// so it never reads past a NUL; returns false then.
inline bool hex_read_field(const char **pos, int digits, uint32_t *value)
{
	const char *p = *pos;
	uint32_t v = 0;
	for (int i = 0; i < digits; i++) {
		int d = hex_digit_value(p[i]);
		if (d < 0)
			return false;
		v = (v << 4) | static_cast<uint32_t>(d);
	}
	*pos = p + digits;
	*value = v;
	return true;
}

// Writes the low `digits` hexadecimal digits of value in upper case at out,
// without a terminating NUL; returns the position after them.
inline char *hex_put_digits(char *out, uint32_t value, int digits)
{
	static const char DIGITS[] = "0123456789ABCDEF";
	for (int i = digits - 1; i >= 0; i--) {
		out[i] = DIGITS[value & 0xF];
		value >>= 4;
	}
	return out + digits;
}

#endif
