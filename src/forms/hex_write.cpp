// The Intel HEX writer: writes image cells as data records and an end record.
#include "forms/hex_write.h"

#include <cstring>

#include "forms/hex_digits.h"

static const char END_OF_FILE_RECORD[] = ":00000001FF\n";

// Size of the text buffer that the writer fills before handing it to stdio.
constexpr size_t WRITE_BUFFER_SIZE = 32 * 1024;

// Longest record line: colon, count, address, type, 16 data bytes,
// checksum, newline.
constexpr size_t RECORD_LINE_MAX = 1 + 2 + 4 + 2 + 2 * HEX_RECORD_BYTES + 2 + 1;

// Upper-case digit pairs of every byte value.
struct hex_text_table {
	char pair[256][2];
	constexpr hex_text_table() : pair()
	{
		const char digits[] = "0123456789ABCDEF";
		for (int v = 0; v < 256; v++) {
			pair[v][0] = digits[v >> 4];
			pair[v][1] = digits[v & 0xF];
		}
	}
};

static constexpr hex_text_table HEX_TEXT{};

// Output text gathered for one stream.
struct hex_output {
	FILE *out;
	size_t used;
	char text[WRITE_BUFFER_SIZE];
};

static void flush_output(hex_output *o)
{
	std::fwrite(o->text, 1, o->used, o->out);
	o->used = 0;
}

static char *put_byte(char *p, uint32_t byte)
{
	std::memcpy(p, HEX_TEXT.pair[byte & 0xFF], 2);
	return p + 2;
}

// Writes the record prefix (colon, count, address, type) at p.
static char *put_prefix(char *p, uint32_t n, uint32_t address, uint32_t type)
{
	*p++ = ':';
	p = put_byte(p, n);
	p = put_byte(p, address >> 8);
	p = put_byte(p, address);
	return put_byte(p, type);
}

// Writes the checksum for the sum of a record's bytes, and the newline.
static char *put_checksum(char *p, uint32_t sum)
{
	p = put_byte(p, 0x100 - (sum & 0xFF));
	*p++ = '\n';
	return p;
}

// Makes room for one more record line.
static char *record_space(hex_output *o)
{
	if (o->used + RECORD_LINE_MAX > WRITE_BUFFER_SIZE)
		flush_output(o);
	return o->text + o->used;
}

static void put_segment_record(hex_output *o, uint32_t segment)
{
	char *p = put_prefix(record_space(o), 2, 0, 0x04);
	p = put_byte(p, segment >> 8);
	p = put_byte(p, segment);
	p = put_checksum(p, 2 + 0x04 + (segment >> 8) + (segment & 0xFF));
	o->used = static_cast<size_t>(p - o->text);
}

// Writes the data bytes of n cells at *p and returns their sum; *cells_or
// gathers the cells ORed together, negative when one of them is empty.
// Called with the constant HEX_RECORD_BYTES for a full record, where the
// loop unrolls.
static inline uint32_t put_data(char **p, const image_cell *data, uint32_t n,
				image_cell *cells_or)
{
	uint32_t sum = 0;
	image_cell seen = 0;
	char *q = *p;
#pragma GCC unroll 16
	for (uint32_t k = 0; k < n; k++) {
		uint32_t byte = static_cast<uint32_t>(data[k]) & 0xFF;
		seen |= data[k];
		sum += byte;
		q = put_byte(q, byte);
	}
	*p = q;
	*cells_or = seen;
	return sum;
}

// Number of cells from data[0] on that hold bytes, at most `most`.
static uint32_t bytes_ahead(const image_cell *data, uint32_t most)
{
	uint32_t n = 0;
	while (n < most && data[n] != EMPTY_CELL)
		n++;
	return n;
}

// Writes one data record at the 16-bit address from the cells of data[0 ..],
// up to the first empty cell but at most `most` (1 to HEX_RECORD_BYTES)
// bytes; returns the number of bytes written. A full record is written
// straight away, and written again shorter should one of its cells turn out
// to be empty (EMPTY_CELL is the only negative cell value).
static uint32_t put_data_record(hex_output *o, uint32_t address,
				const image_cell *data, uint32_t most)
{
	char *start = record_space(o);
	char *p = start + 9;
	image_cell seen = -1;
	uint32_t n = HEX_RECORD_BYTES;
	uint32_t sum = 0;
	if (most == HEX_RECORD_BYTES)
		sum = put_data(&p, data, HEX_RECORD_BYTES, &seen);
	if (seen < 0) {
		n = bytes_ahead(data, most);
		p = start + 9;
		sum = put_data(&p, data, n, &seen);
	}
	put_prefix(start, n, address, 0x00);
	p = put_checksum(p, sum + n + (address >> 8) + (address & 0xFF));
	o->used = static_cast<size_t>(p - o->text);
	return n;
}

// Starts an extended linear address record where the upper 16 bits of
// the output address change from *segment.
static void put_segment(hex_output *o, uint32_t address, uint32_t *segment)
{
	if (address >> 16 != *segment) {
		*segment = address >> 16;
		put_segment_record(o, *segment);
	}
}

// The most bytes of a record at address that end no later than cell end:
// a record ends at the 16th byte and at a 64 KiB boundary.
static uint32_t record_room(uint32_t i, uint32_t end, uint32_t address)
{
	uint32_t most = HEX_RECORD_BYTES;
	if (end - i < most)
		most = end - i;
	if (0x10000 - (address & 0xFFFF) < most)
		most = 0x10000 - (address & 0xFFFF);
	return most;
}

// The records of every cell of cells[0 .. count) that holds a byte: a run
// of them ends at a gap, at the end and at a 64 KiB boundary.
static void put_cells(hex_output *o, const image_cell *cells, uint32_t base_address,
		      uint32_t count, uint32_t *segment)
{
	uint32_t i = 0;
	while (i < count) {
		if (cells[i] == EMPTY_CELL) {
			i++;
			continue;
		}
		uint32_t address = base_address + i;
		put_segment(o, address, segment);
		i += put_data_record(o, address & 0xFFFF, cells + i,
				     record_room(i, count, address));
	}
}

// The records of cells 0 to end - 1, each of which holds a byte: those of
// cells[0 .. count), then fill for every cell from count on; one run.
static void put_filled(hex_output *o, const image_cell *cells, uint32_t base_address,
		       uint32_t count, uint32_t end, uint8_t fill, uint32_t *segment)
{
	image_cell record[HEX_RECORD_BYTES];
	for (uint32_t i = 0; i < end;) {
		uint32_t address = base_address + i;
		uint32_t most = record_room(i, end, address);
		const image_cell *run = cells + i;
		if (i + most > count) {
			for (uint32_t k = 0; k < most; k++)
				record[k] = i + k < count ? cells[i + k] : image_cell(fill);
			run = record;
		}
		put_segment(o, address, segment);
		i += put_data_record(o, address & 0xFFFF, run, most);
	}
}

int write_hex_filled(FILE *out, const image_cell *cells, uint32_t base_address, uint32_t count,
		     uint32_t end, uint8_t fill)
{
	if (out == nullptr)
		return 0;
	hex_output o;
	o.out = out;
	o.used = 0;
	uint32_t segment = 0;
	if (end > count)
		put_filled(&o, cells, base_address, count, end, fill, &segment);
	else
		put_cells(&o, cells, base_address, image_used_end(cells, count), &segment);
	flush_output(&o);
	std::fputs(END_OF_FILE_RECORD, out);
	return 0;
}

int write_hex_image(FILE *out, const image_cell *cells, uint32_t base_address,
		    uint32_t count)
{
	return write_hex_filled(out, cells, base_address, count, count, 0);
}

int check_hex_address_range(uint32_t base_address, uint32_t end)
{
	return end > 0 && uint64_t(base_address) + (end - 1) > 0xFFFFFFFFu ? 1 : 0;
}
