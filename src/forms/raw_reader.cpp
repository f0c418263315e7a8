// Reading raw bytes, an EEPROM read out, into a window of cells.
#include "forms/raw_reader.h"

#include <cstring>

// A file longer than the window, read on to its end with measure.
static int refuse_length(line_reader *in, const read_window *w, read_result *r, uint64_t length)
{
	const char *bytes;
	size_t n;
	for (; w->measure && (bytes = line_reader_bytes(in, &n)) != nullptr; length += n)
		line_reader_advance(in, n);
	if (read_end_status(in, w, READ_OK) != READ_OK)
		return READ_ERROR;
	window_misfit(w, r, 0, length);
	return READ_DOES_NOT_FIT;
}

int read_raw(line_reader *in, const read_window *w, read_result *r)
{
	const char *bytes;
	size_t n;
	uint64_t address = 0;
	read_result_init(r);
	while ((bytes = line_reader_bytes(in, &n)) != nullptr) {
		if (n > w->size - address)
			return refuse_length(in, w, r, address);
		uint32_t cell = w->cell + uint32_t(address);
		std::memcpy(w->img->bytes + cell, bytes, n);
		image_mark(w->img, cell, uint32_t(n));
		read_result_note(r, address, address + n - 1);
		address += n;
		line_reader_advance(in, n);
	}
	return read_end_status(in, w, READ_OK);
}
