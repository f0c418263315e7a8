// Reading a file of a run into a window of cells, a byte outside the window reported in the run's words.
#include "modes/input_file.h"

#include <cinttypes>

#include "forms/forms.h"
#include "report/diag.h"

// A raw image is too long: by its whole length when the window measured
// it (the chip's size is known), else against the largest image.
static void report_length(const read_window *w, const read_result *r)
{
	if (w->measure)
		diag_error("'%s' holds %" PRIu64 " bytes, more than the EEPROM's %" PRIu32, w->name,
			   r->outside, w->size);
	else
		diag_error("'%s' is longer than %" PRIu32 " bytes, the largest image", w->name, w->size);
}

static void report_misfit(const read_window *w, const read_result *r, int misfit)
{
	if (r->outside > 0xFFFFFFFFu && r->outside_line > 0)
		diag_error("The record on line %" PRId64 " runs past address FFFFFFFFh", r->outside_line);
	else if (misfit == MISFIT_MEMORY)
		diag_error_unended("Hex file contents does not fit into available memory");
	else if (misfit == MISFIT_MEMORY_LINE)
		diag_error("Hex file contents does not fit into available memory");
	else if (r->outside_line == 0)
		report_length(w, r);
	else
		diag_error("Address %" PRIX64 "h on line %" PRId64 " lies outside the image, at %" PRIX64
			   "h to %" PRIX64 "h",
			   r->outside, r->outside_line, w->first, w->first + w->size - 1);
}

int read_input_file(FILE *stream, const read_window *w, int binary, int misfit, read_result *r,
	      int *form)
{
	int status = read_input(stream, w, binary, r, form);
	if (status == READ_DOES_NOT_FIT)
		report_misfit(w, r, misfit);
	return status;
}
