// Fuzz target for the Intel HEX loader: arbitrary bytes as a file.
//
// The first byte picks checksum verification and the limit; the rest is the
// file. Besides the sanitizers' checks it asserts that only bytes 0 to 255
// are stored, none at or beyond the limit, that the reported highest address
// is the highest cell stored, and that an image that loaded comes back the
// same after writing it as Intel HEX and loading it again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "hex/hex_read.h"
#include "hex/hex_write.h"
#include "image/image.h"

static const uint32_t LIMITS[] = {IMAGE_CELLS, 4096, 256, 1, 0, 65533, 65280, 17};

static image *loaded = image_alloc();
static image *reloaded = image_alloc();

static void check(bool condition, const char *what)
{
	if (!condition) {
		std::fprintf(stderr, "property violated: %s\n", what);
		std::abort();
	}
}

// Sets every cell to EMPTY_CELL, whose bytes are all FFh.
static void clear(image *img)
{
	std::memset(img->cells, 0xFF, sizeof img->cells);
}

// Checks the cells against the limit and returns the highest cell in use.
static uint32_t check_cells(const image *img, uint32_t limit)
{
	static image *empty = nullptr;
	if (empty == nullptr) {
		empty = image_alloc();
		clear(empty);
	}
	check(std::memcmp(img->cells + limit, empty->cells,
			  (IMAGE_CELLS - limit) * sizeof(image_cell)) == 0,
	      "a cell at or beyond the limit was written");
	uint32_t top = 0;
	for (uint32_t i = 0; i < limit; i++) {
		image_cell c = img->cells[i];
		if (c == EMPTY_CELL)
			continue;
		check(c >= 0 && c <= 255, "a cell holds a value outside 0 to 255");
		top = i;
	}
	return top;
}

static void check_round_trip(const image *img, uint32_t highest)
{
	char *text = nullptr;
	size_t length = 0;
	FILE *out = open_memstream(&text, &length);
	write_hex_image(out, img->cells, 0, highest + 1);
	std::fclose(out);

	clear(reloaded);
	FILE *in = fmemopen(text, length, "r");
	uint32_t again = 0;
	int status = load_hex_file(in, reloaded->cells, 1, IMAGE_CELLS, &again);
	std::fclose(in);
	std::free(text);
	check(status == HEX_OK, "the written image does not load");
	check(again == highest, "the written image has another highest address");
	check(std::memcmp(img->cells, reloaded->cells, sizeof img->cells) == 0,
	      "the written image loads to other cells");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	if (size < 2)
		return 0;
	int verify = data[0] & 1;
	uint32_t limit = LIMITS[(data[0] >> 1) & 7];
	FILE *in = fmemopen(const_cast<uint8_t *>(data + 1), size - 1, "r");
	if (in == nullptr)
		return 0;

	clear(loaded);
	uint32_t highest = 0;
	int status = load_hex_file(in, loaded->cells, verify, limit, &highest);
	std::fclose(in);

	check(status >= HEX_OK && status <= HEX_BAD_FORMAT, "unexpected status");
	check(check_cells(loaded, limit) == highest, "highest is not the top cell");
	if (status == HEX_OK || status == HEX_CHECKSUM_ERROR)
		check_round_trip(loaded, highest);
	return 0;
}
