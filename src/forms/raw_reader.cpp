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
	size_t n;
	uint64_t address = w->preloaded;
	read_result_init(r);
	if (address > 0) {
		image_mark(w->img, w->cell, w->preloaded);
		read_result_note(r, 0, address - 1);
	}
	if (line_reader_skip(in, w->preloaded) != 0)
		in->failed = 1;
	// The bytes go straight into their cells, not through the reader's
	// buffer: a chip's read-out is megabytes.
	while (address < w->size && !in->failed) {
		uint32_t cell = w->cell + uint32_t(address);
		n = line_reader_read(in, reinterpret_cast<char *>(w->img->bytes) + cell,
				     size_t(w->size - address));
		if (n == 0)
			break;
		image_mark(w->img, cell, uint32_t(n));
		read_result_note(r, address, address + n - 1);
		address += n;
	}
	if (address == w->size && line_reader_bytes(in, &n) != nullptr)
		return refuse_length(in, w, r, address);
	return read_end_status(in, w, READ_OK);
}
