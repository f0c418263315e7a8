// The record emitter: text records of any form, gathered and handed to stdio, and the runs of cells they hold.
#include "forms/record_writer.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Upper-case digit pairs of every byte value.
struct hex_text_table {
	char pair[256][2];
	constexpr hex_text_table() : pair()
	{
		const char digits[] = "0123456789ABCDEF";
		for (int v = 0; v < 256; v++) {
			pair[v][0] = digits[v >> 4];
			pair[v][1] = digits[v & 0xF];
		}
	}
};

static constexpr hex_text_table HEX_TEXT{};

void record_begin(record_output *o, FILE *out)
{
	o->out = out;
	o->used = 0;
}

void record_end(record_output *o)
{
	std::fwrite(o->text, 1, o->used, o->out);
	o->used = 0;
}

char *record_space(record_output *o)
{
	if (o->used + RECORD_LINE_MAX > RECORD_BUFFER_SIZE)
		record_end(o);
	return o->text + o->used;
}

char *put_hex_byte(char *p, uint32_t byte)
{
	std::memcpy(p, HEX_TEXT.pair[byte & 0xFF], 2);
	return p + 2;
}

static inline uint32_t put_digits(char **p, const uint8_t *data, uint32_t n)
{
	uint32_t sum = 0;
	char *q = *p;
#pragma GCC unroll 16
	for (uint32_t k = 0; k < n; k++) {
		sum += data[k];
		std::memcpy(q + 2 * k, HEX_TEXT.pair[data[k]], 2);
	}
	*p = q + 2 * n;
	return sum;
}

#if defined(__SSE2__)
// The upper-case digits of nibbles, one a byte: '0' plus the nibble, and 7
// more from 10 on, where 'A' follows '9' in ASCII.
static inline __m128i nibble_digits(__m128i nibbles)
{
	__m128i letters = _mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9));
	__m128i digits = _mm_add_epi8(nibbles, _mm_set1_epi8('0'));
	return _mm_add_epi8(digits, _mm_and_si128(letters, _mm_set1_epi8('A' - '9' - 1)));
}

// The digits of 16 bytes and their sum, in vector registers: the high and
// the low nibble of each byte spread to two bytes, then made digits.
static inline uint32_t put_16_digits(char **p, const uint8_t *data)
{
	__m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data));
	__m128i nibble = _mm_set1_epi8(0x0F);
	__m128i high = _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble);
	__m128i low = _mm_and_si128(bytes, nibble);
	_mm_storeu_si128(reinterpret_cast<__m128i *>(*p), nibble_digits(_mm_unpacklo_epi8(high, low)));
	_mm_storeu_si128(reinterpret_cast<__m128i *>(*p + 16),
			 nibble_digits(_mm_unpackhi_epi8(high, low)));
	*p += 32;
	__m128i sums = _mm_sad_epu8(bytes, _mm_setzero_si128());
	return uint32_t(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
}
#else
static inline uint32_t put_16_digits(char **p, const uint8_t *data)
{
	return put_digits(p, data, 16);
}
#endif

uint32_t put_hex_bytes(char **p, const uint8_t *data, uint32_t n)
{
	return n == 16 ? put_16_digits(p, data) : put_digits(p, data, n);
}

// The records of one run, cells i to end - 1.
static void put_run(record_output *o, const image_output *io, uint32_t i, uint32_t end,
		    uint32_t record_bytes, uint64_t boundary, record_put put, void *state)
{
	const uint8_t *bytes = chip_bytes(io->img, 0);
	while (i < end) {
		uint64_t address = uint64_t(io->base) + (i - io->first);
		uint32_t n = end - i < record_bytes ? end - i : record_bytes;
		if (boundary != 0 && boundary - address % boundary < n)
			n = uint32_t(boundary - address % boundary);
		put(state, o, address, bytes + i, n);
		i += n;
	}
}

void put_record_runs(record_output *o, const image_output *io, uint32_t record_bytes,
		     uint64_t boundary, record_put put, void *state)
{
	if (io->filled) {
		put_run(o, io, io->first, io->end, record_bytes, boundary, put, state);
		return;
	}
	for (uint32_t i = image_next_held(io->img, io->first, io->end); i < io->end;) {
		uint32_t end = image_next_gap(io->img, i, io->end);
		put_run(o, io, i, end, record_bytes, boundary, put, state);
		i = image_next_held(io->img, end, io->end);
	}
}

int64_t last_output_address(const image_output *io)
{
	uint32_t end = io->filled ? io->end : image_end(io->img, io->end);
	return end > io->first ? int64_t(io->base) + (end - 1 - io->first) : -1;
}
