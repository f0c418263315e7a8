// Tests of the serial number formats: numbers written and read back in each.
#include "image/serial_formats.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

// Each form at a width, written and read back; and cells that do not read
// as a number of the form ('.' a cell without a byte), with the finding's
// byte (-1 none, -2 past 2^64 - 1) and cell.
TEST(serial_number, reads_back_what_it_writes_and_names_what_it_cannot)
{
	const struct { int format; uint32_t width; const char *cells; uint64_t number; int byte, cell; } cases[] = {
		{SERIAL_LE, 2, "\x34\x12", 0x1234, 0, 0},
		{SERIAL_BE, 2, "\x12\x34", 0x1234, 0, 0},
		{SERIAL_DEC, 4, "0042", 42, 0, 0},
		{SERIAL_HEX, 4, "BEEF", 0xBEEF, 0, 0},
		{SERIAL_USB, 2, "\x06\x03" "4\x00" "2\x00", 42, 0, 0},
		{SERIAL_USBHEX, 1, "\x04\x03" "F\x00", 15, 0, 0},
		{SERIAL_LE, 2, "\x34.", 0, -1, 1},
		{SERIAL_LE, 3, "\x34..", 0, -1, 1},
		{SERIAL_DEC, 4, "00x2", 0, 'x', 2},
		{SERIAL_HEX, 2, "be", 0, 'b', 0},
		{SERIAL_USB, 2, "\x06\x03" "4\x01" "2\x00", 0, 1, 3},
		{SERIAL_DEC, 20, "99999999999999999999", 0, -2, 19},
	};
	for (const auto &c : cases) {
		scoped_image img;
		serial_spec s = {0x10, c.format, c.width};
		serial_cells cells = serial_write(&s, c.byte == 0 ? c.number : 0);
		for (uint32_t i = 0; i < cells.span; i++)
			if (c.cells[i] != '.')
				image_put(img.get(), 3 + 0x10 + i, uint8_t(c.cells[i]));
		uint64_t number = 0;
		board_finding f = read_serial(img.get(), 3, &s, &number);
		EXPECT_EQ(c.byte == 0 ? BOARD_OK : BOARD_NOT_NUMBER, f.kind) << c.cells;
		EXPECT_TRUE(c.byte == 0 ? number == c.number : f.value == c.byte && f.other == 3 + 0x10 + c.cell)
			<< c.cells;
		uint32_t n = c.byte == 0 ? cells.span - cells.first : 0;
		EXPECT_EQ(std::string(c.cells + cells.first, n), std::string((char *)cells.bytes + cells.first, n));
	}
}

} // namespace
