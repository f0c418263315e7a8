// The raw binary writer: the image as the bytes of the EEPROM.
#ifndef TARNWICK_RAW_WRITER_H
#define TARNWICK_RAW_WRITER_H

#include <cstdio>

#include "forms/writer.h"

// Writes the output's cells (image_output.h) as bytes, one a cell as the
// chip holds it. out must be open in binary mode. Returns WRITE_OK.
int write_raw(FILE *out, const image_output *o);

#endif
