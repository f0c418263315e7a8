// What every reader of a file is given (a window of cells) and what it gives back.
#include "forms/reader.h"

#include <cinttypes>

#include "report/diag.h"

void read_result_init(read_result *r)
{
	r->lowest = NO_ADDRESS;
	r->highest = 0;
	r->outside = 0;
	r->outside_line = 0;
}

int window_misfit(const read_window *w, read_result *r, int64_t line_number, uint64_t address)
{
	if (w->probe) {
		if (address < r->lowest)
			r->lowest = address;
		return 0;
	}
	r->outside = address;
	r->outside_line = line_number;
	return 1;
}

int window_checksum_error(const read_window *w, int64_t line_number)
{
	if (w->probe || w->verify_checksums != 1)
		return READ_OK;
	diag_error("Checksum error on line %" PRId64, line_number);
	return READ_CHECKSUM_ERROR;
}

int read_end_status(const line_reader *in, const read_window *w, int status)
{
	if (!in->failed)
		return status;
	if (!w->probe)
		diag_error("Can't read '%s'", w->name);
	return READ_ERROR;
}
