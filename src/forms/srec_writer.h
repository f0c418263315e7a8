// The S-record writer: image cells as S1, S2 or S3 records between a header and a count.
#ifndef TARNWICK_SREC_WRITER_H
#define TARNWICK_SREC_WRITER_H

#include <cstdio>

#include "forms/writer.h"

// Writes the output's cells (image_output.h) as S-records: S0 with address
// 0000 and no data; data records of up to 16 bytes, each run of cells
// counted from its start, all of one type: S1 when every output address is
// at most FFFFh, S2 up to FFFFFFh, S3 beyond; S5 with the number of data
// records (S6 when it is above FFFFh); then S9, S8 or S7, as the data
// records' type, with address 0. Upper-case digits, a line feed behind each
// record. Returns WRITE_PAST_ADDRESSES, writing nothing, when an output
// address would pass FFFFFFFFh.
int write_srec(FILE *out, const image_output *o);

#endif
