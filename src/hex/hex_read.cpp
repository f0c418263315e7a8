// The Intel HEX loader: reads Intel HEX text into image cells.
#include "hex/hex_read.h"

#include <cinttypes>
#include <cstring>

#include "hex/hex_digits.h"
#include "hex/line_reader.h"
#include "report/diag.h"

enum {
	RECORD_DATA = 0x00,
	RECORD_END_OF_FILE = 0x01,
	RECORD_SEGMENT_ADDRESS = 0x02,
	RECORD_START_SEGMENT = 0x03,
	RECORD_LINEAR_ADDRESS = 0x04,
	RECORD_START_LINEAR = 0x05,
};

// One record being read: the read position and the end of the line, the
// fields of its prefix and the running sum of its bytes (taken mod 256).
struct hex_record {
	const char *pos;
	const char *end;
	uint32_t count;
	uint32_t offset;
	uint32_t type;
	uint32_t sum;
};

// A Ctrl-Z at the start of a line marks the end of the file, as DOS tools
// wrote it.
constexpr char END_OF_FILE_MARK = 0x1A;

// Where a file's data bytes go: address origin + i to cells[i], for every i
// below limit; *highest is raised to the highest such i. The cells end at
// room (at most limit): a byte from there on is counted in *highest but not
// stored, for the caller to refuse. outside is the address of a byte that
// did not fit.
// A probing target stores nothing (its limit is 0): each data record ends
// as a misfit, whose address goes into lowest, and reading goes on.
struct hex_target {
	image_cell *cells;
	uint32_t origin;
	uint32_t limit;
	uint32_t room;
	uint32_t *highest;
	uint64_t outside;
	int probing;
	uint64_t lowest;
};

// Skips blanks, tabs, vertical tabs, form feeds and carriage returns. A
// line feed is white space too, but it ends the line, so it stops the skip.
static const char *skip_white_space(const char *p, const char *end)
{
	while (p < end && (*p == ' ' || *p == '\t' || *p == '\v' || *p == '\f' || *p == '\r'))
		p++;
	return p;
}

// Reads the next byte field, if the line holds one, and adds it to the sum.
static bool read_byte(hex_record *rec, uint32_t *value)
{
	if (rec->end - rec->pos < 2 || !hex_read_byte(rec->pos, value))
		return false;
	rec->pos += 2;
	rec->sum += *value;
	return true;
}

// The colon, then the byte count, the load offset and the type: exactly
// eight hexadecimal digits. A carriage return before the colon is white
// space, but in a later piece of a line whose record began in an earlier
// piece it is part of the line end, and the piece holds no record.
static bool read_prefix(hex_record *rec, const char *line, const char *end, int continued)
{
	const char *p = skip_white_space(line, end);
	uint32_t high, low;
	if (p == end || *p != ':' ||
	    (continued && std::memchr(line, '\r', static_cast<size_t>(p - line)) != nullptr))
		return false;
	rec->pos = p + 1;
	rec->end = end;
	rec->sum = 0;
	if (!read_byte(rec, &rec->count) || !read_byte(rec, &high) ||
	    !read_byte(rec, &low) || !read_byte(rec, &rec->type))
		return false;
	rec->offset = high << 8 | low;
	return true;
}

// Decodes count byte fields at p into cell[0 ..] and adds them to *sum;
// false at the first malformed one. Called with a constant count for the
// common 16-byte record, where the loop unrolls.
static inline bool decode_bytes(const char *p, uint32_t count, image_cell *cell,
				uint32_t *sum)
{
	uint32_t total = 0;
#pragma GCC unroll 16
	for (uint32_t i = 0; i < count; i++, p += 2) {
		uint32_t byte;
		if (!hex_read_byte(p, &byte))
			return false;
		cell[i] = static_cast<image_cell>(byte);
		total += byte;
	}
	*sum += total;
	return true;
}

// Stores the record's bytes into cell[0 ..], when every one of them is well
// formed; the caller has made sure that the line holds them all.
static bool store_data(hex_record *rec, image_cell *cell)
{
	const uint32_t count = rec->count;
	bool stored = count == 16 ? decode_bytes(rec->pos, 16, cell, &rec->sum)
				  : decode_bytes(rec->pos, count, cell, &rec->sum);
	if (stored)
		rec->pos += 2 * count;
	return stored;
}

// Stores the bytes one at a time, from cell first on, up to the first that
// is malformed, missing or outside the cells.
static int store_data_checked(hex_record *rec, hex_target *target, int64_t first)
{
	for (uint32_t i = 0; i < rec->count; i++) {
		uint32_t byte;
		if (!read_byte(rec, &byte))
			return HEX_BAD_FORMAT;
		int64_t cell = first + i;
		if (cell < 0 || cell >= target->limit) {
			target->outside = uint64_t(cell + target->origin);
			return HEX_DOES_NOT_FIT;
		}
		if (cell > *target->highest)
			*target->highest = static_cast<uint32_t>(cell);
		if (cell < target->room)
			target->cells[cell] = static_cast<image_cell>(byte);
	}
	return HEX_OK;
}

// A complete record within the cells takes the fast way; anything else, and
// a record found malformed on the way, the careful one, which stops where
// the record goes wrong.
static int read_data(hex_record *rec, hex_target *target, uint32_t base)
{
	int64_t first = int64_t(base) + rec->offset - target->origin;
	bool complete = rec->end - rec->pos >= 2 * int64_t(rec->count) + 2;
	if (complete && first >= 0 && first + rec->count <= target->room &&
	    store_data(rec, target->cells + first)) {
		if (rec->count > 0 && first + rec->count - 1 > *target->highest)
			*target->highest = static_cast<uint32_t>(first + rec->count - 1);
		return HEX_OK;
	}
	return store_data_checked(rec, target, first);
}

// Reads and sums the bytes of a record that stores nothing.
static int skip_bytes(hex_record *rec)
{
	uint32_t byte;
	for (uint32_t i = 0; i < rec->count; i++)
		if (!read_byte(rec, &byte))
			return HEX_BAD_FORMAT;
	return HEX_OK;
}

// Reads the four-digit base value of a 02 or 04 record, which has exactly
// two bytes.
static int read_base(hex_record *rec, int shift, uint32_t *segment_base)
{
	uint32_t high, low;
	if (rec->count != 2 || !read_byte(rec, &high) || !read_byte(rec, &low))
		return HEX_BAD_FORMAT;
	*segment_base = (high << 8 | low) << shift;
	return HEX_OK;
}

static int read_body(hex_record *rec, hex_target *target, uint32_t *segment_base)
{
	switch (rec->type) {
	case RECORD_DATA:
		return read_data(rec, target, *segment_base);
	case RECORD_END_OF_FILE:
		return rec->count == 0 ? HEX_OK : HEX_BAD_FORMAT;
	case RECORD_SEGMENT_ADDRESS:
		return read_base(rec, 4, segment_base);
	case RECORD_LINEAR_ADDRESS:
		return read_base(rec, 16, segment_base);
	case RECORD_START_SEGMENT:
	case RECORD_START_LINEAR:
		return skip_bytes(rec);
	default:
		return HEX_BAD_FORMAT;
	}
}

// The rest of the line behind the checksum is ignored, unless it holds
// another record (a colon); *piece is the piece's length, its line end
// included.
static int read_line_end(const hex_record *rec, const char *line, size_t *piece)
{
	const char *p = rec->pos;
	if (p < rec->end && *p == '\n') {
		*piece = static_cast<size_t>(p + 1 - line);
		return HEX_OK;
	}
	*piece = line_piece_end(line, static_cast<size_t>(rec->end - line), p);
	if (p < rec->end && *p != '\r' &&
	    std::memchr(p, ':', static_cast<size_t>(line + *piece - p)) != nullptr)
		return HEX_BAD_FORMAT;
	return HEX_OK;
}

// The checks run in one order: prefix, body by type, checksum field, the
// rest of the line, sum. Reading never passes the line's first line end,
// which is no digit. *piece is set when the result is HEX_OK or
// HEX_CHECKSUM_ERROR, the results after which loading goes on.
static int parse_record(const char *line, const char *end, int continued, hex_target *target,
			uint32_t *segment_base, size_t *piece)
{
	hex_record rec;
	if (!read_prefix(&rec, line, end, continued))
		return HEX_BAD_FORMAT;
	int status = read_body(&rec, target, segment_base);
	if (status != HEX_OK)
		return status;
	uint32_t sum = rec.sum;
	uint32_t checksum;
	if (!read_byte(&rec, &checksum) || read_line_end(&rec, line, piece) != HEX_OK)
		return HEX_BAD_FORMAT;
	return checksum == ((0x100 - (sum & 0xFF)) & 0xFF) ? HEX_OK : HEX_CHECKSUM_ERROR;
}

int parse_hex_span(const char *line, size_t length, image_cell *cells,
		   uint32_t limit, uint32_t *segment_base, uint32_t *highest)
{
	size_t piece;
	hex_target target = {cells, 0, limit, limit, highest, 0, 0, 0};
	return parse_record(line, line + length, 0, &target, segment_base, &piece);
}

int parse_hex_line(const char *line, image_cell *cells, uint32_t limit,
		   uint32_t *segment_base, uint32_t *highest)
{
	return parse_hex_span(line, std::strlen(line), cells, limit, segment_base, highest);
}

// Reports a byte outside the window of an image, by its address.
static void report_outside(const hex_target *target, int64_t line_number)
{
	if (target->outside > 0xFFFFFFFFu) {
		diag_error("The record on line %" PRId64 " runs past address FFFFFFFFh", line_number);
		return;
	}
	diag_error("Address %" PRIX64 "h on line %" PRId64 " lies outside the image, at %" PRIX32
		   "h to %" PRIX64 "h",
		   target->outside, line_number, target->origin,
		   uint64_t(target->origin) + target->limit - 1);
}

// Reports a line that did not parse; returns true when loading must stop.
// With name_outside, a byte that does not fit is named by its address.
static bool report_line(int result, int64_t line_number, int verify_checksums,
			const hex_target *target, int name_outside)
{
	switch (result) {
	case HEX_CHECKSUM_ERROR:
		if (verify_checksums == 1)
			diag_error("Checksum error on line %" PRId64, line_number);
		return false;
	case HEX_DOES_NOT_FIT:
		if (name_outside)
			report_outside(target, line_number);
		else
			diag_error_unended("Hex file contents does not fit into available memory");
		return true;
	default:
		diag_error("Invalid Intel hex format on line %" PRId64, line_number);
		return true;
	}
}

// While probing, a data record is noted by the address of its first byte
// and its piece measured, and loading goes on; any other failure stops the
// probe without a word.
static bool probe_line(int *result, hex_target *target, const char *window, size_t length,
		       size_t *piece)
{
	if (*result == HEX_DOES_NOT_FIT) {
		if (target->outside < target->lowest)
			target->lowest = target->outside;
		*piece = line_piece_end(window, length, window);
		*result = HEX_OK;
	}
	return *result == HEX_OK || *result == HEX_CHECKSUM_ERROR;
}

static int load_lines(FILE *stream, hex_target *target, int verify_checksums,
		      int64_t lines_before, int name_outside)
{
	line_reader reader;
	const char *window;
	size_t length;
	int64_t line_number = lines_before;
	int continued = 0;
	int status = HEX_OK;
	uint32_t segment_base = 0;

	// Each piece is parsed where it stands in the reader's window; parsing
	// stops at the piece's line end at the latest, and the line end is
	// looked for only from where it stopped.
	line_reader_init(&reader, stream);
	while ((window = line_reader_window(&reader, &length)) != nullptr &&
	       window[0] != END_OF_FILE_MARK) {
		size_t piece;
		line_number++;
		int result = parse_record(window, window + length, continued, target,
					  &segment_base, &piece);
		if (target->probing && !probe_line(&result, target, window, length, &piece))
			return result;
		if (result != HEX_OK &&
		    report_line(result, line_number, verify_checksums, target, name_outside))
			return result;
		if (result != HEX_OK && verify_checksums == 1)
			status = HEX_CHECKSUM_ERROR;
		// A piece cut off before its line end: the next one goes on with
		// the same line.
		continued = piece == LINE_PIECE_MAX && window[piece - 1] != '\n';
		line_reader_advance(&reader, piece);
	}
	return reader.failed ? HEX_READ_ERROR : status;
}

int load_hex_lines(FILE *stream, image_cell *cells, int verify_checksums,
		   uint32_t limit, uint32_t *highest, int64_t lines_before)
{
	hex_target target = {cells, 0, limit, limit, highest, 0, 0, 0};
	return load_lines(stream, &target, verify_checksums, lines_before, 0);
}

int load_hex_file(FILE *stream, image_cell *cells, int verify_checksums,
		  uint32_t limit, uint32_t *highest)
{
	return load_hex_lines(stream, cells, verify_checksums, limit, highest, 0);
}

int load_hex_placed(FILE *stream, image_cell *cells, uint32_t room, int verify_checksums,
		    uint32_t limit, uint32_t *highest)
{
	hex_target target = {cells, 0, limit, room < limit ? room : limit, highest, 0, 0, 0};
	return load_lines(stream, &target, verify_checksums, 0, 0);
}

int load_hex_image(FILE *stream, image_cell *cells, uint32_t origin, int verify_checksums,
		   uint32_t *highest)
{
	// The window ends at FFFFFFFFh at the latest.
	uint64_t room = (uint64_t(1) << 32) - origin;
	uint32_t limit = room < IMAGE_CELLS ? static_cast<uint32_t>(room) : IMAGE_CELLS;
	hex_target target = {cells, origin, limit, limit, highest, 0, 0, 0};
	return load_lines(stream, &target, verify_checksums, 0, 1);
}

int hex_lowest_address(FILE *stream, uint64_t *lowest)
{
	uint32_t highest = 0;
	hex_target target = {nullptr, 0, 0, 0, &highest, 0, 1, UINT64_MAX};
	if (std::fseek(stream, 0, SEEK_SET) != 0)
		return 1;
	load_lines(stream, &target, 0, 0, 0);
	*lowest = target.lowest;
	return target.lowest == UINT64_MAX ? 1 : 0;
}
