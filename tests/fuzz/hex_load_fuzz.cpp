// Fuzz target for the text readers: arbitrary bytes as an Intel HEX or S-record file.
//
// The first byte picks the reader, checksum verification and the window's
// size; the rest is the file. Besides the sanitizers' checks it asserts
// that only bytes 0 to 255 are stored, none outside the window, that the
// reported lowest and highest addresses are those of the cells stored, and
// that an image that read comes back the same after writing it as Intel
// HEX (or, after reading S-records, as S-records) and reading it again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "forms/hex_read.h"
#include "forms/hex_write.h"
#include "forms/srec_read.h"
#include "image/image.h"
#include "srec_text.h"

static const uint32_t SIZES[] = {IMAGE_CELLS, 4096, 256, 1, 0, 65533, 65280, 17};

static image *loaded = image_alloc();
static image *reloaded = image_alloc();
static line_reader reader;

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

static int read_bytes(file_reader read, const void *data, size_t size, const read_window *w,
		      read_result *r)
{
	FILE *in = fmemopen(const_cast<void *>(data), size, "r");
	line_reader_init(&reader, in);
	int status = read(&reader, w, r);
	std::fclose(in);
	return status;
}

// Checks the cells against the window and what the read reported.
static void check_cells(const image *img, uint32_t size, const read_result *r)
{
	uint64_t lowest = NO_ADDRESS, highest = 0;
	for (uint32_t i = 0; i < IMAGE_CELLS; i++) {
		image_cell c = img->cells[i];
		if (c == EMPTY_CELL)
			continue;
		check(i < size, "a cell outside the window was written");
		check(c >= 0 && c <= 255, "a cell holds a value outside 0 to 255");
		lowest = lowest == NO_ADDRESS ? i : lowest;
		highest = i;
	}
	check(lowest == r->lowest && highest == r->highest,
	      "lowest and highest are not the cells stored");
}

static void check_round_trip(const image *img, file_reader read, const read_result *r)
{
	std::string text;
	if (read == read_srec) {
		text = srec_text(std::vector<int>(img->cells, img->cells + IMAGE_CELLS), 1, 16, 0);
	} else {
		char *written = nullptr;
		size_t length = 0;
		FILE *out = open_memstream(&written, &length);
		write_hex_image(out, img->cells, 0, IMAGE_CELLS);
		std::fclose(out);
		text.assign(written, length);
		std::free(written);
	}
	clear(reloaded);
	read_window w = {reloaded->cells, 0, IMAGE_CELLS, IMAGE_CELLS, 1, MISFIT_MEMORY, 0, "again", nullptr, nullptr};
	read_result again;
	check(read_bytes(read, text.data(), text.size(), &w, &again) == READ_OK,
	      "the written image does not read");
	check(again.lowest == r->lowest && again.highest == r->highest,
	      "the written image has other addresses");
	check(std::memcmp(img->cells, reloaded->cells, sizeof img->cells) == 0,
	      "the written image reads to other cells");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	if (size < 2)
		return 0;
	file_reader read = data[0] & 0x10 ? read_srec : read_hex;
	uint32_t window = SIZES[(data[0] >> 1) & 7];
	clear(loaded);
	read_window w = {loaded->cells, 0, window, window, data[0] & 1, MISFIT_MEMORY, 0, "fuzz", nullptr, nullptr};
	read_result r;
	int status = read_bytes(read, data + 1, size - 1, &w, &r);

	check(status >= READ_OK && status <= READ_BAD_COUNT, "unexpected status");
	check_cells(loaded, window, &r);
	if (status == READ_OK || status == READ_CHECKSUM_ERROR)
		check_round_trip(loaded, read, &r);
	return 0;
}
