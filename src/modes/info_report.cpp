// The report on an image read back: its facts as report keys, a message for each finding.
#include "modes/info_report.h"

#include <cinttypes>

#include "forms/forms.h"
#include "modes/patch_checks.h"
#include "report/diag.h"

// "cells F to L", or "none" when the range is empty.
static void put_cells(report *r, const char *key, int64_t first, int64_t last)
{
	char text[64] = "none";
	if (last >= first)
		std::snprintf(text, sizeof text, "cells %" PRId64 " to %" PRId64, first, last);
	report_text(r, key, text);
}

static void put_crystal(report *r, int code)
{
	char text[16];
	int mhz = crystal_mhz(code);
	std::snprintf(text, sizeof text, "%d MHz", mhz);
	report_text(r, "crystal", mhz > 0 ? text : nullptr);
}

static void put_boot_header(report *r, const image_facts *f)
{
	put_crystal(r, f->boot.crystal_code);
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
static void put_used(report *r, const image_facts *f, int64_t program_size)
{
	int64_t used = f->last + 1;
	int64_t tenths = (used * 1000 + program_size / 2) / program_size;
	char text[96];
	std::snprintf(text, sizeof text, "%" PRId64 " of %" PRId64 " bytes (%" PRId64 ".%" PRId64 "%%)",
		      used, program_size, tenths / 10, tenths % 10);
	report_text(r, "used", text);
}

static void put_facts(report *r, int form, const image_facts *f, const info_request *request)
{
	char crc[16];
	report_text(r, "format", FORMS[form].name);
	report_text(r, "header", request->length_header ? "length" : "boot");
	if (request->length_header) {
		report_number(r, "length", f->length);
		put_cells(r, "program", LENGTH_HEADER_CELLS, f->last);
	} else {
		put_boot_header(r, f);
	}
	put_used(r, f, request->plan->program_size);
	std::snprintf(crc, sizeof crc, "%08" PRIX32, f->crc32);
	report_text(r, "crc32", crc);
}

board_finding put_serial(report *r, const char *key, const image *img, int64_t start,
			 const serial_spec *serial)
{
	uint64_t number;
	// A program whose start the header does not tell has no serial number
	// to read; the header's finding says why.
	board_finding f = {BOARD_OK, 0, 0, 0, 0};
	if (start >= 0)
		f = read_serial(img, uint32_t(start), serial, &number);
	if (start >= 0 && f.kind == BOARD_OK)
		report_unsigned(r, key, number);
	else
		report_text(r, key, nullptr);
	return f;
}

void report_map(report *r, const image *img, const chip_plan *plan, const uint64_t *differing)
{
	uint32_t blocks = map_blocks(img, plan, differing);
	uint32_t rows = (blocks + MAP_ROW_BLOCKS - 1) / MAP_ROW_BLOCKS;
	int width = map_label_digits((rows - 1) * MAP_ROW_BLOCKS * MAP_BLOCK_CELLS);
	char legend[96];
	std::snprintf(legend, sizeof legend, "%u-byte blocks; # all in use, + some, . none, ! beyond -p%s",
		      unsigned(MAP_BLOCK_CELLS), differing != nullptr ? ", X differs" : "");
	report_list_begin(r, "map", legend);
	for (uint32_t row = 0; row < rows; row++) {
		char text[16 + MAP_ROW_BLOCKS];
		uint32_t first = row * MAP_ROW_BLOCKS;
		int n = std::snprintf(text, sizeof text, "%0*" PRIX32 " ", width, first * MAP_BLOCK_CELLS);
		for (uint32_t block = first; block < blocks && block < first + MAP_ROW_BLOCKS; block++)
			text[n++] = map_block(img, plan, differing, block);
		text[n] = '\0';
		report_list_item(r, text);
	}
	report_list_end(r);
}

int report_image(report *r, int form, const image *img, const info_request *request, int with_map,
		 image_facts *f)
{
	image_findings found;
	*f = facts_of(img, request);
	put_facts(r, form, f, request);
	board_finding serial = {BOARD_OK, 0, 0, 0, 0};
	if (request->serial != nullptr)
		serial = put_serial(r, "serial", img, f->start, request->serial);
	if (with_map)
		report_map(r, img, request->plan, nullptr);
	// The report comes before the messages where both go to one terminal.
	if (!r->json)
		std::fflush(r->out);
	check_image(f, img, request, &found);
	int failed = report_findings(&found);
	if (serial.kind != BOARD_OK)
		report_board_finding(&serial, request->serial);
	return failed || serial.kind != BOARD_OK;
}

// The header cells that hold no byte, as one phrase: "cell 1 holds", "cells
// 1 and 2 hold", "cells 0, 1 and 2 hold".
static void describe_missing(char *text, size_t size, int missing)
{
	int cells[BOOT_HEADER_CELLS], count = 0;
	for (int i = 0; i < int(BOOT_HEADER_CELLS); i++)
		if (missing & (1 << i))
			cells[count++] = i;
	int n = std::snprintf(text, size, "%s %d", count == 1 ? "cell" : "cells", cells[0]);
	for (int k = 1; k < count; k++)
		n += std::snprintf(text + n, size - size_t(n), "%s%d", k == count - 1 ? " and " : ", ",
				   cells[k]);
	std::snprintf(text + n, size - size_t(n), " %s", count == 1 ? "holds" : "hold");
}

// "N bytes, in cells 2 to E" for the cells that a length counts, in words
// that fit 1 and 0.
static void describe_length(char *text, size_t size, int64_t length)
{
	if (length == 0)
		std::snprintf(text, size, "0 bytes");
	else if (length == 1)
		std::snprintf(text, size, "1 byte, in cell %u", unsigned(LENGTH_HEADER_CELLS));
	else
		std::snprintf(text, size, "%" PRId64 " bytes, in cells %u to %" PRId64, length,
			      unsigned(LENGTH_HEADER_CELLS), length + LENGTH_HEADER_CELLS - 1);
}

static void report_header_finding(const finding *g)
{
	const int64_t *v = g->value;
	char text[64];
	switch (g->kind) {
	case FOUND_HEADER_CELLS:
		describe_missing(text, sizeof text, int(v[1]));
		diag_error("The %s header needs bytes in cells 0 to %" PRId64 ", but %s none",
			   v[0] == BOOT_HEADER_CELLS ? "boot" : "length", v[0] - 1, text);
		break;
	case FOUND_CRYSTAL_CODE:
		diag_error("Header cell 0 (%02" PRIX64 "h) holds crystal code %" PRId64 ", not 0 to 4",
			   v[0], v[1]);
		break;
	case FOUND_RESERVED_BITS:
		diag_error("Header cell 0 (%02" PRIX64 "h) has bits 4 to 7 set, not 0", v[0]);
		break;
	case FOUND_START_IN_HEADER:
		diag_error("Header cell 1 names start cell %" PRId64 ", inside the header (cells 0 to %u)",
			   v[0], unsigned(BOOT_HEADER_CELLS - 1));
		break;
	case FOUND_BLOCK_BEYOND_IMAGE:
		diag_error("Header cell 2 names block %" PRId64 " as the last in use, but the image ends "
			   "in block %" PRId64, v[0], v[1]);
		break;
	case FOUND_BLOCK_NOT_LAST:
		diag_error("Header cell 2 names block %" PRId64 " as the last in use, but the last cell "
			   "in use, %" PRId64 ", lies in block %" PRId64, v[0], v[1], v[2]);
		break;
	case FOUND_LENGTH_SHORT:
		describe_length(text, sizeof text, v[0]);
		diag_error("The length header counts %s, but cells up to %" PRId64 " are in use", text,
			   v[1]);
		break;
	case FOUND_LENGTH_LONG:
		describe_length(text, sizeof text, v[0]);
		diag_error("The length header counts %s, but cell %" PRId64 " %s", text, v[1],
			   v[2] ? "lies beyond the image" : "holds no byte");
		break;
	}
}

static void report_finding(const finding *g)
{
	const int64_t *v = g->value;
	switch (g->kind) {
	case FOUND_ORIGIN:
		diag_error("The image begins at address %" PRIX64 "h: give -b %" PRIX64
			   " if it was written there", v[0], v[0]);
		break;
	case FOUND_NO_PROGRAM:
		diag_error("No cell from cell %" PRId64 " on is in use: the image holds no program", v[0]);
		break;
	case FOUND_BEYOND_PROGRAM_SIZE:
		diag_error("Cells up to %" PRId64 " are in use, beyond the program memory of %" PRId64
			   " %s; give -p the program memory size the image was written for", v[0], v[1],
			   bytes_word(uint64_t(v[1])));
		break;
	case FOUND_EXPERT_END_EMPTY:
		diag_error("Cell %" PRId64 ", the last of the expert-mode data, holds no byte: no "
			   "conversion lays out this image", v[0]);
		break;
	case FOUND_PROGRAM_IN_LAST_CELL:
		diag_error("The program ends in cell %" PRId64 ", the last of the program memory, which "
			   "a conversion leaves unused behind the length header", v[0]);
		break;
	case FOUND_FILLED_GAP:
		diag_error("Cell %" PRId64 " holds no byte, but an image written with --fill holds one "
			   "in every cell of the %s", v[0], v[1] ? "EEPROM" : "program memory");
		break;
	case FOUND_FILLED_BEYOND:
		diag_error("Cells beyond the program memory of %" PRId64 " %s hold bytes, which an "
			   "image written with --fill does not", v[0], bytes_word(uint64_t(v[0])));
		break;
	default:
		report_header_finding(g);
	}
}

int report_findings(const image_findings *found)
{
	for (int i = 0; i < found->count; i++)
		report_finding(&found->list[i]);
	return found->count > 0 ? 1 : 0;
}
