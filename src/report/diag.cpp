// The error sink: writes every "ERROR: " line of a run and keeps them for a report.
#include "report/diag.h"
#include "platform/memory.h"

#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char PREFIX[] = "ERROR: ";
constexpr size_t PREFIX_LENGTH = sizeof PREFIX - 1;

// A message whose text is shorter than this is formatted on the stack.
constexpr size_t SHORT_MESSAGE = 512;

// The sink's state: the kept texts back to back in one heap buffer, each
// ended by a null character, where each of them begins, and how many lines
// were not kept for want of memory.
static struct {
	int keep;
	char *text;
	size_t used, capacity;
	size_t *starts;
	int count, slots;
	int lost;
	char lost_line[64];
} sink;

void diag_release()
{
	std::free(sink.text);
	std::free(sink.starts);
	std::memset(&sink, 0, sizeof sink);
}

void diag_reset(int keep)
{
	diag_release();
	sink.keep = keep != 0;
}

// Makes room for more bytes behind the kept texts; returns 0 when out of memory.
static int grow_text(size_t more)
{
	if (sink.capacity - sink.used >= more)
		return 1;
	size_t capacity = sink.used + more;
	if (capacity < SIZE_MAX / 2)
		capacity += capacity > 4096 ? capacity : 4096;
	char *text = static_cast<char *>(run_realloc(sink.text, capacity));
	if (text == nullptr)
		return 0;
	sink.text = text;
	sink.capacity = capacity;
	return 1;
}

// Makes room for one more line start; returns 0 when out of memory.
static int grow_starts()
{
	if (sink.count < sink.slots)
		return 1;
	if (sink.slots > INT_MAX / 2 - 1)
		return 0;
	int slots = sink.slots > 0 ? 2 * sink.slots : 256;
	void *starts = run_realloc(sink.starts, size_t(slots) * sizeof *sink.starts);
	if (starts == nullptr)
		return 0;
	sink.starts = static_cast<size_t *>(starts);
	sink.slots = slots;
	return 1;
}

// Counts a line that is not kept.
static void lose_line()
{
	if (sink.lost < INT_MAX)
		sink.lost++;
}

// Keeps text, or counts it as not kept once memory has run out.
static void keep_line(const char *text, size_t length)
{
	if (sink.lost > 0 || !grow_text(length + 1) || !grow_starts()) {
		lose_line();
		return;
	}
	sink.starts[sink.count++] = sink.used;
	std::memcpy(sink.text + sink.used, text, length);
	sink.text[sink.used + length] = '\0';
	sink.used += length + 1;
}

// Puts "ERROR: " and the text into small (SHORT_MESSAGE bytes) or, when it
// does not fit, into a heap buffer, with room for a line feed behind it.
// Returns the buffer, null when out of memory, and the text's length.
static char *format_message(char *small, size_t *length, const char *format, va_list args)
{
	va_list again;
	va_copy(again, args);
	std::memcpy(small, PREFIX, PREFIX_LENGTH);
	int n = std::vsnprintf(small + PREFIX_LENGTH, SHORT_MESSAGE - PREFIX_LENGTH - 1, format, args);
	*length = n > 0 ? size_t(n) : 0;
	char *message = small;
	if (*length + PREFIX_LENGTH + 2 > SHORT_MESSAGE) {
		message = static_cast<char *>(run_realloc(nullptr, *length + PREFIX_LENGTH + 2));
		if (message != nullptr) {
			std::memcpy(message, PREFIX, PREFIX_LENGTH);
			std::vsnprintf(message + PREFIX_LENGTH, *length + 1, format, again);
		}
	}
	va_end(again);
	return message;
}

// Without the memory for the message: writes it in pieces, and keeps nothing.
static void emit_unbuffered(int ended, const char *format, va_list args)
{
	std::fputs(PREFIX, stderr);
	std::vfprintf(stderr, format, args);
	if (ended)
		std::fputc('\n', stderr);
	if (sink.keep)
		lose_line();
}

// Writes "ERROR: " and the text, with ended a line feed behind it, to stderr
// with one call, and keeps the text when keeping.
static void emit(int ended, const char *format, va_list args)
{
	char small[SHORT_MESSAGE];
	size_t length;
	va_list again;
	va_copy(again, args);
	char *message = format_message(small, &length, format, args);
	if (message == nullptr)
		emit_unbuffered(ended, format, again);
	va_end(again);
	if (message == nullptr)
		return;
	message[PREFIX_LENGTH + length] = '\n';
	std::fwrite(message, 1, PREFIX_LENGTH + length + (ended ? 1 : 0), stderr);
	if (sink.keep)
		keep_line(message + PREFIX_LENGTH, length);
	if (message != small)
		std::free(message);
}

void diag_error(const char *format, ...)
{
	va_list args;
	va_start(args, format);
	emit(1, format, args);
	va_end(args);
}

void diag_error_unended(const char *format, ...)
{
	va_list args;
	va_start(args, format);
	emit(0, format, args);
	va_end(args);
}

int diag_count()
{
	return sink.count + (sink.lost > 0 ? 1 : 0);
}

const char *diag_line(int index)
{
	if (index >= 0 && index < sink.count)
		return sink.text + sink.starts[index];
	if (index != sink.count || sink.lost == 0)
		return nullptr;
	std::snprintf(sink.lost_line, sizeof sink.lost_line, "%d more %s not kept: out of memory",
		      sink.lost, sink.lost == 1 ? "error was" : "errors were");
	return sink.lost_line;
}

const char *count_word(uint64_t count, const char *one, const char *more)
{
	return count == 1 ? one : more;
}

const char *bytes_word(uint64_t count)
{
	return count_word(count, "byte", "bytes");
}
