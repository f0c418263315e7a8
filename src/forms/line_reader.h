// Reading a text stream line by line, in pieces of bounded length.
#ifndef TARNWICK_LINE_READER_H
#define TARNWICK_LINE_READER_H

#include <cstddef>
#include <cstdio>

// Longest piece of a line: a longer line is taken in several pieces.
constexpr size_t LINE_PIECE_MAX = 999;

// Bytes read from the stream at a time.
constexpr size_t LINE_READ_BLOCK = 64 * 1024;

// A piece is the characters of a line up to and including its line end, but
// at most LINE_PIECE_MAX of them. A line feed ends a line; once the line's
// record has begun, so does a run of carriage returns, together with the
// line feed right behind it if there is one (CR LF, CR CR LF and the lone CR
// of old Macintosh files are each one line end). The reader hands out a
// window on the text that holds the next piece; its user finds the piece's
// end within it (line_piece_end) and moves on past it.
struct line_reader {
	FILE *stream;
	size_t start;     // first byte not yet consumed
	size_t end;       // end of the bytes read so far
	int at_end;       // the stream has nothing more to read
	int failed;       // the stream reported a read error
	char buffer[LINE_READ_BLOCK];
};

// Starts reading stream from its current position.
void line_reader_init(line_reader *reader, FILE *stream);

// Returns the unread text, LINE_PIECE_MAX characters of it or all that is
// left, with its length in *length; it stays valid until the next call.
// Returns null at the end of the stream and after a read error, which sets
// reader->failed.
const char *line_reader_window(line_reader *reader, size_t *length);

// Returns every unread byte that the reader holds, reading more when it
// holds none, with their number in *length; null at the end of the stream
// and after a read error, as line_reader_window. For bytes without lines.
const char *line_reader_bytes(line_reader *reader, size_t *length);

// Skips the first n bytes of a stream of which nothing has been read yet.
// Returns 0, or 1 when the stream cannot be positioned.
int line_reader_skip(line_reader *reader, size_t n);

// Copies up to most unread bytes into to: those that the reader holds, then
// straight from the stream, without its buffer. Returns their number: 0 at
// the end of the stream and after a read error, which sets
// reader->failed. For bytes without lines, read into their place.
size_t line_reader_read(line_reader *reader, char *to, size_t most);

// Length of the piece at the start of a window of the given length, whose
// record has begun before `from`: its line end is the first line feed or
// run of carriage returns from `from` on (the piece holds no line feed
// before it). Without a line end the piece is the whole window.
size_t line_piece_end(const char *window, size_t length, const char *from);

// The first byte of the stream that is not white space (blank, tab, line
// feed, vertical tab, form feed, carriage return), or -1 when there is
// none; the pieces of the first LINE_READ_BLOCK bytes stay to be read.
// When those are all white space, a first line that no record begins on,
// the stream is read on behind them to find the byte.
int line_reader_first_byte(line_reader *reader);

// Consumes the first n characters of the window.
void line_reader_advance(line_reader *reader, size_t n);

#endif
