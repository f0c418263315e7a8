// Reading raw bytes, an EEPROM read out, into a window of cells.
#include "image/raw_read.h"


int read_raw(line_reader *in, const read_window *w, read_result *r)
{
	const char *bytes;
	size_t n;
	uint64_t address = 0;
	read_result_init(r);
	while ((bytes = line_reader_window(in, &n)) != nullptr) {
		for (size_t k = 0; k < n; k++, address++) {
			int64_t cell = int64_t(address) - int64_t(w->first);
			if (cell < 0 || cell >= int64_t(w->size)) {
				window_misfit(w, r, 0, address);
				return READ_DOES_NOT_FIT;
			}
			w->cells[cell] = static_cast<unsigned char>(bytes[k]);
		}
		if (n > 0)
			read_result_note(r, address - n, address - 1);
		line_reader_advance(in, n);
	}
	return read_end_status(in, w, READ_OK);
}
