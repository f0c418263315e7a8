// Fuzz target for the text readers: arbitrary bytes as an Intel HEX or S-record file.
//
// The first byte picks the reader, checksum verification and the window's
// size; the rest is the file. Besides the sanitizers' checks it asserts
// that only bytes 0 to 255 are stored, none outside the window, that the
// reported lowest and highest addresses are those of the cells stored, that
// a cell without a byte still holds the image's empty byte, and that an
// image that read comes back the same after writing it as Intel HEX (or,
// after reading S-records, as S-records) and reading it again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "forms/hex_reader.h"
#include "forms/hex_writer.h"
#include "forms/srec_reader.h"
#include "forms/srec_writer.h"
#include "image/image.h"

static const uint32_t SIZES[] = {IMAGE_CELLS, 4096, 256, 1, 0, 65533, 65280, 17};

// The empty byte of the images, not a byte that a test file favours.
constexpr uint8_t EMPTY = 0x5A;

static line_reader reader;

static void check(bool condition, const char *what)
{
	if (!condition) {
		std::fprintf(stderr, "property violated: %s\n", what);
		std::abort();
	}
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
	for (uint32_t i = 0; i < IMAGE_CELLS + SPARE_CELLS; i++) {
		if (!image_holds(img, i)) {
			check(img->bytes[i] == EMPTY, "a cell without a byte holds another byte");
			continue;
		}
		check(i < size, "a cell outside the window was written");
		lowest = lowest == NO_ADDRESS ? i : lowest;
		highest = i;
	}
	check(lowest == r->lowest && highest == r->highest,
	      "lowest and highest are not the cells stored");
}

static void check_round_trip(const image *img, file_reader read, const read_result *r)
{
	char *written = nullptr;
	size_t length = 0;
	FILE *out = open_memstream(&written, &length);
	const image_output o = {img, 0, IMAGE_CELLS, 0, 0, nullptr};
	(read == read_srec ? write_srec : write_hex)(out, &o);
	std::fclose(out);
	image *reloaded = image_alloc(IMAGE_CELLS, EMPTY);
	read_window w = {reloaded, 0, 0, IMAGE_CELLS, 1, 0, 0, "again", 0};
	read_result again;
	check(read_bytes(read, written, length, &w, &again) == READ_OK,
	      "the written image does not read");
	std::free(written);
	check(again.lowest == r->lowest && again.highest == r->highest,
	      "the written image has other addresses");
	size_t words = (IMAGE_CELLS + SPARE_CELLS + 63) / 64;
	check(std::memcmp(img->held, reloaded->held, words * 8) == 0 &&
		      std::memcmp(img->bytes, reloaded->bytes, IMAGE_CELLS) == 0,
	      "the written image reads to other cells");
	image_free(reloaded);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	if (size < 2)
		return 0;
	file_reader read = data[0] & 0x10 ? read_srec : read_hex;
	uint32_t window = SIZES[(data[0] >> 1) & 7];
	image *loaded = image_alloc(IMAGE_CELLS, EMPTY);
	read_window w = {loaded, 0, 0, window, data[0] & 1, 0, 0, "fuzz", 0};
	read_result r;
	int status = read_bytes(read, data + 1, size - 1, &w, &r);

	check(status >= READ_OK && status <= READ_BAD_COUNT, "unexpected status");
	check_cells(loaded, window, &r);
	if (status == READ_OK || status == READ_CHECKSUM_ERROR)
		check_round_trip(loaded, read, &r);
	image_free(loaded);
	return 0;
}
