// The Intel HEX reader: Intel HEX records into a window of cells.
#ifndef TARNWICK_HEX_READER_H
#define TARNWICK_HEX_READER_H

#include "forms/line_reader.h"
#include "forms/reader.h"

// Reads the Intel HEX text that `in` reads into the window, as every
// reader does (read_window.h). Record types 00 (data), 01 (end of file,
// count 0), 02 and 04 (extended segment and linear address, count 2; the
// base they set applies to the data records behind them), 03 and 05
// (start addresses, nothing stored). The byte of address a, the base plus
// the record's offset plus its index, goes to cells[a - first], with no
// wrap at FFFFh. White space before a record is skipped; text behind the
// checksum is ignored unless it holds a second record (a colon). Lines end
// as the line reader says; a line of more than 999 characters is taken in
// pieces that count as lines of their own, and a Ctrl-Z at the start of a
// line ends the file. A malformed line is "Invalid Intel hex format on
// line N". The stream is read as bytes: open it in binary mode.
int read_hex(line_reader *in, const read_window *w, read_result *r);

#endif
