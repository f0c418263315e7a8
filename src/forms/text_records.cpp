// What the readers of text records share: byte fields, data into the window, the line loop.
#include "forms/text_records.h"

#include <cinttypes>
#include <cstring>

#include "report/diag.h"

bool record_may_begin(const char *line, const char *p, int continued)
{
	return !continued || std::memchr(line, '\r', static_cast<size_t>(p - line)) == nullptr;
}

bool skip_bytes(text_record *rec, uint32_t count)
{
	uint32_t byte;
	for (uint32_t i = 0; i < count; i++)
		if (!read_byte(rec, &byte))
			return false;
	return true;
}

// The bytes one at a time, up to the first that is malformed, missing or
// outside.
int store_data_checked(text_record *rec, const read_window *w, read_result *r, uint64_t address,
		       uint32_t count, uint64_t *outside)
{
	int64_t first = int64_t(address) - int64_t(w->first);
	for (uint32_t i = 0; i < count; i++) {
		uint32_t byte;
		if (!read_byte(rec, &byte))
			return READ_BAD_FORMAT;
		int64_t cell = first + i;
		if (cell < 0 || cell >= int64_t(w->size)) {
			uint64_t last = address + count - 1;
			*outside = last > 0xFFFFFFFFu && !w->probe ? last : address + i;
			return READ_DOES_NOT_FIT;
		}
		image_put(w->img, w->cell + uint32_t(cell), uint8_t(byte));
		read_result_note(r, address + i, address + i);
	}
	return READ_OK;
}

void report_bad_line(const read_window *w, int result, int64_t line_number, const char *form)
{
	if (!w->probe && result == READ_BAD_FORMAT)
		diag_error("Invalid %s format on line %" PRId64, form, line_number);
}
