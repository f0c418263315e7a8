// The S-record reader: Motorola S-records into a window of cells.
#include "forms/srec_reader.h"

#include <cinttypes>

#include "forms/text_records.h"
#include "report/diag.h"

// Address bytes of each record type; 0 for S4, which does not exist.
static const uint32_t ADDRESS_BYTES[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

// A file being read: the window, what was stored, and the data records
// counted since the start of the file or the last termination record.
struct srec_file {
	const read_window *w;
	read_result *r;
	uint32_t data_records;
};

// The fields of a record's prefix: its type, the bytes behind the count
// that are neither address nor checksum, and the address.
struct srec_prefix {
	uint32_t type;
	uint32_t data;
	uint64_t address;
};

// S and the type digit, then the count: at least the address bytes and the
// checksum, and exactly those for S5 to S9, which hold no data; then the
// address. The count and the address are checked together.
static bool read_count(text_record *rec, srec_prefix *s, const char *line, const char *end,
		       int continued)
{
	const char *p = skip_white_space(line, end);
	if (end - p < 2 || (*p != 'S' && *p != 's') || p[1] < '0' || p[1] > '9' ||
	    !record_may_begin(line, p, continued))
		return false;
	s->type = uint32_t(p[1] - '0');
	uint32_t address_bytes = ADDRESS_BYTES[s->type];
	p += 2;
	if (address_bytes == 0 || end - p < 2 + 2 * int64_t(address_bytes))
		return false;
	int count = hex_pair_value(p), seen = count;
	uint32_t sum = uint32_t(count);
	uint64_t address = 0;
	for (uint32_t i = 1; i <= address_bytes; i++) {
		int byte = hex_pair_value(p + 2 * i);
		seen |= byte;
		sum += uint32_t(byte);
		address = address << 8 | uint32_t(byte);
	}
	if (seen < 0 || uint32_t(count) < address_bytes + 1 ||
	    (s->type >= 5 && uint32_t(count) != address_bytes + 1))
		return false;
	rec->pos = p + 2 + 2 * address_bytes;
	rec->end = end;
	rec->sum = sum;
	s->data = uint32_t(count) - address_bytes - 1;
	s->address = address;
	return true;
}

// The line holds exactly the fields that the count says, each one two
// hexadecimal digits, and behind them only blanks and tabs, then the line
// end; *piece is the piece's length, its line end included. The whole line
// is checked before a byte of it is stored, so that a malformed line is
// one, wherever its bytes would go; the digits are left to the decoding of
// a record that lies within the window.
static bool check_line(const text_record *rec, const srec_prefix *s, const read_window *w,
		       const char *line, size_t *piece)
{
	const char *p = rec->pos + 2 * (int64_t(s->data) + 1);
	if (p > rec->end)
		return false;
	int64_t first = int64_t(s->address) - int64_t(w->first);
	bool decoded_later = s->type >= 1 && s->type <= 3 && first >= 0 &&
			     first + int64_t(s->data) <= int64_t(w->size);
	for (const char *q = rec->pos; !decoded_later && q < p; q += 2)
		if (hex_pair_value(q) < 0)
			return false;
	// Mostly the line ends right there.
	if (p < rec->end && *p == '\n') {
		*piece = static_cast<size_t>(p + 1 - line);
		return true;
	}
	while (p < rec->end && (*p == ' ' || *p == '\t'))
		p++;
	if (p < rec->end && *p != '\n' && *p != '\r')
		return false;
	*piece = line_piece_end(line, static_cast<size_t>(rec->end - line), p);
	return true;
}

// An S5 or S6 record holds the low 16 or 24 bits of the number of data
// records before it.
static int check_record_count(const srec_file *f, const srec_prefix *s, int64_t line_number)
{
	uint32_t mask = s->type == 5 ? 0xFFFF : 0xFFFFFF;
	if ((f->data_records & mask) == s->address)
		return READ_OK;
	if (!f->w->probe)
		diag_error("Record count on line %" PRId64 " says %" PRIu64 ", but %" PRIu32 " %s before it",
			   line_number, s->address, f->data_records,
			   count_word(f->data_records, "data record comes", "data records come"));
	return READ_BAD_COUNT;
}

// The checks run in one order: S and type, count, address, the length and
// the rest of the line, data, checksum field, the record count, sum.
static int parse_record(void *state, const char *line, const char *end, int continued,
			int64_t line_number, size_t *piece, uint64_t *outside)
{
	srec_file *f = static_cast<srec_file *>(state);
	text_record rec;
	srec_prefix s;
	if (!read_count(&rec, &s, line, end, continued) || !check_line(&rec, &s, f->w, line, piece))
		return READ_BAD_FORMAT;
	bool data = s.type >= 1 && s.type <= 3;
	if (data) {
		int status = store_data(&rec, f->w, f->r, s.address, s.data, outside);
		if (status != READ_OK)
			return status;
	} else if (!skip_bytes(&rec, s.data)) {
		return READ_BAD_FORMAT;
	}
	uint32_t sum = rec.sum;
	uint32_t checksum;
	if (!read_byte(&rec, &checksum))
		return READ_BAD_FORMAT;
	if ((s.type == 5 || s.type == 6) && check_record_count(f, &s, line_number) != READ_OK)
		return READ_BAD_COUNT;
	if (data)
		f->data_records++;
	if (s.type >= 7)
		f->data_records = 0;
	return checksum == (~sum & 0xFF) ? READ_OK : READ_CHECKSUM_ERROR;
}

int read_srec(line_reader *in, const read_window *w, read_result *r)
{
	srec_file f = {w, r, 0};
	read_result_init(r);
	return read_record_lines(in, w, r, parse_record, &f, "S-record");
}
