// The usage text (on stderr), the help text of --help and the version line (on stdout or stderr).
#ifndef TARNWICK_USAGE_H
#define TARNWICK_USAGE_H

#include <cstddef>
#include <cstdio>

// Writes the nine-line usage text, ending in an empty line, to stderr: after
// -h, a bad option or a wrong number of file names.
void print_usage();

// Writes the help text of --help to stdout: the forms of the command line,
// every option of the option table with its text, and where the manual
// page is.
void print_help();

// Writes "tarnwick version " and the executable's version text without
// its blanks, then a line feed, to stderr.
void print_version_banner();

// The same line, to the given stream.
void print_version_line(FILE *stream);

#endif
