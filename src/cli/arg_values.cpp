// Reading the values of options: decimal and hexadecimal numbers, fill bytes.
#include "cli/arg_values.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "forms/hex_digits.h"
#include "image/image.h"

int parse_decimal(const char *text)
{
	long value = std::strtol(text, nullptr, 10);
	if (value > INT_MAX)
		return INT_MAX;
	if (value < INT_MIN)
		return INT_MIN;
	return static_cast<int>(value);
}

static const char *skip_spaces(const char *text)
{
	while (std::isspace(static_cast<unsigned char>(*text)))
		text++;
	return text;
}

// Whether the magnitude of the hexadecimal number in text needs more than
// 32 bits; the sign, if any, does not count.
static bool hex_exceeds_32_bits(const char *text)
{
	text = skip_spaces(text);
	if (*text == '+' || *text == '-')
		text++;
	errno = 0;
	unsigned long long value = std::strtoull(text, nullptr, 16);
	return errno == ERANGE || value > 0xFFFFFFFFull;
}

int parse_hex_argument(const char *text, uint32_t *value)
{
	unsigned int scanned;
	if (std::sscanf(text, "%x", &scanned) != 1)
		return 1;
	*value = hex_exceeds_32_bits(text) ? 0xFFFFFFFFu : scanned;
	return 0;
}

bool is_plain_address(const char *text)
{
	uint32_t value;
	const char *p = skip_spaces(text);
	return parse_hex_argument(text, &value) == 0 && *p != '+' && *p != '-' &&
	       !hex_exceeds_32_bits(text);
}

int parse_fill_byte(const char *text)
{
	size_t n = std::strlen(text);
	if (n >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
		text += 2;
		n -= 2;
	} else if (n >= 1 && (text[n - 1] == 'h' || text[n - 1] == 'H')) {
		n--;
	}
	if (n < 1 || n > 2)
		return -1;
	static constexpr hex_digit_table DIGITS{};
	int value = 0;
	for (size_t i = 0; i < n; i++) {
		int digit = DIGITS.value[static_cast<unsigned char>(text[i])];
		if (digit < 0)
			return -1;
		value = value << 4 | digit;
	}
	return value;
}

uint32_t parse_eeprom_size(const char *text)
{
	uint64_t value = 0;
	const char *p = text;
	for (; *p >= '0' && *p <= '9' && value <= MAX_CHIP_CELLS; p++)
		value = value * 10 + uint64_t(*p - '0');
	if (p == text)
		return 0;
	if (*p == 'K' || *p == 'k') {
		value *= 1024;
		p++;
	}
	return *p == '\0' && value >= 1 && value <= MAX_CHIP_CELLS ? uint32_t(value) : 0;
}

uint32_t parse_page_size(const char *text)
{
	uint32_t value = 0;
	const char *p = text;
	for (; *p >= '0' && *p <= '9' && value <= MAX_PAGE_CELLS; p++)
		value = value * 10 + uint32_t(*p - '0');
	bool power_of_two = value != 0 && (value & (value - 1)) == 0;
	return p != text && *p == '\0' && power_of_two && value <= MAX_PAGE_CELLS ? value : 0;
}

// Reads a hexadecimal address of 32 bits at most, 0x before it or not, up
// to the first character that is no digit; returns where it stops, or null
// without a digit or beyond 32 bits.
static const char *read_address(const char *text, uint32_t *address)
{
	static constexpr hex_digit_table DIGITS{};
	if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
		text += 2;
	uint64_t value = 0;
	const char *p = text;
	for (; DIGITS.value[static_cast<unsigned char>(*p)] >= 0 && value <= 0xFFFFFFFFu; p++)
		value = value << 4 | uint64_t(DIGITS.value[static_cast<unsigned char>(*p)]);
	if (p == text || value > 0xFFFFFFFFu)
		return nullptr;
	*address = uint32_t(value);
	return p;
}

int parse_byte_patch(const char *text, byte_patch *patch)
{
	const char *p = read_address(text, &patch->address);
	if (p == nullptr || *p++ != ':')
		return 1;
	patch->count = 0;
	for (; *p != '\0'; p += 2) {
		int value = p[1] != '\0' ? hex_pair_value(p) : -1;
		if (value < 0 || patch->count == MAX_PATCH_BYTES)
			return 1;
		patch->bytes[patch->count++] = uint8_t(value);
	}
	return patch->count > 0 ? 0 : 1;
}

int parse_serial_spec(const char *text, serial_spec *serial)
{
	const char *p = read_address(text, &serial->address);
	if (p == nullptr || *p++ != ':')
		return 1;
	const char *colon = std::strchr(p, ':');
	if (colon == nullptr)
		return 1;
	serial->format = serial_format_of(p, uint32_t(colon - p));
	uint64_t width;
	if (serial->format < 0 || parse_serial_number(colon + 1, &width) != 0 || width > 99)
		return 1;
	serial->width = uint32_t(width);
	return serial_width_fits(serial->format, serial->width) ? 0 : 1;
}

int parse_serial_number(const char *text, uint64_t *number)
{
	uint64_t value = 0;
	const char *p = text;
	for (; *p >= '0' && *p <= '9'; p++) {
		uint64_t digit = uint64_t(*p - '0');
		if (value > (UINT64_MAX - digit) / 10)
			return 1;
		value = value * 10 + digit;
	}
	if (p == text || *p != '\0')
		return 1;
	*number = value;
	return 0;
}
