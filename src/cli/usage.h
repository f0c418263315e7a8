// The usage text and the version banner, both written to stderr.
#ifndef TARNWICK_USAGE_H
#define TARNWICK_USAGE_H

#include <cstddef>

// Writes the nine-line usage text, ending in an empty line.
void print_usage();

// Writes "tarnwick version " and the executable's version text without
// its blanks, then a line feed.
void print_version_banner();

// Copies at most capacity - 2 characters of the version text and a NUL into
// buffer. Leaves buffer unchanged when no version text can be had.
void query_file_version(char *buffer, size_t capacity);

#endif
