// Per-board data in an image: fixed bytes and a serial number written over the program's own, and their checks.
#include "image/patches.h"

#include <cstring>

// The program's byte at address a, or -1 when it holds none there.
static int program_byte(const image *img, const image_layout *l, uint64_t a)
{
	if (a >= l->program_end - l->program_first)
		return -1;
	return image_cell(img, l->program_first + uint32_t(a));
}

static board_finding finding(int kind, int which, uint32_t address, int64_t value, int64_t other)
{
	return board_finding{kind, which, address, value, other};
}

// The addresses that patch i covers (the serial for i = count), and the
// first that it writes.
static void span_of(const byte_patch *patches, int count, const serial_spec *serial, int i,
		    uint64_t *first, uint64_t *written, uint64_t *end)
{
	if (i < count) {
		*first = *written = patches[i].address;
		*end = *first + patches[i].count;
		return;
	}
	serial_cells cells = serial_write(serial, 0);
	*first = serial->address;
	*written = *first + cells.first;
	*end = *first + cells.span;
}

// The first patch that overlaps a later one.
static board_finding check_overlaps(const byte_patch *patches, int count, const serial_spec *serial)
{
	int n = count + (serial != nullptr ? 1 : 0);
	uint64_t first, end, other_first, other_end, written;
	for (int i = 0; i < n; i++)
		for (int j = i + 1; j < n; j++) {
			span_of(patches, count, serial, i, &first, &written, &end);
			span_of(patches, count, serial, j, &other_first, &written, &other_end);
			if (first < other_end && other_first < end)
				return finding(BOARD_OVERLAP, i < count ? i : -1, uint32_t(first),
					       j < count ? j : -1, int64_t(other_first));
		}
	return finding(BOARD_OK, 0, 0, 0, 0);
}

// The first byte that a patch writes where the program holds none.
static board_finding check_placeholder(const image *img, const image_layout *l, int which,
				       uint64_t first, uint64_t end)
{
	for (uint64_t a = first; a < end; a++)
		if (program_byte(img, l, a) < 0)
			return finding(BOARD_NO_BYTE, which, uint32_t(a), -1, -1);
	return finding(BOARD_OK, which, 0, 0, 0);
}

board_finding check_board_data(const image *img, const image_layout *l,
			       const byte_patch *patches, int count, const serial_spec *serial)
{
	board_finding f = check_overlaps(patches, count, serial);
	int n = count + (serial != nullptr ? 1 : 0);
	for (int i = 0; i < n && f.kind == BOARD_OK; i++) {
		uint64_t first, written, end, number;
		span_of(patches, count, serial, i, &first, &written, &end);
		// What the format reads before its number, such as a USB string's
		// descriptor, must be there already.
		if (i == count)
			f = read_serial(img, l->program_first, serial, &number);
		if (f.kind == BOARD_NOT_NUMBER)
			f.kind = BOARD_OK;
		if (f.kind == BOARD_OK)
			f = check_placeholder(img, l, i < count ? i : -1, written, end);
	}
	return f;
}

void apply_board_data(image *img, const image_layout *l, const byte_patch *patches, int count,
		      const serial_spec *serial, uint64_t number)
{
	for (int i = 0; i < count; i++)
		std::memcpy(img->bytes + l->program_first + patches[i].address, patches[i].bytes,
			    patches[i].count);
	if (serial == nullptr)
		return;
	serial_cells cells = serial_write(serial, number);
	std::memcpy(img->bytes + l->program_first + serial->address + cells.first,
		    cells.bytes + cells.first, cells.span - cells.first);
}
