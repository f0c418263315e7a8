// Reading raw bytes, an EEPROM read out, into a window of cells.
#include "forms/raw_read.h"


#include <algorithm>
#include <cinttypes>

#include "report/diag.h"

// A file longer than the window: by its whole length for MISFIT_CHIP,
// which reads on to its end.
static int refuse_length(line_reader *in, const read_window *w, read_result *r, uint64_t length)
{
	const char *bytes;
	size_t n;
	if (w->misfit != MISFIT_CHIP) {
		window_misfit(w, r, 0, length);
		return READ_DOES_NOT_FIT;
	}
	for (; (bytes = line_reader_window(in, &n)) != nullptr; length += n)
		line_reader_advance(in, n);
	if (read_end_status(in, w, READ_OK) != READ_OK)
		return READ_ERROR;
	diag_error("'%s' holds %" PRIu64 " bytes, more than the EEPROM's %" PRIu32, w->name, length,
		   w->size);
	return READ_DOES_NOT_FIT;
}

int read_raw(line_reader *in, const read_window *w, read_result *r)
{
	const char *bytes;
	size_t n;
	uint64_t address = 0;
	read_result_init(r);
	while ((bytes = line_reader_window(in, &n)) != nullptr) {
		if (n > w->size - address)
			return refuse_length(in, w, r, address);
		size_t kept = address < w->held ? std::min(n, size_t(w->held - address)) : 0;
		for (size_t k = 0; k < kept; k++)
			w->cells[address + k] = static_cast<unsigned char>(bytes[k]);
		for (size_t k = kept; k < n; k++)
			w->beyond(w->beyond_state, uint32_t(address + k), static_cast<uint8_t>(bytes[k]));
		read_result_note(r, address, address + n - 1);
		address += n;
		line_reader_advance(in, n);
	}
	return read_end_status(in, w, READ_OK);
}
