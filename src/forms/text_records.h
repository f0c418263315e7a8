// What the readers of text records share: byte fields, data into the window, the line loop.
#ifndef TARNWICK_TEXT_RECORDS_H
#define TARNWICK_TEXT_RECORDS_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "forms/hex_digits.h"
#include "forms/line_reader.h"
#include "forms/reader.h"

// Inlined where it is called, so that constant arguments shape the code.
#if defined(__GNUC__) || defined(__clang__)
#define TEXT_RECORDS_INLINE __attribute__((always_inline)) inline
#else
#define TEXT_RECORDS_INLINE inline
#endif

// One record being read: the read position, the end of the line, and the
// running sum of its bytes (taken mod 256 by the reader).
struct text_record {
	const char *pos;
	const char *end;
	uint32_t sum;
};

// A Ctrl-Z at the start of a line marks the end of the file, as DOS tools
// wrote it.
constexpr char END_OF_FILE_MARK = 0x1A;

// Skips blanks, tabs, vertical tabs, form feeds and carriage returns. A
// line feed is white space too, but it ends the line, so it stops the skip.
inline const char *skip_white_space(const char *p, const char *end)
{
	while (p < end && (*p == ' ' || *p == '\t' || *p == '\v' || *p == '\f' || *p == '\r'))
		p++;
	return p;
}

// Whether a record that begins at p, behind the white space from line on,
// begins a record at all: in a piece that goes on with a line whose record
// began in the piece before, a carriage return is part of the line end.
bool record_may_begin(const char *line, const char *p, int continued);

// Reads the next byte field, if the line holds one, and adds it to the sum.
inline bool read_byte(text_record *rec, uint32_t *value)
{
	if (rec->end - rec->pos < 2 || !hex_read_byte(rec->pos, value))
		return false;
	rec->pos += 2;
	rec->sum += *value;
	return true;
}

// Reads and sums count byte fields that store nothing.
bool skip_bytes(text_record *rec, uint32_t count);

// Stores the record's count data bytes, the first at address, into the
// window. A record that the line holds whole and that lies within the
// window takes the fast way: decoded whole, then stored; any other the
// careful one (store_data_checked, from the window's cell first on), which
// stops where the record goes wrong: READ_BAD_FORMAT at a malformed or
// missing byte, READ_DOES_NOT_FIT with the byte's address in *outside at
// one outside the window (the record's last address when it runs past
// FFFFFFFFh). Bytes before the failure stay stored.
int store_data_checked(text_record *rec, const read_window *w, read_result *r, uint64_t address,
		       uint32_t count, uint64_t *outside);

TEXT_RECORDS_INLINE int store_data(text_record *rec, const read_window *w, read_result *r,
				   uint64_t address, uint32_t count, uint64_t *outside)
{
	int64_t first = int64_t(address) - int64_t(w->first);
	bool complete = rec->end - rec->pos >= 2 * int64_t(count) + 2;
	if (complete && count > 0 && first >= 0 && first + count <= w->size) {
		uint8_t bytes[255];
		bool decoded = count == 16 ? hex_read_16(rec->pos, bytes, &rec->sum)
					   : hex_read_bytes(rec->pos, count, bytes, &rec->sum);
		if (decoded) {
			uint32_t cell = w->cell + uint32_t(first);
			if (count == 16)
				std::memcpy(w->img->bytes + cell, bytes, 16);
			else
				std::memcpy(w->img->bytes + cell, bytes, count);
			image_mark(w->img, cell, count);
			rec->pos += 2 * count;
			read_result_note(r, address, address + count - 1);
			return READ_OK;
		}
	}
	return store_data_checked(rec, w, r, address, count, outside);
}

// Parses one piece of a line (a record) that begins at line and ends at or
// before end, within a piece that goes on with the line before when
// continued is 1; sets *piece to the piece's length, its line end
// included, when it returns READ_OK or READ_CHECKSUM_ERROR, and *outside
// when it returns READ_DOES_NOT_FIT. state is the reader's own.
typedef int (*record_parser)(void *state, const char *line, const char *end, int continued,
			     int64_t line_number, size_t *piece, uint64_t *outside);

// Reports a malformed line, "Invalid <form> format on line N", unless the
// window is a probe's; a READ_BAD_COUNT its parser has reported.
void report_bad_line(const read_window *w, int result, int64_t line_number, const char *form);


// Reads every line as a record through parse, with the line numbers,
// pieces and Ctrl-Z that every text reader shares, and reports what fails:
// a checksum mismatch, a byte outside the window, a malformed line
// ("Invalid <form> format on line N"), a read error. parse reports
// READ_BAD_COUNT itself. Inlined into each reader, so that its parser is
// called directly.
TEXT_RECORDS_INLINE int read_record_lines(line_reader *in, const read_window *w, read_result *r,
					  record_parser parse, void *state, const char *form)
{
	const char *window;
	size_t length;
	int64_t line_number = 0;
	int continued = 0;
	int status = READ_OK;

	// Each piece is parsed where it stands in the reader's window; parsing
	// stops at the piece's line end at the latest.
	while ((window = line_reader_window(in, &length)) != nullptr &&
	       window[0] != END_OF_FILE_MARK) {
		size_t piece;
		uint64_t outside;
		line_number++;
		int result = parse(state, window, window + length, continued, line_number, &piece,
				   &outside);
		if (result == READ_DOES_NOT_FIT) {
			if (window_misfit(w, r, line_number, outside))
				return result;
			piece = line_piece_end(window, length, window);
		} else if (result == READ_CHECKSUM_ERROR) {
			if (window_checksum_error(w, line_number) != READ_OK)
				status = READ_CHECKSUM_ERROR;
		} else if (result != READ_OK) {
			report_bad_line(w, result, line_number, form);
			return result;
		}
		// A piece cut off before its line end: the next one goes on with
		// the same line.
		continued = piece == LINE_PIECE_MAX && window[piece - 1] != '\n';
		line_reader_advance(in, piece);
	}
	return read_end_status(in, w, status);
}

#endif
