// Text that grows in memory as it is appended to, for a line that is written in one piece.
#include "report/text_buffer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/memory.h"

void text_append(text_buffer *t, const char *s, size_t n)
{
	if (t->failed)
		return;
	if (t->capacity - t->used < n + 1) {
		size_t capacity = 2 * (t->used + n + 1);
		char *grown = static_cast<char *>(run_realloc(t->text, capacity));
		if (grown == nullptr) {
			t->failed = 1;
			return;
		}
		t->text = grown;
		t->capacity = capacity;
	}
	std::memcpy(t->text + t->used, s, n);
	t->used += n;
	t->text[t->used] = '\0';
}

void text_format(text_buffer *t, const char *format, ...)
{
	char piece[64];
	va_list args;
	va_start(args, format);
	int n = std::vsnprintf(piece, sizeof piece, format, args);
	va_end(args);
	if (n < 0 || size_t(n) >= sizeof piece)
		t->failed = 1;
	else
		text_append(t, piece, size_t(n));
}
