// The Intel HEX reader: Intel HEX records into a window of cells.
#include "forms/hex_reader.h"

#include <cstring>

#include "forms/text_records.h"

enum {
	RECORD_DATA = 0x00,
	RECORD_END_OF_FILE = 0x01,
	RECORD_SEGMENT_ADDRESS = 0x02,
	RECORD_START_SEGMENT = 0x03,
	RECORD_LINEAR_ADDRESS = 0x04,
	RECORD_START_LINEAR = 0x05,
};

// A file being read: the window (a copy, which stores into its cells
// cannot change), what was stored, and the base address that type 02 and
// 04 records carry from line to line.
struct hex_file {
	read_window w;
	read_result *r;
	uint32_t base;
};

// The fields of a record's prefix.
struct hex_prefix {
	uint32_t count;
	uint32_t offset;
	uint32_t type;
};

// The colon, then the byte count, the load offset and the type: exactly
// eight hexadecimal digits, checked together.
static bool read_prefix(text_record *rec, hex_prefix *h, const char *line, const char *end,
			int continued)
{
	const char *p = skip_white_space(line, end);
	if (end - p < 9 || *p != ':' || !record_may_begin(line, p, continued))
		return false;
	int count = hex_pair_value(p + 1), high = hex_pair_value(p + 3);
	int low = hex_pair_value(p + 5), type = hex_pair_value(p + 7);
	if ((count | high | low | type) < 0)
		return false;
	rec->pos = p + 9;
	rec->end = end;
	rec->sum = uint32_t(count + high + low + type);
	h->count = uint32_t(count);
	h->offset = uint32_t(high << 8 | low);
	h->type = uint32_t(type);
	return true;
}

// Reads the four-digit base value of a 02 or 04 record, which has exactly
// two bytes.
static int read_base(text_record *rec, const hex_prefix *h, int shift, uint32_t *base)
{
	uint32_t high, low;
	if (h->count != 2 || !read_byte(rec, &high) || !read_byte(rec, &low))
		return READ_BAD_FORMAT;
	*base = (high << 8 | low) << shift;
	return READ_OK;
}

static int read_body(text_record *rec, const hex_prefix *h, hex_file *f, uint64_t *outside)
{
	switch (h->type) {
	case RECORD_DATA:
		return store_data(rec, &f->w, f->r, uint64_t(f->base) + h->offset, h->count, outside);
	case RECORD_END_OF_FILE:
		return h->count == 0 ? READ_OK : READ_BAD_FORMAT;
	case RECORD_SEGMENT_ADDRESS:
		return read_base(rec, h, 4, &f->base);
	case RECORD_LINEAR_ADDRESS:
		return read_base(rec, h, 16, &f->base);
	case RECORD_START_SEGMENT:
	case RECORD_START_LINEAR:
		return skip_bytes(rec, h->count) ? READ_OK : READ_BAD_FORMAT;
	default:
		return READ_BAD_FORMAT;
	}
}

// The rest of the line behind the checksum is ignored, unless it holds
// another record (a colon); *piece is the piece's length, its line end
// included.
static int read_line_end(const text_record *rec, const char *line, size_t *piece)
{
	const char *p = rec->pos;
	if (p < rec->end && *p == '\n') {
		*piece = static_cast<size_t>(p + 1 - line);
		return READ_OK;
	}
	*piece = line_piece_end(line, static_cast<size_t>(rec->end - line), p);
	if (p < rec->end && *p != '\r' &&
	    std::memchr(p, ':', static_cast<size_t>(line + *piece - p)) != nullptr)
		return READ_BAD_FORMAT;
	return READ_OK;
}

// The checks run in one order: prefix, body by type, checksum field, the
// rest of the line, sum. Reading never passes the line's first line end,
// which is no digit.
static int parse_record(void *state, const char *line, const char *end, int continued,
			int64_t, size_t *piece, uint64_t *outside)
{
	hex_file *f = static_cast<hex_file *>(state);
	text_record rec;
	hex_prefix h;
	if (!read_prefix(&rec, &h, line, end, continued))
		return READ_BAD_FORMAT;
	int status = read_body(&rec, &h, f, outside);
	if (status != READ_OK)
		return status;
	uint32_t sum = rec.sum;
	uint32_t checksum;
	if (!read_byte(&rec, &checksum) || read_line_end(&rec, line, piece) != READ_OK)
		return READ_BAD_FORMAT;
	return checksum == ((0x100 - (sum & 0xFF)) & 0xFF) ? READ_OK : READ_CHECKSUM_ERROR;
}

int read_hex(line_reader *in, const read_window *w, read_result *r)
{
	hex_file f = {*w, r, 0};
	read_result_init(r);
	return read_record_lines(in, w, r, parse_record, &f, "Intel hex");
}
