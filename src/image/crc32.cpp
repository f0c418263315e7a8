// The CRC-32 of zlib, gzip and PNG, computed eight bytes a step.
#include "image/crc32.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

// The reflected generator polynomial.
constexpr uint32_t CRC32_POLYNOMIAL = 0xEDB88320u;

// Bytes taken in one step: one table lookup each, all independent.
constexpr uint32_t CRC32_SLICES = 8;

// value[0][b] is the CRC step of byte b; value[s][b] that of byte b followed
// by s zero bytes, so that eight bytes cost eight lookups and no shifts
// between them.
struct crc32_table {
	uint32_t value[CRC32_SLICES][256];
	constexpr crc32_table() : value()
	{
		for (uint32_t b = 0; b < 256; b++) {
			uint32_t c = b;
			for (int bit = 0; bit < 8; bit++)
				c = (c & 1) != 0 ? c >> 1 ^ CRC32_POLYNOMIAL : c >> 1;
			value[0][b] = c;
		}
		for (uint32_t s = 1; s < CRC32_SLICES; s++)
			for (uint32_t b = 0; b < 256; b++)
				value[s][b] = value[s - 1][b] >> 8 ^ value[0][value[s - 1][b] & 0xFF];
	}
};

static constexpr crc32_table CRC32_TABLE{};

// Four bytes as a little-endian word, whatever the byte order of the host.
static uint32_t load_le32(const unsigned char *p)
{
	return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Advances the bit-reversed register over eight bytes.
static uint32_t step8(uint32_t reg, const unsigned char *p)
{
	const auto &t = CRC32_TABLE.value;
	uint32_t low = reg ^ load_le32(p);
	uint32_t high = load_le32(p + 4);
	return t[7][low & 0xFF] ^ t[6][low >> 8 & 0xFF] ^ t[5][low >> 16 & 0xFF] ^ t[4][low >> 24] ^
	       t[3][high & 0xFF] ^ t[2][high >> 8 & 0xFF] ^ t[1][high >> 16 & 0xFF] ^ t[0][high >> 24];
}

// Advances the register over one byte.
static uint32_t step1(uint32_t reg, unsigned char byte)
{
	return reg >> 8 ^ CRC32_TABLE.value[0][(reg ^ byte) & 0xFF];
}

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define CRC32_CARRY_LESS 1

// Bytes folded at a time by carry-less multiplication, and the least that
// it takes.
constexpr size_t CLMUL_BLOCK = 16;
constexpr size_t CLMUL_LEAST = 4 * CLMUL_BLOCK;

#define CLMUL_TARGET __attribute__((target("pclmul,sse2")))

CLMUL_TARGET static inline __m128i load_block(const unsigned char *p)
{
	return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}

// Folds 128 bits of the remainder over the 128 bits of next: its low half
// times the low constant, its high half times the high one.
CLMUL_TARGET static inline __m128i fold(__m128i x, __m128i constants, __m128i next)
{
	return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, constants, 0x00),
					   _mm_clmulepi64_si128(x, constants, 0x11)),
			     next);
}

// Advances the register over n bytes (a multiple of 16, at least 64) by
// folding with carry-less multiplication, four blocks at a time, then one,
// and a Barrett reduction to 32 bits; the constants are the powers of x
// modulo the reflected polynomial that folding by 512 and by 128 bits
// needs, and the polynomial with its Barrett quotient.
CLMUL_TARGET static uint32_t fold_blocks(uint32_t reg, const unsigned char *p, size_t n)
{
	const __m128i by_four = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
	const __m128i by_one = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
	const __m128i to_32 = _mm_set_epi64x(0, 0x163cd6124);
	const __m128i barrett = _mm_set_epi64x(0x1f7011641, 0x1db710641);
	const __m128i low_32 = _mm_set_epi32(0, 0, 0, -1);
	__m128i x1 = _mm_xor_si128(load_block(p), _mm_cvtsi32_si128(int(reg)));
	__m128i x2 = load_block(p + 16), x3 = load_block(p + 32), x4 = load_block(p + 48);
	for (p += CLMUL_LEAST, n -= CLMUL_LEAST; n >= CLMUL_LEAST; p += CLMUL_LEAST, n -= CLMUL_LEAST) {
		x1 = fold(x1, by_four, load_block(p));
		x2 = fold(x2, by_four, load_block(p + 16));
		x3 = fold(x3, by_four, load_block(p + 32));
		x4 = fold(x4, by_four, load_block(p + 48));
	}
	x1 = fold(fold(fold(x1, by_one, x2), by_one, x3), by_one, x4);
	for (; n >= CLMUL_BLOCK; p += CLMUL_BLOCK, n -= CLMUL_BLOCK)
		x1 = fold(x1, by_one, load_block(p));
	x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(by_one, x1, 0x01));
	x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low_32), to_32, 0x00),
			   _mm_srli_si128(x1, 4));
	__m128i quotient = _mm_clmulepi64_si128(_mm_and_si128(x1, low_32), barrett, 0x10);
	x1 = _mm_xor_si128(x1, _mm_clmulepi64_si128(_mm_and_si128(quotient, low_32), barrett, 0x00));
	return uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(x1, 4)));
}
#endif

uint32_t crc32_update(uint32_t crc, const unsigned char *bytes, size_t n)
{
	uint32_t reg = ~crc;
	size_t i = 0;
#ifdef CRC32_CARRY_LESS
	if (n >= CLMUL_LEAST && __builtin_cpu_supports("pclmul")) {
		i = n & ~(CLMUL_BLOCK - 1);
		reg = fold_blocks(reg, bytes, i);
	}
#endif
	for (; n - i >= CRC32_SLICES; i += CRC32_SLICES)
		reg = step8(reg, bytes + i);
	for (; i < n; i++)
		reg = step1(reg, bytes[i]);
	return ~reg;
}

uint32_t image_crc32(const image *img, uint32_t count)
{
	return crc32_update(0, chip_bytes(img, 0), count);
}
