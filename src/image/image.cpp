// The cells of one chip: a byte each and whether it holds one, sized once.
#include "image/image.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/memory.h"

// Bytes set in one piece. glibc's memset switches to string instructions
// for large sizes (16 KiB and more here); pieces of 4 KiB keep it to vector
// stores, many times fewer instructions.
constexpr size_t CLEAR_PIECE = 4096;

static void set_bytes(void *first, int value, size_t count)
{
	unsigned char *p = static_cast<unsigned char *>(first);
	for (size_t done = 0; done < count; done += CLEAR_PIECE)
		std::memset(p + done, value, count - done < CLEAR_PIECE ? count - done : CLEAR_PIECE);
}

// The block of an image: its record and its held bits, and its bytes
// behind them unless they are memory of their own.
static image *alloc_block(uint32_t size, uint8_t empty, bool with_bytes)
{
	uint64_t cells = uint64_t(size) + SPARE_CELLS;
	// One word more than the cells need, so that a mark of up to 64 cells
	// may touch the word behind its last cell.
	size_t words = size_t((cells + 63) / 64 + 1);
	size_t total = sizeof(image) + words * 8 + (with_bytes ? size_t(cells) : 0);
	char *block = static_cast<char *>(run_realloc(nullptr, total));
	if (block == nullptr)
		return nullptr;
	expect_whole_use(block, total);
	image *img = reinterpret_cast<image *>(block);
	img->size = size;
	img->empty = empty;
	img->held = reinterpret_cast<uint64_t *>(block + sizeof(image));
	img->bytes = with_bytes ? reinterpret_cast<uint8_t *>(img->held + words) : nullptr;
	img->mapped = 0;
	set_bytes(img->held, 0, words * 8);
	return img;
}

image *image_alloc(uint32_t size, uint8_t empty)
{
	image *img = alloc_block(size, empty, true);
	if (img != nullptr)
		set_bytes(img->bytes, empty, size_t(size) + SPARE_CELLS);
	return img;
}

// Files smaller than this are read as every other file is.
constexpr size_t LEAST_MAPPED = 1024 * 1024;

image *image_alloc_over_file(uint32_t size, uint8_t empty, FILE *stream, uint32_t *preloaded)
{
	*preloaded = 0;
	size_t page = memory_page(), cells = size_t(size) + SPARE_CELLS;
	int64_t file = stream_size(stream);
	size_t length = size_t(file < int64_t(size) ? (file > 0 ? file : 0) : size) / page * page;
	if (length < LEAST_MAPPED)
		return image_alloc(size, empty);
	image *img = alloc_block(size, empty, false);
	size_t whole = (cells + page - 1) / page * page;
	void *bytes = img != nullptr ? map_memory(whole) : nullptr;
	if (bytes == nullptr) {
		image_free(img);
		return nullptr;
	}
	img->bytes = static_cast<uint8_t *>(bytes);
	img->mapped = whole;
	if (map_file_bytes(stream, bytes, length) == 0)
		*preloaded = uint32_t(length);
	set_bytes(img->bytes + *preloaded, empty, cells - *preloaded);
	return img;
}

void image_free(image *img)
{
	if (img != nullptr && img->mapped != 0)
		unmap_memory(img->bytes, img->mapped);
	std::free(img);
}

// The bits of cells first to end - 1 set in a mask of the word of first:
// those from first's bit on, and below end's bit in end's word.
static uint64_t word_mask(uint32_t first, uint32_t end, uint32_t word)
{
	uint64_t mask = ~uint64_t(0);
	if (word == first >> 6)
		mask &= ~uint64_t(0) << (first & 63);
	if (word == (end - 1) >> 6 && (end & 63) != 0)
		mask &= (uint64_t(1) << (end & 63)) - 1;
	return mask;
}

void image_mark_long(image *img, uint32_t first, uint32_t count)
{
	if (count == 0)
		return;
	uint32_t end = first + count;
	for (uint32_t word = first >> 6; word <= (end - 1) >> 6; word++)
		img->held[word] |= word_mask(first, end, word);
}

// The first cell from first to end - 1 whose bit in held, flipped by
// flip, is set; end when there is none.
static uint32_t next_bit(const uint64_t *held, uint32_t first, uint32_t end, uint64_t flip)
{
	if (first >= end)
		return end;
	for (uint32_t word = first >> 6; word <= (end - 1) >> 6; word++) {
		uint64_t bits = (held[word] ^ flip) & word_mask(first, end, word);
		if (bits != 0)
			return word * 64 + uint32_t(__builtin_ctzll(bits));
	}
	return end;
}

uint32_t image_next_held(const image *img, uint32_t first, uint32_t end)
{
	return next_bit(img->held, first, end, 0);
}

uint32_t image_next_gap(const image *img, uint32_t first, uint32_t end)
{
	return next_bit(img->held, first, end, ~uint64_t(0));
}

uint32_t next_in_cell_set(const uint64_t *set, uint32_t first, uint32_t end)
{
	return next_bit(set, first, end, 0);
}

int64_t last_in_cell_set(const uint64_t *set, uint32_t end)
{
	for (uint32_t word = (end + 63) >> 6; word-- > 0;) {
		uint64_t bits = set[word] & word_mask(word * 64, end, word);
		if (bits != 0)
			return int64_t(word) * 64 + 63 - __builtin_clzll(bits);
	}
	return -1;
}

// The set bits of x, counted in place: a count that the compiler's own
// would take from a library that every run then loads.
static uint32_t count_bits(uint64_t x)
{
	x -= (x >> 1) & 0x5555555555555555u;
	x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
	x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
	return uint32_t((x * 0x0101010101010101u) >> 56);
}

uint32_t image_count_held(const image *img, uint32_t first, uint32_t end)
{
	uint32_t count = 0;
	for (uint32_t word = first >> 6; first < end && word <= (end - 1) >> 6; word++)
		count += count_bits(img->held[word] & word_mask(first, end, word));
	return count;
}

uint32_t image_end(const image *img, uint32_t end)
{
	return uint32_t(last_in_cell_set(img->held, end) + 1);
}
