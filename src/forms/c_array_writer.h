// The C array writer: the image as the initialiser of a C byte array.
#ifndef TARNWICK_C_ARRAY_WRITER_H
#define TARNWICK_C_ARRAY_WRITER_H

#include <cstdio>

#include "forms/writer.h"

// Writes the output's cells (image_output.h), count of them, as
//   flash unsigned char NAME[count]=
//   {
//   0x0b, 0x03, ... 16 entries a line, ", " after every entry but the last
//   };
// with each cell as the chip holds it, in lower-case digits. The name is
// written as it is, never used as a format. Returns WRITE_OK.
int write_c_array(FILE *out, const image_output *o);

#endif
