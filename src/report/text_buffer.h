// Text that grows in memory as it is appended to, for a line that is written in one piece.
#ifndef TARNWICK_TEXT_BUFFER_H
#define TARNWICK_TEXT_BUFFER_H

#include <cstddef>

// The text so far (null before the first append), its length and room,
// and whether memory for it ran out, after which appends are dropped.
// Start it as {} and free text with std::free.
struct text_buffer {
	char *text;
	size_t used;
	size_t capacity;
	int failed;
};

// Appends n characters of s, with a NUL behind them.
void text_append(text_buffer *t, const char *s, size_t n);

// Appends a short printf-formatted text, of fewer than 64 characters.
void text_format(text_buffer *t, const char *format, ...)
#if defined(__GNUC__) || defined(__clang__)
	__attribute__((format(printf, 2, 3)))
#endif
	;

#endif
