// The S-record writer: image cells as S1, S2 or S3 records between a header and a count.
#include "forms/srec_writer.h"

#include "forms/record_writer.h"

// Data bytes of a full record.
constexpr uint32_t SREC_RECORD_BYTES = 16;

// The data records' type and address bytes, and how many were written.
struct srec_data {
	uint32_t type;
	uint32_t address_bytes;
	uint32_t records;
};

// One record: S, the type digit, the count (address, data and checksum
// bytes), the address, the data and the ones' complement of their sum.
static void put_record(record_output *o, uint32_t type, uint64_t address, uint32_t address_bytes,
		       const uint8_t *data, uint32_t n)
{
	char *p = record_space(o);
	uint32_t count = address_bytes + n + 1, sum = count;
	*p++ = 'S';
	*p++ = char('0' + type);
	p = put_hex_byte(p, count);
	for (uint32_t i = address_bytes; i-- > 0;) {
		uint32_t byte = uint32_t(address >> (8 * i)) & 0xFF;
		sum += byte;
		p = put_hex_byte(p, byte);
	}
	sum += put_hex_bytes(&p, data, n);
	p = put_hex_byte(p, ~sum);
	*p++ = '\n';
	record_done(o, p);
}

static void put_data(void *state, record_output *o, uint64_t address, const uint8_t *data,
		     uint32_t n)
{
	srec_data *d = static_cast<srec_data *>(state);
	put_record(o, d->type, address, d->address_bytes, data, n);
	d->records++;
}

int write_srec(FILE *out, const image_output *io)
{
	int64_t last = last_output_address(io);
	if (last > 0xFFFFFFFF)
		return WRITE_PAST_ADDRESSES;
	srec_data d = last <= 0xFFFF ? srec_data{1, 2, 0} : last <= 0xFFFFFF ? srec_data{2, 3, 0}
									: srec_data{3, 4, 0};
	record_output o;
	record_begin(&o, out);
	put_record(&o, 0, 0, 2, nullptr, 0);
	put_record_runs(&o, io, SREC_RECORD_BYTES, 0, put_data, &d);
	if (d.records <= 0xFFFF)
		put_record(&o, 5, d.records, 2, nullptr, 0);
	else
		put_record(&o, 6, d.records, 3, nullptr, 0);
	// S9 ends S1 records, S8 S2 and S7 S3.
	put_record(&o, 10 - d.type, 0, d.address_bytes, nullptr, 0);
	record_end(&o);
	return WRITE_OK;
}
