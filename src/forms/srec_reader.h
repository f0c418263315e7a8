// The S-record reader: Motorola S-records into a window of cells.
#ifndef TARNWICK_SREC_READER_H
#define TARNWICK_SREC_READER_H

#include "forms/line_reader.h"
#include "forms/reader.h"

// Reads the S-record text that `in` reads into the window, as every reader
// does (read_window.h). A record is S (or s), the type digit, the byte
// count (the bytes that follow: address, data, checksum), the address of 4
// digits (types 0, 1, 5, 9), 6 (2, 6, 8) or 8 (3, 7), the data and the
// checksum, the ones' complement of the low byte of the sum of the count,
// address and data bytes; blanks and tabs may follow it, nothing else.
// S0 is a header, whose bytes are not stored; S1, S2 and S3 hold data, byte
// i at address + i with no wrap; S5 and S6 count the data records since the
// start or the last S7, S8 or S9 (the low 16 or 24 bits of the count), and
// one that disagrees ends the read with "Record count on line N says M,
// but K data records come before it"; S7, S8 and S9 end a block of data,
// and lines behind them are read on. White space before a record, line
// ends, pieces of long lines and Ctrl-Z are as for Intel HEX; a malformed
// line is "Invalid S-record format on line N". The stream is read as
// bytes: open it in binary mode.
int read_srec(line_reader *in, const read_window *w, read_result *r);

#endif
