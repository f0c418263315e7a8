// Reading an EEPROM image back: what its header says, and whether it agrees.
#include "image/image_info.h"

#include <cinttypes>

#include "image/crc32.h"
#include "report/diag.h"

// An image without -b whose lowest address is this or more was most likely
// written with -b.
constexpr int32_t SUSPECT_ORIGIN = 0x100;

static const char *const CRYSTALS[CRYSTAL_CODES] = {"4 MHz", "8 MHz", "12 MHz", "16 MHz",
						    "20 MHz"};

image_facts facts_of(const image *img, const info_request *request)
{
	image_facts f;
	f.extent = static_cast<int32_t>(image_used_end(img->cells, IMAGE_CELLS));
	f.lenient = request->raw || request->fill != NO_FILL;
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
	f.boot = decode_boot_header(img->cells);
	f.length = decode_length_header(img->cells);
	f.start = request->length_header ? int32_t(LENGTH_HEADER_CELLS) : f.boot.start_cell;
	return f;
}

// "cells F to L", or "none" when the range is empty.
static void put_cells(report *r, const char *key, int64_t first, int64_t last)
{
	char text[64] = "none";
	if (last >= first)
		std::snprintf(text, sizeof text, "cells %" PRId64 " to %" PRId64, first, last);
	report_text(r, key, text);
}

static void put_boot_header(report *r, const image_facts *f)
{
	int code = f->boot.crystal_code;
	report_text(r, "crystal", code >= 0 && code < CRYSTAL_CODES ? CRYSTALS[code] : nullptr);
	report_text(r, "eeprom clock",
		    f->boot.fast_clock < 0 ? nullptr
		    : f->boot.fast_clock   ? "1 MHz and higher"
					   : "500 kHz");
	report_number(r, "start cell", f->boot.start_cell);
	report_number(r, "last block", f->boot.last_block);
	if (f->start < 0) {
		report_text(r, "expert data", nullptr);
		report_text(r, "program", nullptr);
		return;
	}
	put_cells(r, "expert data", BOOT_HEADER_CELLS, f->start - 1);
	put_cells(r, "program", f->start, f->last);
}

// The share in tenths of a per cent, rounded, in integers so that every
// platform prints the same.
static void put_used(report *r, const image_facts *f, int32_t program_size)
{
	int64_t used = f->last + 1;
	int64_t tenths = (used * 1000 + program_size / 2) / program_size;
	char text[96];
	std::snprintf(text, sizeof text, "%" PRId64 " of %" PRId32 " bytes (%" PRId64 ".%" PRId64 "%%)",
		      used, program_size, tenths / 10, tenths % 10);
	report_text(r, "used", text);
}

// The CRC-32 of the program memory as the EEPROM holds it, erased (FFh)
// where no byte is known.
static void put_crc32(report *r, const image *img, const info_request *request)
{
	int fill = request->fill == NO_FILL ? ERASED_BYTE : request->fill;
	uint32_t crc = image_crc32(img, static_cast<uint32_t>(request->program_size),
				   static_cast<uint8_t>(fill));
	char text[16];
	std::snprintf(text, sizeof text, "%08" PRIX32, crc);
	report_text(r, "crc32", text);
}

static void put_report(report *r, const image_facts *f, const image *img,
		       const info_request *request)
{
	report_text(r, "format", request->raw ? "raw binary" : "Intel HEX");
	report_text(r, "header", request->length_header ? "length" : "boot");
	if (request->length_header) {
		report_number(r, "length", f->length);
		put_cells(r, "program", LENGTH_HEADER_CELLS, f->last);
	} else {
		put_boot_header(r, f);
	}
	put_used(r, f, request->program_size);
	put_crc32(r, img, request);
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
	diag_error("The %s header needs bytes in cells 0 to %d, but %s %s none", header, n - 1,
		   list, count == 1 ? "holds" : "hold");
	return 1;
}

static int check_cell0(const image_facts *f)
{
	int failed = 0;
	if (f->boot.crystal_code >= CRYSTAL_CODES) {
		diag_error("Header cell 0 (%02Xh) holds crystal code %d, not 0 to 4", f->cell[0],
			   f->boot.crystal_code);
		failed = 1;
	}
	if (f->boot.reserved > 0) {
		diag_error("Header cell 0 (%02Xh) has bits 4 to 7 set, not 0", f->cell[0]);
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
		diag_error("Header cell 2 names block %d as the last in use, but the image ends in "
			   "block %d",
			   block, (f->extent - 1) >> 8);
	else
		diag_error("Header cell 2 names block %d as the last in use, but the last cell in "
			   "use, %d, lies in block %d",
			   block, f->last, used_block);
	return 1;
}

static int check_boot_header(const image_facts *f)
{
	int failed = check_header_cells(f, 3, "boot");
	failed |= check_cell0(f);
	if (f->start >= 0 && f->start < int32_t(BOOT_HEADER_CELLS)) {
		diag_error("Header cell 1 names start cell %d, inside the header (cells 0 to 2)",
			   f->start);
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
	int64_t length = f->length;
	if (length < 0)
		return failed;
	int64_t end = length + 1;
	char counted[64];
	describe_length(counted, sizeof counted, length);
	if (f->last > end) {
		diag_error("The length header counts %s, but cells up to %d are in use", counted,
			   f->last);
		failed = 1;
	}
	bool missing = f->lenient || end >= IMAGE_CELLS ? end >= f->extent
						       : img->cells[end] == EMPTY_CELL;
	if (missing) {
		diag_error("The length header counts %s, but cell %" PRId64 " %s", counted, end,
			   f->lenient ? "lies beyond the image" : "holds no byte");
		failed = 1;
	}
	return failed;
}

int check_image_origin(uint64_t lowest)
{
	if (lowest < SUSPECT_ORIGIN)
		return 0;
	diag_error("The image begins at address %" PRIX64 "h: give -b %" PRIX64
		   " if it was written there",
		   lowest, lowest);
	return 1;
}

// Some cell from the start cell on (cell 2 behind the length header) is in
// use: a header alone cannot be told from a chip that lost its program.
static int check_program(const image_facts *f)
{
	if (f->start < 0 || f->last >= f->start)
		return 0;
	diag_error("No cell from cell %d on is in use: the image holds no program", f->start);
	return 1;
}

static int check_image(const image_facts *f, const image *img, const info_request *request)
{
	int failed = 0;
	if (!request->raw && request->base == 0 && f->lowest >= 0)
		failed = check_image_origin(uint64_t(f->lowest));
	failed |= request->length_header ? check_length_header(f, img) : check_boot_header(f);
	failed |= check_program(f);
	if (f->last >= request->program_size) {
		diag_error("Cells up to %d are in use, beyond the program memory of %" PRId32
			   " %s; give -p the EEPROM's size",
			   f->last, request->program_size, request->program_size == 1 ? "byte" : "bytes");
		failed = 1;
	}
	return failed;
}

int report_image_info(report *r, const image *img, const info_request *request)
{
	image_facts f = facts_of(img, request);
	put_report(r, &f, img, request);
	// The report comes before the messages where both go to one terminal.
	if (!r->json)
		std::fflush(r->out);
	return check_image(&f, img, request);
}
