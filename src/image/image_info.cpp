// Reading an EEPROM image back: what its header says, and whether it agrees.
#include "image/image_info.h"

#include <cinttypes>

// Cells of the boot header, and the cell where a program behind it begins;
// the same for the length header.
constexpr int BOOT_HEADER_CELLS = 3;
constexpr int LENGTH_HEADER_CELLS = 2;

// An image without -b whose lowest address is this or more was most likely
// written with -b.
constexpr int32_t SUSPECT_ORIGIN = 0x100;

static const char *const CRYSTALS[] = {"4 MHz", "8 MHz", "12 MHz", "16 MHz", "20 MHz"};

// What the cells say, worked out once for the report and the checks.
struct image_facts {
	int32_t extent; // the cells up to the last that holds a byte
	int32_t last;   // the last cell in use, or -1
	int32_t lowest; // the first cell that holds a byte, or -1
	int cell[3];    // cells 0 to 2, or -1 for one that holds no byte
	bool lenient;   // a fill byte is in play
};

static image_facts facts_of(const image *img, const info_request *request)
{
	image_facts f;
	f.extent = static_cast<int32_t>(image_used_end(img->cells, IMAGE_CELLS));
	f.lenient = request->raw || request->fill != INFO_NO_FILL;
	f.last = f.extent - 1;
	// Trailing cells that hold the fill byte, or none, are not in use.
	while (f.lenient && f.last >= 0 &&
	       (img->cells[f.last] == EMPTY_CELL || img->cells[f.last] == request->fill))
		f.last--;
	f.lowest = 0;
	while (f.lowest < f.extent && img->cells[f.lowest] == EMPTY_CELL)
		f.lowest++;
	if (f.lowest == f.extent)
		f.lowest = -1;
	for (int i = 0; i < 3; i++)
		f.cell[i] = img->cells[i];
	return f;
}

// "key: value", or "key: unknown" for a negative value.
static void put_number(FILE *out, const char *key, int64_t value)
{
	if (value < 0)
		std::fprintf(out, "%s: unknown\n", key);
	else
		std::fprintf(out, "%s: %" PRId64 "\n", key, value);
}

static void put_cells(FILE *out, const char *key, int64_t first, int64_t last)
{
	if (last < first)
		std::fprintf(out, "%s: none\n", key);
	else
		std::fprintf(out, "%s: cells %" PRId64 " to %" PRId64 "\n", key, first, last);
}

static void put_boot_header(FILE *out, const image_facts *f)
{
	int code = f->cell[0] < 0 ? -1 : f->cell[0] & 7;
	std::fprintf(out, "crystal: %s\n", code >= 0 && code <= 4 ? CRYSTALS[code] : "unknown");
	std::fprintf(out, "eeprom clock: %s\n",
		     f->cell[0] < 0 ? "unknown" : f->cell[0] & 0x08 ? "1 MHz and higher" : "500 kHz");
	put_number(out, "start cell", f->cell[1]);
	put_number(out, "last block", f->cell[2]);
	if (f->cell[1] < 0) {
		std::fputs("expert data: unknown\nprogram: unknown\n", out);
		return;
	}
	put_cells(out, "expert data", BOOT_HEADER_CELLS, f->cell[1] - 1);
	put_cells(out, "program", f->cell[1], f->last);
}

static int64_t length_of(const image_facts *f)
{
	return f->cell[0] < 0 || f->cell[1] < 0 ? -1 : f->cell[0] | f->cell[1] << 8;
}

static void put_length_header(FILE *out, const image_facts *f)
{
	put_number(out, "length", length_of(f));
	put_cells(out, "program", 2, f->last);
}

// The share in tenths of a per cent, rounded, in integers so that every
// platform prints the same.
static void put_used(FILE *out, const image_facts *f, int32_t program_size)
{
	int64_t used = f->last + 1;
	int64_t tenths = (used * 1000 + program_size / 2) / program_size;
	std::fprintf(out, "used: %" PRId64 " of %" PRId32 " bytes (%" PRId64 ".%" PRId64 "%%)\n",
		     used, program_size, tenths / 10, tenths % 10);
}

static void put_report(FILE *out, const image_facts *f, const info_request *request)
{
	std::fprintf(out, "format: %s\n", request->raw ? "raw binary" : "Intel HEX");
	std::fprintf(out, "header: %s\n", request->length_header ? "length" : "boot");
	if (request->length_header)
		put_length_header(out, f);
	else
		put_boot_header(out, f);
	put_used(out, f, request->program_size);
}

// Reports the header cells among the first n that hold no byte, as one
// line ("cell 1", "cells 1 and 2", "cells 0, 1 and 2"); returns 1 when there
// are any.
static int check_header_cells(const image_facts *f, int n, const char *header)
{
	int missing[3], count = 0;
	for (int i = 0; i < n; i++)
		if (f->cell[i] < 0)
			missing[count++] = i;
	if (count == 0)
		return 0;
	char list[32];
	int length = std::snprintf(list, sizeof list, "%s %d", count == 1 ? "cell" : "cells",
				   missing[0]);
	for (int k = 1; k < count; k++)
		length += std::snprintf(list + length, sizeof list - length, "%s%d",
					k == count - 1 ? " and " : ", ", missing[k]);
	std::fprintf(stderr, "ERROR: The %s header needs bytes in cells 0 to %d, but %s %s none\n",
		     header, n - 1, list, count == 1 ? "holds" : "hold");
	return 1;
}

static int check_cell0(const image_facts *f)
{
	int failed = 0;
	if (f->cell[0] >= 0 && (f->cell[0] & 7) > 4) {
		std::fprintf(stderr, "ERROR: Header cell 0 (%02Xh) holds crystal code %d, not 0 to 4\n",
			     f->cell[0], f->cell[0] & 7);
		failed = 1;
	}
	if (f->cell[0] >= 0 && (f->cell[0] & 0xF0) != 0) {
		std::fprintf(stderr, "ERROR: Header cell 0 (%02Xh) has bits 4 to 7 set, not 0\n",
			     f->cell[0]);
		failed = 1;
	}
	return failed;
}

// Cell 2 names the block of the last cell in use; with a fill byte, a block
// at or above it that lies within the image.
static int check_last_block(const image_facts *f)
{
	int block = f->cell[2];
	if (block < 0 || f->last < 0)
		return 0;
	int used_block = f->last >> 8;
	if (block == used_block || (f->lenient && block > used_block && block <= (f->extent - 1) >> 8))
		return 0;
	if (block > used_block && f->lenient)
		std::fprintf(stderr,
			     "ERROR: Header cell 2 names block %d as the last in use, but the image "
			     "ends in block %d\n",
			     block, (f->extent - 1) >> 8);
	else
		std::fprintf(stderr,
			     "ERROR: Header cell 2 names block %d as the last in use, but the last "
			     "cell in use, %d, lies in block %d\n",
			     block, f->last, used_block);
	return 1;
}

static int check_boot_header(const image_facts *f)
{
	int failed = check_header_cells(f, 3, "boot");
	failed |= check_cell0(f);
	if (f->cell[1] >= 0 && f->cell[1] < BOOT_HEADER_CELLS) {
		std::fprintf(stderr,
			     "ERROR: Header cell 1 names start cell %d, inside the header (cells 0 "
			     "to 2)\n",
			     f->cell[1]);
		failed = 1;
	}
	return failed | check_last_block(f);
}

// "N bytes, in cells 2 to E" for the cells that a length counts, in words
// that fit 1 and 0.
static void describe_length(char *text, size_t size, int64_t length)
{
	if (length == 0)
		std::snprintf(text, size, "0 bytes");
	else if (length == 1)
		std::snprintf(text, size, "1 byte, in cell 2");
	else
		std::snprintf(text, size, "%" PRId64 " bytes, in cells 2 to %" PRId64, length,
			      length + 1);
}

// Cells 2 to length + 1 hold the program: no cell behind them is in use,
// and the last of them is (with a fill byte: lies within the image).
static int check_length_header(const image_facts *f, const image *img)
{
	int failed = check_header_cells(f, 2, "length");
	int64_t length = length_of(f);
	if (length < 0)
		return failed;
	int64_t end = length + 1;
	char counted[64];
	describe_length(counted, sizeof counted, length);
	if (f->last > end) {
		std::fprintf(stderr,
			     "ERROR: The length header counts %s, but cells up to %d are in use\n",
			     counted, f->last);
		failed = 1;
	}
	bool missing = f->lenient || end >= IMAGE_CELLS ? end >= f->extent
						       : img->cells[end] == EMPTY_CELL;
	if (missing) {
		std::fprintf(stderr, "ERROR: The length header counts %s, but cell %" PRId64 " %s\n",
			     counted, end, f->lenient ? "lies beyond the image" : "holds no byte");
		failed = 1;
	}
	return failed;
}

int check_image_origin(uint64_t lowest)
{
	if (lowest < SUSPECT_ORIGIN)
		return 0;
	std::fprintf(stderr,
		     "ERROR: The image begins at address %" PRIX64 "h: give -b %" PRIX64
		     " if it was written there\n",
		     lowest, lowest);
	return 1;
}

// Some cell from the start cell on (cell 2 behind the length header) is in
// use: a header alone cannot be told from a chip that lost its program.
static int check_program(const image_facts *f, const info_request *request)
{
	int64_t start = request->length_header ? LENGTH_HEADER_CELLS : f->cell[1];
	if (start < 0 || f->last >= start)
		return 0;
	std::fprintf(stderr,
		     "ERROR: No cell from cell %" PRId64 " on is in use: the image holds no program\n",
		     start);
	return 1;
}

static int check_image(const image_facts *f, const image *img, const info_request *request)
{
	int failed = 0;
	if (!request->raw && request->base == 0 && f->lowest >= 0)
		failed = check_image_origin(uint64_t(f->lowest));
	failed |= request->length_header ? check_length_header(f, img) : check_boot_header(f);
	failed |= check_program(f, request);
	if (f->last >= request->program_size) {
		std::fprintf(stderr,
			     "ERROR: Cells up to %d are in use, beyond the program memory of %" PRId32
			     " %s; give -p the EEPROM's size\n",
			     f->last, request->program_size, request->program_size == 1 ? "byte" : "bytes");
		failed = 1;
	}
	return failed;
}

int report_image_info(FILE *out, const image *img, const info_request *request)
{
	image_facts f = facts_of(img, request);
	put_report(out, &f, request);
	// The report comes before the messages where both go to one terminal.
	std::fflush(out);
	return check_image(&f, img, request);
}
