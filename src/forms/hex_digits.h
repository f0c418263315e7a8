// Hexadecimal digits of either case, and pairs of them, read by table: the byte fields of text records.
#ifndef TARNWICK_HEX_DIGITS_H
#define TARNWICK_HEX_DIGITS_H

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Reads the 2 * count digits at p (all must be readable) as count bytes
// into bytes, adds them to *sum and returns true; false when one is not a
// digit, with *sum unchanged.
inline bool hex_read_bytes(const char *p, uint32_t count, uint8_t *bytes, uint32_t *sum)
{
	uint32_t total = 0;
	for (uint32_t i = 0; i < count; i++, p += 2) {
		int value = hex_pair_value(p);
		if (value < 0)
			return false;
		bytes[i] = static_cast<uint8_t>(value);
		total += static_cast<uint32_t>(value);
	}
	*sum += total;
	return true;
}

#if defined(__SSE2__)
// The value of each of 16 characters as a hexadecimal digit, and in valid
// all bits set where it is one: c - '0' below 10, or c with the lower-case
// bit set, less 'a', below 6 (plus 10).
inline __m128i hex_digit_values(__m128i c, __m128i *valid)
{
	__m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
	__m128i letter = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
	__m128i is_digit = _mm_cmpeq_epi8(_mm_min_epu8(digit, _mm_set1_epi8(9)), digit);
	__m128i is_letter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
	*valid = _mm_or_si128(is_digit, is_letter);
	return _mm_or_si128(_mm_and_si128(is_digit, digit),
			    _mm_and_si128(is_letter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
}

// The bytes of 8 digit pairs, one a 16-bit lane: the first digit, in the
// low byte, is the high nibble.
inline __m128i hex_pair_bytes(__m128i values)
{
	__m128i high = _mm_slli_epi16(_mm_and_si128(values, _mm_set1_epi16(0x00FF)), 4);
	return _mm_or_si128(high, _mm_srli_epi16(values, 8));
}
#endif

// hex_read_bytes of 16 bytes, in vector registers where there are any.
inline bool hex_read_16(const char *p, uint8_t *bytes, uint32_t *sum)
{
#if defined(__SSE2__)
	__m128i valid_first, valid_second;
	__m128i first = hex_digit_values(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)),
					 &valid_first);
	__m128i second = hex_digit_values(
		_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16)), &valid_second);
	if (_mm_movemask_epi8(_mm_and_si128(valid_first, valid_second)) != 0xFFFF)
		return false;
	__m128i values = _mm_packus_epi16(hex_pair_bytes(first), hex_pair_bytes(second));
	_mm_storeu_si128(reinterpret_cast<__m128i *>(bytes), values);
	__m128i sums = _mm_sad_epu8(values, _mm_setzero_si128());
	*sum += uint32_t(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
	return true;
#else
	return hex_read_bytes(p, 16, bytes, sum);
#endif
}

#endif
