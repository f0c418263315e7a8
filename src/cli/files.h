// Opening and closing the files of a run, each failure reported by the file's name.
#ifndef TARNWICK_FILES_H
#define TARNWICK_FILES_H

#include <cstdio>

// Opens a file with fopen's mode; on failure reports "Can't open" with its
// name and returns null. A directory cannot be read or written as a file:
// it is refused the same way.
FILE *open_reported(const char *name, const char *mode);

// Returns 1 after reporting that the file named output is one of the open
// streams a and b (either may be null), so that it must not be opened for
// writing; else 0.
int refuse_input_as_output(const char *output, FILE *a, FILE *b);

// Closes an output stream and returns status, or 1 after reporting "Can't
// write" when a run that has succeeded so far could not write it
// completely. After any failure the output is left empty.
int close_reported(FILE *out, const char *name, int status);

// Closes a stream that was opened for reading, if any.
void close_input(FILE *stream);

#endif
