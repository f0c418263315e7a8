// Reading raw bytes, an EEPROM read out, into a window of cells.
#ifndef TARNWICK_RAW_READER_H
#define TARNWICK_RAW_READER_H

#include "forms/line_reader.h"
#include "forms/reader.h"

// Reads the bytes that `in` reads into the window, as every reader does
// (read_window.h): byte i of the file has address i, the window's first is
// 0. A file longer than the window ends the read with READ_DOES_NOT_FIT,
// the result's outside_line 0 and its outside the bytes read (with the
// window's measure, the file's whole length); the cells behind the last
// byte stay as they are. The stream must be open in binary mode.
int read_raw(line_reader *in, const read_window *w, read_result *r);

#endif
