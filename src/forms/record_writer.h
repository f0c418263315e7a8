// The record emitter: text records of any form, gathered and handed to stdio, and the runs of cells they hold.
#ifndef TARNWICK_RECORD_WRITER_H
#define TARNWICK_RECORD_WRITER_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "forms/writer.h"

// Longest record line of any form: a type of two characters, a count,
// four address bytes, 255 data bytes, a checksum and a line feed.
constexpr size_t RECORD_LINE_MAX = 2 + 2 + 8 + 2 * 255 + 2 + 1;

// Size of the text buffer that the emitter fills before handing it to stdio.
constexpr size_t RECORD_BUFFER_SIZE = 32 * 1024;

// Record lines gathered for one stream.
struct record_output {
	FILE *out;
	size_t used;
	char text[RECORD_BUFFER_SIZE];
};

// Starts gathering records for out.
void record_begin(record_output *o, FILE *out);

// Hands what is gathered to stdio.
void record_end(record_output *o);

// Where the next record line goes, with room for RECORD_LINE_MAX
// characters; record_done(o, p) then takes the line that ends before p.
char *record_space(record_output *o);
inline void record_done(record_output *o, char *p)
{
	o->used = static_cast<size_t>(p - o->text);
}

// Writes the two upper-case hexadecimal digits of the low byte of byte.
char *put_hex_byte(char *p, uint32_t byte);

// Writes the digits of n data bytes and returns their sum. Inlined where it
// is called with the constant 16, where the loop unrolls.
uint32_t put_hex_bytes(char **p, const uint8_t *data, uint32_t n);

// Writes one record of a form: put(state, o, address, data, n).
typedef void (*record_put)(void *state, record_output *o, uint64_t address, const uint8_t *data,
			   uint32_t n);

// Calls put for each record of the output's cells: each run of cells that
// hold a byte (with filled, of every cell) as records of record_bytes bytes
// counted from the start of the run, the last one holding the rest; a gap,
// and a multiple of boundary in the output address (0: none), ends a run.
void put_record_runs(record_output *o, const image_output *io, uint32_t record_bytes,
		     uint64_t boundary, record_put put, void *state);

// The output address of the last cell that the output writes, or -1 when
// it writes none.
int64_t last_output_address(const image_output *io);

#endif
