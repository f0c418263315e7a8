// The Intel HEX writer: image cells as data records and an end record.
#ifndef TARNWICK_HEX_WRITER_H
#define TARNWICK_HEX_WRITER_H

#include <cstdio>

#include "forms/writer.h"

// Writes the output's cells (image_output.h) as data records of up to 16
// bytes, each run of cells counted from its start, a run ending at a 64 KiB
// boundary of the output address as well; before the first record of a 64
// KiB segment other than the first, an extended linear address record (04)
// gives the upper 16 bits; then ":00000001FF". Upper-case digits, a line
// feed behind each record. Returns WRITE_PAST_ADDRESSES, writing nothing,
// when an output address would pass FFFFFFFFh.
int write_hex(FILE *out, const image_output *o);

#endif
