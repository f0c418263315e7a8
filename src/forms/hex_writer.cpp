// The Intel HEX writer: image cells as data records and an end record.
#include "forms/hex_writer.h"

#include "forms/record_writer.h"

enum { RECORD_DATA = 0x00, RECORD_LINEAR_ADDRESS = 0x04 };

// Data bytes of a full record.
constexpr uint32_t HEX_RECORD_BYTES = 16;

static const char END_OF_FILE_RECORD[] = ":00000001FF\n";

// One record: colon, count, the 16-bit address, type, data, checksum.
static void put_record(record_output *o, uint32_t type, uint32_t address, const uint8_t *data,
		       uint32_t n)
{
	char *p = record_space(o);
	*p++ = ':';
	p = put_hex_byte(p, n);
	p = put_hex_byte(p, address >> 8);
	p = put_hex_byte(p, address);
	p = put_hex_byte(p, type);
	uint32_t sum = n + (address >> 8 & 0xFF) + (address & 0xFF) + type + put_hex_bytes(&p, data, n);
	p = put_hex_byte(p, 0x100 - (sum & 0xFF));
	*p++ = '\n';
	record_done(o, p);
}

// A data record, behind the extended linear address record of its segment
// when the upper 16 bits of the address change from *segment.
static void put_data(void *state, record_output *o, uint64_t address, const uint8_t *data,
		     uint32_t n)
{
	uint32_t *segment = static_cast<uint32_t *>(state);
	uint32_t upper = uint32_t(address >> 16);
	if (upper != *segment) {
		const uint8_t value[2] = {uint8_t(upper >> 8), uint8_t(upper)};
		*segment = upper;
		put_record(o, RECORD_LINEAR_ADDRESS, 0, value, 2);
	}
	put_record(o, RECORD_DATA, uint32_t(address & 0xFFFF), data, n);
}

int write_hex(FILE *out, const image_output *io)
{
	if (last_output_address(io) > 0xFFFFFFFF)
		return WRITE_PAST_ADDRESSES;
	record_output o;
	uint32_t segment = 0;
	record_begin(&o, out);
	put_record_runs(&o, io, HEX_RECORD_BYTES, 0x10000, put_data, &segment);
	record_end(&o);
	std::fputs(END_OF_FILE_RECORD, out);
	return WRITE_OK;
}
