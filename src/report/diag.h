// The error sink: every "ERROR: " line of a run goes through it and may be kept.
#ifndef TARNWICK_DIAG_H
#define TARNWICK_DIAG_H

#include <cstdint>

// Lets the compiler check the arguments against the format.
#if defined(__GNUC__) || defined(__clang__)
#define DIAG_PRINTF_FORMAT __attribute__((format(printf, 1, 2)))
#else
#define DIAG_PRINTF_FORMAT
#endif

// Starts a run: forgets the lines kept so far; with keep non-zero, the lines
// that follow are also kept (for a JSON report's "errors").
void diag_reset(int keep);

// Writes "ERROR: ", the printf-formatted text and a line feed to stderr, as
// one write, and keeps the text (without "ERROR: " and the line feed) when
// keeping. The text may be of any length.
void diag_error(const char *format, ...) DIAG_PRINTF_FORMAT;

// The same without the line feed (one message of the loader has none).
void diag_error_unended(const char *format, ...) DIAG_PRINTF_FORMAT;

// "byte" for a count of 1, else "bytes"; and for any noun, its form for
// the count: one when it is 1, else more.
const char *bytes_word(uint64_t count);
const char *count_word(uint64_t count, const char *one, const char *more);

// Number of lines kept since diag_reset, and the text of one of them, for
// index 0 to diag_count() - 1 (null for any other index); the text stays
// valid until the next diag_error, diag_reset or diag_release. When memory
// ran out, the lines from then on are not kept, and the last line, counted
// in diag_count, says how many: "N more errors were not kept: out of memory".
int diag_count();
const char *diag_line(int index);

// Frees what the sink holds and stops keeping; diag_reset may follow.
void diag_release();

#endif
