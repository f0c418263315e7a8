// Whether a file name and an open stream refer to the same file.
#ifndef TARNWICK_FILE_IDENTITY_H
#define TARNWICK_FILE_IDENTITY_H

#include <cstdio>

// Returns 1 when the file that name refers to exists and is the file that
// stream has open (by identity, so hard and symbolic links count), else 0.
// A null stream gives 0.
int is_same_file(const char *name, FILE *stream);

#endif
