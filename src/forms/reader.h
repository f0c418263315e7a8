// What every reader of a file is given (a window of cells) and what it gives back.
#ifndef TARNWICK_READER_H
#define TARNWICK_READER_H

#include <cstdint>

#include "forms/line_reader.h"
#include "image/image.h"

// Results of a read, and of one record; 0 is success. A reader has
// reported every failure itself by the time it returns, but a byte outside
// the window, which its caller reports from the result.
enum {
	READ_OK = 0,
	READ_CHECKSUM_ERROR = 1, // a record's checksum does not match
	READ_DOES_NOT_FIT = 2,   // a data byte lies outside the window
	READ_BAD_FORMAT = 3,     // a line is not a well-formed record
	READ_ERROR = 4,          // the stream reported a read error
	READ_BAD_COUNT = 5,      // a record count disagrees: a record was lost
	READ_NO_DATA = 6,        // the file stores no byte
};

// A window of cells of an image: the byte at address first + i belongs to
// image cell cell + i, for i below size; first + size is at most 2^32, and
// cell + size at most the image's cells with the spare ones. A reader
// writes every byte of its window into the image, a later byte of a cell
// over an earlier one. The file's name is for the messages that have no
// line to name.
struct read_window {
	image *img;
	uint32_t cell;
	uint64_t first;
	uint32_t size;
	int verify_checksums; // 1: a checksum mismatch is reported and fails the read
	int probe;            // 1: store and report nothing, and read on over bytes outside
	int measure;          // 1: a file without lines that is longer than the window is read
			      // to its end, to tell its whole length
	const char *name;
	uint32_t preloaded;   // raw bytes: the first cells of the window already hold the file's
			      // first bytes, which are not read again
};

// What a read found: the lowest and highest address of a byte that it read
// into the window (a probe: of any data byte); lowest is NO_ADDRESS and
// highest 0 when none. After READ_DOES_NOT_FIT, outside is the address of
// the first byte outside the window, or the last address of a record that
// runs past FFFFFFFFh (above FFFFFFFFh, then), on line outside_line; for a
// file without lines, outside_line is 0 and outside its length (with
// measure, its whole length).
struct read_result {
	uint64_t lowest;
	uint64_t highest;
	uint64_t outside;
	int64_t outside_line;
};

constexpr uint64_t NO_ADDRESS = UINT64_MAX;

// A reader: reads the file that `in` reads to its end into the window, the
// byte at address a into image cell cell + a - first, and reports each
// failure but a byte outside the window through the error sink. Checksum
// mismatches are reported and fail the read only with verify_checksums,
// and reading goes on past them; a byte outside the window, a malformed
// line or a read error ends the read. A probe stores nothing and prints
// nothing, notes the lowest address of every data byte, and ends at the
// first malformed line.
typedef int (*file_reader)(line_reader *in, const read_window *w, read_result *r);

// Starts a result that holds no address.
void read_result_init(read_result *r);

// Notes that addresses first to last were stored.
inline void read_result_note(read_result *r, uint64_t first, uint64_t last)
{
	if (first < r->lowest)
		r->lowest = first;
	if (last > r->highest)
		r->highest = last;
}

// Notes a data byte at address outside the window, on line line_number (0:
// a file without lines, whose length address is), and returns 1 when
// reading must stop; a probe notes the address as a data byte's and reads
// on.
int window_misfit(const read_window *w, read_result *r, int64_t line_number, uint64_t address);

// Reports a checksum mismatch on a line when the window verifies checksums,
// and returns the status that the read has from then on.
int window_checksum_error(const read_window *w, int64_t line_number);

// The status of a read that has reached the end of the stream: READ_ERROR
// after reporting "Can't read" with the file's name when the stream failed,
// else status.
int read_end_status(const line_reader *in, const read_window *w, int status);

#endif
