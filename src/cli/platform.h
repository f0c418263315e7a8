// What differs between the platforms: files, standard streams, arguments.
#ifndef TARNWICK_PLATFORM_H
#define TARNWICK_PLATFORM_H

#include <cstdio>

// Opens each of the standard descriptors 0, 1 and 2 that is closed on the
// null device, so that no file the run opens lands on one of them. Call it
// before anything else. Returns the descriptors it opened, bit fd for fd.
int open_closed_standard_descriptors();

// Makes a write to a pipe without a reader, or past the file size limit, a
// failed write instead of a signal that ends the process.
void ignore_write_signals();

// The command-line arguments as UTF-8 text: argv itself where the platform
// hands them over as bytes, the arguments converted from the wide-character
// command line on Windows. *argc is set to their number.
char **utf8_arguments(int *argc, char **argv);

// fopen for a file name in UTF-8, with a mode such as "rb" or "wt".
FILE *open_file(const char *name, const char *mode);

// Returns 1 when stream has a directory open, else 0.
int is_directory(FILE *stream);

// Returns 1 when the file that name refers to exists and is the file that
// stream has open (by identity, so hard and symbolic links count), else 0.
// A null stream gives 0.
int is_same_file(const char *name, FILE *stream);

// Closes an output stream and returns 0, or non-zero when the last writes
// or the close failed. When keep is 0, or closing failed, an output that is
// a regular file is left empty, so that no half-written image stays behind.
int close_output(FILE *stream, int keep);

#endif
