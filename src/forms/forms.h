// The table of file forms: each form's name, how a file in it is told, its reader and its writer.
#ifndef TARNWICK_FORMS_H
#define TARNWICK_FORMS_H

#include <cstdint>
#include <cstdio>

#include "forms/writer.h"
#include "forms/reader.h"

// The forms of a file, FORMS[] in this order.
enum { FORM_INTEL_HEX = 0, FORM_SREC, FORM_C_ARRAY, FORM_RAW, FORM_COUNT };

// One form: its FORM_ value, its name in a report, the option that makes a
// conversion write it ("" for Intel HEX, which it writes without one),
// whether its files are records at addresses (which a base address moves),
// the characters that a file of it begins with behind white space (null:
// not told by them), its reader (null: never read), its writer, and the
// fopen mode its output is opened with.
struct form_row {
	int id;
	const char *name;
	const char *option;
	int records;
	const char *first_bytes;
	file_reader read;
	image_writer write;
	const char *open_mode;
};

extern const form_row FORMS[FORM_COUNT];

// The form that option ("--srec", "-a") asks a conversion to write, or -1.
int form_of_option(const char *option);

// Whether the writer of the form can write the output: every output
// address of records at most FFFFFFFFh.
bool output_fits(int form, const image_output *o);

// Reads stream (open in binary mode) into the window in its form: raw
// bytes with binary, else the text form whose first bytes the first byte
// that is not white space is one of, else Intel HEX; *form is the form it
// was read in. The reader reports what fails, but a byte outside the
// window; a file that stores no byte is "No data in 'name'". Returns
// READ_OK, the reader's failure, or READ_NO_DATA.
int read_input(FILE *stream, const read_window *w, int binary, read_result *r, int *form);

// Reads the text records of stream again from its start, in the given
// form, storing nothing, up to the first malformed one; *lowest becomes the
// lowest address of a data byte. Prints nothing. Returns 0, or 1 when the
// stream cannot be read again or holds no data byte up to there.
int probe_lowest_address(FILE *stream, int form, uint64_t *lowest);

#endif
