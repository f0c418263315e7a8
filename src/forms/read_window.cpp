// What every reader of a file is given (a window of cells) and what it gives back.
#include "forms/read_window.h"

#include <cinttypes>

#include "report/diag.h"

void read_result_init(read_result *r)
{
	r->lowest = NO_ADDRESS;
	r->highest = 0;
}

// A byte outside the window of an image, named by its address; a file
// without lines is too long.
static void report_outside(const read_window *w, int64_t line_number, uint64_t address)
{
	if (line_number == 0)
		diag_error("'%s' is longer than %" PRIu32 " bytes, the largest image", w->name, w->size);
	else if (address > 0xFFFFFFFFu)
		diag_error("The record on line %" PRId64 " runs past address FFFFFFFFh", line_number);
	else
		diag_error("Address %" PRIX64 "h on line %" PRId64 " lies outside the image, at %" PRIX64
			   "h to %" PRIX64 "h",
			   address, line_number, w->first, w->first + w->size - 1);
}

int window_misfit(const read_window *w, read_result *r, int64_t line_number, uint64_t address)
{
	if (w->probe) {
		if (address < r->lowest)
			r->lowest = address;
		return 0;
	}
	if (w->misfit == MISFIT_ADDRESS)
		report_outside(w, line_number, address);
	else if (w->misfit == MISFIT_MEMORY_LINE)
		diag_error("Hex file contents does not fit into available memory");
	else
		diag_error_unended("Hex file contents does not fit into available memory");
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
