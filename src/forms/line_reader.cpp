// Reading a text stream line by line, in pieces of bounded length.
#include "forms/line_reader.h"

#include <cstring>

void line_reader_init(line_reader *reader, FILE *stream)
{
	reader->stream = stream;
	reader->start = 0;
	reader->end = 0;
	reader->at_end = 0;
	reader->failed = 0;
}

// Keeps the bytes not yet consumed and reads behind them.
static void refill(line_reader *reader)
{
	size_t kept = reader->end - reader->start;
	std::memmove(reader->buffer, reader->buffer + reader->start, kept);
	reader->start = 0;
	size_t wanted = LINE_READ_BLOCK - kept;
	size_t got = std::fread(reader->buffer + kept, 1, wanted, reader->stream);
	reader->end = kept + got;
	if (got < wanted) {
		reader->at_end = 1;
		reader->failed = std::ferror(reader->stream) != 0;
	}
}

const char *line_reader_window(line_reader *reader, size_t *length)
{
	if (reader->end - reader->start < LINE_PIECE_MAX && !reader->at_end)
		refill(reader);
	size_t left = reader->end - reader->start;
	if (left == 0 || reader->failed)
		return nullptr;
	*length = left < LINE_PIECE_MAX ? left : LINE_PIECE_MAX;
	return reader->buffer + reader->start;
}

const char *line_reader_bytes(line_reader *reader, size_t *length)
{
	if (reader->end == reader->start && !reader->at_end)
		refill(reader);
	*length = reader->end - reader->start;
	if (*length == 0 || reader->failed)
		return nullptr;
	return reader->buffer + reader->start;
}

int line_reader_skip(line_reader *reader, size_t n)
{
	return n > 0 && std::fseek(reader->stream, long(n), SEEK_CUR) != 0;
}

size_t line_reader_read(line_reader *reader, char *to, size_t most)
{
	size_t held = reader->end - reader->start, n = held < most ? held : most;
	std::memcpy(to, reader->buffer + reader->start, n);
	reader->start += n;
	if (n > 0 || reader->at_end || reader->failed)
		return n;
	n = std::fread(to, 1, most, reader->stream);
	reader->failed = std::ferror(reader->stream) != 0;
	reader->at_end = n < most;
	return reader->failed ? 0 : n;
}

size_t line_piece_end(const char *window, size_t length, const char *from)
{
	const char *end = window + length;
	const char *p = from;
	while (p < end && *p != '\n' && *p != '\r')
		p++;
	while (p < end && *p == '\r')
		p++;
	if (p < end && *p == '\n')
		p++;
	return static_cast<size_t>(p - window);
}

// The first byte of text[0 .. n) that is not white space, or -1.
static int first_not_white(const char *text, size_t n)
{
	for (size_t i = 0; i < n; i++) {
		unsigned char c = static_cast<unsigned char>(text[i]);
		if (c != ' ' && (c < '\t' || c > '\r'))
			return c;
	}
	return -1;
}

int line_reader_first_byte(line_reader *reader)
{
	if (!reader->at_end)
		refill(reader);
	int c = first_not_white(reader->buffer + reader->start, reader->end - reader->start);
	// A whole block of white space is a first line that no record begins
	// on, where reading stops: what follows it is never read but here.
	char more[4096];
	size_t n;
	while (c < 0 && !reader->at_end && (n = std::fread(more, 1, sizeof more, reader->stream)) > 0)
		c = first_not_white(more, n);
	return c;
}

void line_reader_advance(line_reader *reader, size_t n)
{
	reader->start += n;
}
