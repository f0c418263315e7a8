// Reading an EEPROM image back: the facts its cells give, and the findings of its checks.
#include "image/image_info.h"

#include "image/crc32.h"

// An image without a base address whose lowest address is this or more was
// most likely written with one.
constexpr uint64_t SUSPECT_ORIGIN = 0x100;

image_facts facts_of(const image *img, const info_request *request)
{
	const chip_plan *p = request->plan;
	uint32_t reach = plan_chip_cells(p);
	image_facts f;
	f.extent = image_end(img, reach);
	f.lenient = p->fill != NO_FILL;
	f.last = last_in_use(img, p, reach);
	uint32_t lowest = image_next_held(img, 0, reach);
	f.lowest = lowest < reach ? int64_t(lowest) : -1;
	for (uint32_t i = 0; i < BOOT_HEADER_CELLS; i++)
		f.cell[i] = image_cell(img, i);
	f.boot = decode_boot_header(img);
	f.length = decode_length_header(img);
	f.start = request->length_header ? int32_t(LENGTH_HEADER_CELLS) : f.boot.start_cell;
	f.crc32 = image_crc32(img, request->cells);
	return f;
}

void add_finding(image_findings *found, int kind, int64_t a, int64_t b, int64_t c)
{
	if (found->count < MOST_FINDINGS)
		found->list[found->count++] = finding{kind, {a, b, c}};
}

// The header cells among the first n that hold no byte.
static void check_header_cells(const image_facts *f, int n, image_findings *found)
{
	int missing = 0;
	for (int i = 0; i < n; i++)
		if (f->cell[i] < 0)
			missing |= 1 << i;
	if (missing != 0)
		add_finding(found, FOUND_HEADER_CELLS, n, missing);
}

static void check_cell0(const image_facts *f, image_findings *found)
{
	if (f->boot.crystal_code >= CRYSTAL_CODES)
		add_finding(found, FOUND_CRYSTAL_CODE, f->cell[0], f->boot.crystal_code);
	if (f->boot.reserved > 0)
		add_finding(found, FOUND_RESERVED_BITS, f->cell[0]);
}

// Cell 2 names the block of the last cell in use; with a fill byte, a block
// at or above it that lies within the image.
static void check_last_block(const image_facts *f, image_findings *found)
{
	int64_t block = f->cell[2];
	if (block < 0 || f->last < 0)
		return;
	int64_t used_block = f->last / HEADER_BLOCK_CELLS;
	int64_t end_block = (f->extent - 1) / HEADER_BLOCK_CELLS;
	if (block == used_block || (f->lenient && block > used_block && block <= end_block))
		return;
	if (block > used_block && f->lenient)
		add_finding(found, FOUND_BLOCK_BEYOND_IMAGE, block, end_block);
	else
		add_finding(found, FOUND_BLOCK_NOT_LAST, block, f->last, used_block);
}

static void check_boot_header(const image_facts *f, image_findings *found)
{
	check_header_cells(f, int(BOOT_HEADER_CELLS), found);
	check_cell0(f, found);
	if (f->start >= 0 && f->start < int32_t(BOOT_HEADER_CELLS))
		add_finding(found, FOUND_START_IN_HEADER, f->start);
	check_last_block(f, found);
}

// The cells behind the length header, as many as it counts, hold the
// program: no cell behind them is in use, and the last of them is (with a
// fill byte: lies within the image).
static void check_length_header(const image_facts *f, const image *img, uint32_t reach,
				image_findings *found)
{
	check_header_cells(f, int(LENGTH_HEADER_CELLS), found);
	int64_t length = f->length;
	if (length < 0)
		return;
	int64_t last = length + LENGTH_HEADER_CELLS - 1;
	if (f->last > last)
		add_finding(found, FOUND_LENGTH_SHORT, length, f->last);
	bool missing = f->lenient || last >= reach ? last >= f->extent : !image_holds(img, uint32_t(last));
	if (missing)
		add_finding(found, FOUND_LENGTH_LONG, length, last, f->lenient);
}

bool origin_is_suspect(uint64_t lowest)
{
	return lowest >= SUSPECT_ORIGIN;
}

int check_image(const image_facts *f, const image *img, const info_request *request,
		image_findings *found)
{
	found->count = 0;
	if (!request->raw && request->base == 0 && f->lowest >= 0 &&
	    origin_is_suspect(uint64_t(f->lowest)))
		add_finding(found, FOUND_ORIGIN, f->lowest);
	if (request->length_header)
		check_length_header(f, img, plan_chip_cells(request->plan), found);
	else
		check_boot_header(f, found);
	// Some cell from the start cell on (cell 2 behind the length header) is
	// in use: a header alone cannot be told from a chip that lost its program.
	if (f->start >= 0 && f->last < f->start)
		add_finding(found, FOUND_NO_PROGRAM, f->start);
	if (f->last >= int64_t(request->plan->program_size))
		add_finding(found, FOUND_BEYOND_PROGRAM_SIZE, f->last, request->plan->program_size);
	return found->count;
}
