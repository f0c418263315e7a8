// The Intel HEX loader: reads Intel HEX text into image cells.
#include "hex/hex_read.h"

#include "hex/hex_digits.h"

enum {
	RECORD_DATA = 0x00,
	RECORD_END_OF_FILE = 0x01,
	RECORD_SEGMENT_ADDRESS = 0x02,
	RECORD_START_SEGMENT = 0x03,
	RECORD_LINEAR_ADDRESS = 0x04,
	RECORD_START_LINEAR = 0x05,
};

// The fields of one record's prefix and the running sum of its bytes.
struct hex_record {
	const char *pos;
	uint32_t count;
	uint32_t offset;
	uint32_t type;
	uint32_t sum;
};

static const char *skip_white_space(const char *p)
{
	while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
		p++;
	return p;
}

static bool read_prefix(hex_record *rec, const char *line)
{
	rec->pos = skip_white_space(line);
	if (*rec->pos != ':')
		return false;
	rec->pos++;
	if (!hex_read_field(&rec->pos, 2, &rec->count) ||
	    !hex_read_field(&rec->pos, 4, &rec->offset) ||
	    !hex_read_field(&rec->pos, 2, &rec->type))
		return false;
	rec->sum = rec->count + (rec->offset >> 8) + (rec->offset & 0xFF) +
		   rec->type;
	return true;
}

// Reads one field of `digits` digits and adds its bytes to the sum.
static bool read_summed(hex_record *rec, int digits, uint32_t *value)
{
	if (!hex_read_field(&rec->pos, digits, value))
		return false;
	rec->sum += (*value >> 8) + (*value & 0xFF);
	return true;
}

static int read_data(hex_record *rec, image_cell *cells, uint32_t limit,
		     uint32_t base, uint32_t *highest)
{
	for (uint32_t i = 0; i < rec->count; i++) {
		uint32_t byte;
		if (!read_summed(rec, 2, &byte))
			return HEX_BAD_FORMAT;
		uint64_t address = uint64_t(base) + rec->offset + i;
		if (address >= limit)
			return HEX_DOES_NOT_FIT;
		if (address > *highest)
			*highest = static_cast<uint32_t>(address);
		cells[address] = static_cast<image_cell>(byte);
	}
	return HEX_OK;
}

// Reads and sums the bytes of a record that stores nothing.
static int skip_bytes(hex_record *rec)
{
	uint32_t byte;
	for (uint32_t i = 0; i < rec->count; i++)
		if (!read_summed(rec, 2, &byte))
			return HEX_BAD_FORMAT;
	return HEX_OK;
}

static int read_base(hex_record *rec, int shift, uint32_t *segment_base)
{
	uint32_t value;
	if (!read_summed(rec, 4, &value))
		return HEX_BAD_FORMAT;
	*segment_base = value << shift;
	return HEX_OK;
}

static int read_body(hex_record *rec, image_cell *cells, uint32_t limit,
		     uint32_t *segment_base, uint32_t *highest)
{
	switch (rec->type) {
	case RECORD_DATA:
		return read_data(rec, cells, limit, *segment_base, highest);
	case RECORD_END_OF_FILE:
		return HEX_OK;
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

// The checks run in one order: prefix, body by type, checksum field, sum.
int parse_hex_line(const char *line, image_cell *cells, uint32_t limit,
		   uint32_t *segment_base, uint32_t *highest)
{
	hex_record rec;
	if (!read_prefix(&rec, line))
		return HEX_BAD_FORMAT;
	int status = read_body(&rec, cells, limit, segment_base, highest);
	if (status != HEX_OK)
		return status;
	uint32_t checksum;
	if (!hex_read_field(&rec.pos, 2, &checksum))
		return HEX_BAD_FORMAT;
	return checksum == ((0x100 - (rec.sum & 0xFF)) & 0xFF)
		       ? HEX_OK
		       : HEX_CHECKSUM_ERROR;
}

int load_hex_file(FILE *stream, image_cell *cells, int verify_checksums,
		  uint32_t limit, uint32_t *highest)
{
	char line[LINE_BUFFER_SIZE];
	int line_number = 0;
	int status = HEX_OK;
	uint32_t segment_base = 0;

	while (std::fgets(line, sizeof line, stream) != nullptr) {
		line_number++;
		int result = parse_hex_line(line, cells, limit, &segment_base,
					    highest);
		if (result == HEX_OK)
			continue;
		if (result == HEX_CHECKSUM_ERROR) {
			if (verify_checksums == 1) {
				std::fprintf(stderr,
					     "ERROR: Checksum error on line %d\n",
					     line_number);
				status = HEX_CHECKSUM_ERROR;
			}
			continue;
		}
		if (result == HEX_DOES_NOT_FIT)
			std::fputs("ERROR: Hex file contents does not fit into "
				   "available memory",
				   stderr);
		else
			std::fprintf(stderr,
				     "ERROR: Invalid Intel hex format on line %d\n",
				     line_number);
		return result;
	}
	return std::ferror(stream) ? HEX_READ_ERROR : status;
}
