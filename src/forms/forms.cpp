// The table of file forms: each form's name, how a file in it is told, its reader and its writer.
#include "forms/forms.h"

#include <cstring>

#include "forms/c_array_writer.h"
#include "forms/hex_reader.h"
#include "forms/hex_writer.h"
#include "forms/raw_reader.h"
#include "forms/record_writer.h"
#include "forms/raw_writer.h"
#include "forms/srec_reader.h"
#include "forms/srec_writer.h"
#include "image/table_rows.h"
#include "report/diag.h"

constexpr form_row FORMS[] = {
	{FORM_INTEL_HEX, "Intel HEX", "", 1, nullptr, read_hex, write_hex, "wt"},
	{FORM_SREC, "S-record", "--srec", 1, "Ss", read_srec, write_srec, "wt"},
	{FORM_C_ARRAY, "C array", "-a", 0, nullptr, nullptr, write_c_array, "wt"},
	{FORM_RAW, "raw binary", "--binary", 0, nullptr, read_raw, write_raw, "wb"},
};
static_assert(rows_in_order(FORMS, FORM_COUNT), "one row for each form, in the order of FORM_");

int form_of_option(const char *option)
{
	for (const form_row &f : FORMS)
		if (f.option[0] != '\0' && f.option[1] == option[1] && std::strcmp(f.option, option) == 0)
			return f.id;
	return -1;
}

bool output_fits(int form, const image_output *o)
{
	return !FORMS[form].records || last_output_address(o) <= 0xFFFFFFFF;
}

// The one place where a file's form is told.
static int form_of(line_reader *in, int binary)
{
	if (binary)
		return FORM_RAW;
	int first = line_reader_first_byte(in);
	for (int form = 0; form < FORM_COUNT; form++)
		if (FORMS[form].first_bytes != nullptr && first > 0 &&
		    std::strchr(FORMS[form].first_bytes, first) != nullptr)
			return form;
	return FORM_INTEL_HEX;
}

int read_input(FILE *stream, const read_window *w, int binary, read_result *r, int *form)
{
	line_reader in;
	line_reader_init(&in, stream);
	*form = form_of(&in, binary);
	int status = FORMS[*form].read(&in, w, r);
	if (status == READ_OK && r->lowest == NO_ADDRESS) {
		diag_error("No data in '%s'", w->name);
		return READ_NO_DATA;
	}
	return status;
}

int probe_lowest_address(FILE *stream, int form, uint64_t *lowest)
{
	line_reader in;
	read_window probe = {nullptr, 0, 0, 0, 0, 1, 0, "", 0};
	read_result r;
	if (!FORMS[form].records || std::fseek(stream, 0, SEEK_SET) != 0)
		return 1;
	line_reader_init(&in, stream);
	FORMS[form].read(&in, &probe, &r);
	*lowest = r.lowest;
	return r.lowest == NO_ADDRESS ? 1 : 0;
}
