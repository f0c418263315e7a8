// The Intel HEX loader: reads Intel HEX text into image cells.
#ifndef TARNWICK_HEX_READ_H
#define TARNWICK_HEX_READ_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "image/image.h"

// Status of one line or of a whole file; 0 is success.
enum {
	HEX_OK = 0,
	HEX_CHECKSUM_ERROR = 1, // a line's checksum does not match
	HEX_DOES_NOT_FIT = 2,   // a data byte's address is at or beyond the limit
	HEX_BAD_FORMAT = 3,     // the line is not a well-formed record
	HEX_READ_ERROR = 4,     // the stream reported a read error
};

// Parses one NUL-terminated line and stores its data bytes: address a goes to
// cells[a], and every address must be below limit. *segment_base carries the
// base address set by type 02 and 04 records from one line to the next;
// *highest is raised to every larger address stored. Whatever follows the
// checksum up to the line end is ignored, unless it holds a colon (a second
// record on the line), which makes the line HEX_BAD_FORMAT. Returns a
// status; bytes stored before a failure stay stored.
int parse_hex_line(const char *line, image_cell *cells, uint32_t limit,
		   uint32_t *segment_base, uint32_t *highest);

// The same for a line of the given length, which may hold NUL bytes: they
// are characters like any other that is not a digit. A line feed ends the
// line, and so does a carriage return behind the record's colon; nothing
// behind the line end is read.
int parse_hex_span(const char *line, size_t length, image_cell *cells,
		   uint32_t limit, uint32_t *segment_base, uint32_t *highest);

// Loads every line of stream into cells, as parse_hex_line does, with the
// base reset to 0. The stream is read as bytes (open it in binary mode): a
// line ends at a line feed or, once its record has begun, at a run of
// carriage returns with the line feed behind it, if any. A line of more than
// 999 characters, its line end included, is taken in pieces of 999 that
// count as lines of their own. A Ctrl-Z (1Ah) at the start of a line or
// piece ends the file. The caller sets *highest to 0 first. Checksum
// mismatches are reported and make the load fail only when verify_checksums
// is 1; reading then goes on. A misfit or a bad line is reported on stderr,
// with its line number, and ends the load. A read error ends it with
// HEX_READ_ERROR and no message, since only the caller knows the file's name.
int load_hex_file(FILE *stream, image_cell *cells, int verify_checksums,
		  uint32_t limit, uint32_t *highest);

// The same for cells that end at room: a byte whose address lies from room
// on (and below limit) raises *highest but is not stored, as it can never
// fit; the caller refuses the file by *highest.
int load_hex_placed(FILE *stream, image_cell *cells, uint32_t room, int verify_checksums,
		    uint32_t limit, uint32_t *highest);

// The same as load_hex_file, with lines_before lines counted already: the first line read is
// line lines_before + 1.
int load_hex_lines(FILE *stream, image_cell *cells, int verify_checksums,
		   uint32_t limit, uint32_t *highest, int64_t lines_before);

// Loads a whole image written at address origin: address origin + i goes
// to cells[i], for i below IMAGE_CELLS. A byte outside those addresses is
// reported with its address and line number and ends the load with
// HEX_DOES_NOT_FIT; everything else is as for load_hex_file. The window of
// addresses ends at FFFFFFFFh at the latest.
int load_hex_image(FILE *stream, image_cell *cells, uint32_t origin, int verify_checksums,
		   uint32_t *highest);

// Rewinds stream and reads its records, checksums aside, up to the first
// malformed one, storing nothing: *lowest becomes the lowest address of a
// data byte. Prints nothing. Returns 0, or 1 when the stream cannot be
// rewound or holds no data byte up to there.
int hex_lowest_address(FILE *stream, uint64_t *lowest);

#endif
