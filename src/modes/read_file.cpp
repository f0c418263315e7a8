// Reading a file into a window of cells, in the form it is in.
#include "modes/read_file.h"

#include "forms/hex_read.h"
#include "forms/srec_read.h"
#include "forms/raw_read.h"
#include "report/diag.h"

// The reader of each form, by INPUT_ number.
static const file_reader READERS[] = {read_hex, read_srec, read_raw};

// The one place where a file's form is told.
static int form_of(line_reader *in, int binary)
{
	if (binary)
		return INPUT_RAW;
	int first = line_reader_first_byte(in);
	return first == 'S' || first == 's' ? INPUT_SREC : INPUT_INTEL_HEX;
}

int read_input(FILE *stream, const read_window *w, int binary, read_result *r, int *form)
{
	line_reader in;
	line_reader_init(&in, stream);
	*form = form_of(&in, binary);
	int status = READERS[*form](&in, w, r);
	if (status == READ_OK && r->lowest == NO_ADDRESS) {
		diag_error("No data in '%s'", w->name);
		return READ_NO_DATA;
	}
	return status;
}

int probe_lowest_address(FILE *stream, int form, uint64_t *lowest)
{
	line_reader in;
	read_window probe = {nullptr, 0, 0, 0, 0, MISFIT_ADDRESS, 1, "", nullptr, nullptr};
	read_result r;
	if (form == INPUT_RAW || std::fseek(stream, 0, SEEK_SET) != 0)
		return 1;
	line_reader_init(&in, stream);
	READERS[form](&in, &probe, &r);
	*lowest = r.lowest;
	return r.lowest == NO_ADDRESS ? 1 : 0;
}
