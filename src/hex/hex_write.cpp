// The Intel HEX writer: writes image cells as data records and an end record.
#include "hex/hex_write.h"

#include <cstring>

#include "hex/hex_digits.h"

static const char END_OF_FILE_RECORD[] = ":00000001FF\n";

// The pending record: its byte count, its text after the count (address,
// type and data digits), the sum of its address and data bytes, and the
// address that would continue it.
static uint8_t pending_count;
static char record_text[64];
static uint8_t record_sum;
static uint32_t next_address;
// Upper 16 bits of the output address that the records written so far
// refer to; 0 until an extended linear address record changes it.
static uint32_t current_segment;

static void put_text(FILE *out, const char *text, size_t length)
{
	std::fwrite(text, 1, length, out);
}

// Writes a record from its count, its text after the count and its sum.
static void put_record(FILE *out, uint32_t count, const char *text,
		       size_t text_length, uint32_t sum)
{
	char line[80];
	char *p = line;
	*p++ = ':';
	p = hex_put_digits(p, count, 2);
	std::memcpy(p, text, text_length);
	p += text_length;
	p = hex_put_digits(p, (0x100 - ((sum + count) & 0xFF)) & 0xFF, 2);
	*p++ = '\n';
	put_text(out, line, static_cast<size_t>(p - line));
}

static void flush_pending(FILE *out)
{
	if (pending_count == 0)
		return;
	put_record(out, pending_count, record_text, 6 + 2u * pending_count,
		   record_sum);
	pending_count = 0;
	record_sum = 0;
}

static void put_segment_record(FILE *out, uint32_t segment)
{
	char text[16];
	char *p = hex_put_digits(text, 0, 4);
	p = hex_put_digits(p, 0x04, 2);
	p = hex_put_digits(p, segment, 4);
	put_record(out, 2, text, static_cast<size_t>(p - text),
		   0x04 + (segment >> 8) + (segment & 0xFF));
}

static void add_byte(FILE *out, uint32_t address, int value)
{
	uint32_t byte = static_cast<uint32_t>(value) & 0xFF;

	if (address != next_address || (address >> 16) != current_segment)
		flush_pending(out);
	if ((address >> 16) != current_segment) {
		current_segment = address >> 16;
		put_segment_record(out, current_segment);
	}
	record_sum = static_cast<uint8_t>(record_sum + byte);
	if (pending_count == 0) {
		char *p = hex_put_digits(record_text, address & 0xFFFF, 4);
		hex_put_digits(p, 0x00, 2);
		record_sum = static_cast<uint8_t>(record_sum + ((address >> 8) & 0xFF) +
						  (address & 0xFF));
	}
	hex_put_digits(record_text + 6 + 2 * pending_count, byte, 2);
	pending_count++;
	if (pending_count == HEX_RECORD_BYTES)
		flush_pending(out);
	next_address = address + 1;
}

void emit_hex_byte(FILE *out, uint32_t address, int value, int mode)
{
	if (out == nullptr)
		return;
	switch (mode) {
	case EMIT_RESET:
		pending_count = 0;
		record_sum = 0;
		next_address = 0;
		current_segment = 0;
		break;
	case EMIT_BYTE:
		add_byte(out, address, value);
		break;
	case EMIT_FINISH:
		flush_pending(out);
		put_text(out, END_OF_FILE_RECORD, sizeof END_OF_FILE_RECORD - 1);
		break;
	default:
		break;
	}
}

int write_hex_image(FILE *out, const image_cell *cells, uint32_t base_address,
		    uint32_t count)
{
	if (out == nullptr)
		return 0;
	emit_hex_byte(out, 0, 0, EMIT_RESET);
	for (uint32_t i = 0; i < count; i++)
		if (cells[i] != EMPTY_CELL)
			emit_hex_byte(out, base_address + i, cells[i], EMIT_BYTE);
	emit_hex_byte(out, 0, 0, EMIT_FINISH);
	return 0;
}

int check_hex_address_range(const image_cell *cells, uint32_t base_address,
			    uint32_t count)
{
	uint32_t top = count;
	while (top > 0 && cells[top - 1] == EMPTY_CELL)
		top--;
	if (top == 0)
		return 0;
	return uint64_t(base_address) + (top - 1) > 0xFFFFFFFFu ? 1 : 0;
}
