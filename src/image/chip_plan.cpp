// The plan of the chip, built once from the options: its size, the fill byte, the cells in use.
#include "image/chip_plan.h"

#include <cstring>

chip_plan make_chip_plan(int64_t program_size, uint32_t chip_size, int fill)
{
	uint32_t size = program_size < 0 ? 0 : uint32_t(program_size);
	uint8_t chip_byte = fill != NO_FILL ? uint8_t(fill) : ERASED_BYTE;
	return chip_plan{size, chip_size, fill, chip_byte, 0};
}

uint32_t plan_page(const chip_plan *p, uint64_t size)
{
	static const struct { uint64_t up_to; uint32_t page; } PAGES[] = {
		{256, 8}, {2048, 16}, {8192, 32}, {32768, 64}, {131072, 128}};
	if (p->page_size != 0)
		return p->page_size;
	size = size != 0 ? size : p->chip_size;
	for (const auto &row : PAGES)
		if (size <= row.up_to)
			return row.page;
	return 256;
}

// The cells of the plan's image.
static uint32_t image_cells(const chip_plan *p)
{
	uint32_t cells = plan_chip_cells(p);
	return cells > IMAGE_CELLS ? cells : IMAGE_CELLS;
}

// Beyond the cells that the image covers, and the first held ones, a cell
// without a byte stands for an erased one.
static image *stand_in_beyond(const chip_plan *p, image *img, uint32_t held)
{
	uint32_t covered = plan_covered(p), first = covered > held ? covered : held;
	if (img != nullptr && first < img->size && p->chip_byte != ERASED_BYTE)
		std::memset(img->bytes + first, ERASED_BYTE, img->size + SPARE_CELLS - first);
	return img;
}

image *plan_image(const chip_plan *p)
{
	return stand_in_beyond(p, image_alloc(image_cells(p), p->chip_byte), 0);
}

image *plan_image_over_file(const chip_plan *p, FILE *stream, uint32_t *preloaded)
{
	image *img = image_alloc_over_file(image_cells(p), p->chip_byte, stream, preloaded);
	return stand_in_beyond(p, img, *preloaded);
}

// Cells looked at together, without branches, so that the loops vectorise;
// only a block with a cell in use is looked at cell by cell.
constexpr uint32_t USE_BLOCK = 64;

// Which of the count bytes from p on are in use, that is, differ from both
// unused and also_unused: any, and whether every one is, gathered with OR
// so that the loop vectorises.
static int bytes_in_use(const uint8_t *p, uint32_t count, uint8_t unused, uint8_t also_unused)
{
	uint8_t some = 0, some_unused = 0;
	for (uint32_t k = 0; k < count; k++) {
		uint8_t used = uint8_t(p[k] != unused) & uint8_t(p[k] != also_unused);
		some |= used;
		some_unused |= uint8_t(used ^ 1);
	}
	return some == 0 ? USE_NONE : some_unused != 0 ? USE_SOME : USE_ALL;
}

// The byte that, beside an erased one, is no byte in use beyond the
// program memory: the fill byte, else FFh itself. A cell there without a
// byte holds FFh.
static uint8_t also_unused(const chip_plan *p)
{
	return p->fill != NO_FILL ? uint8_t(p->fill) : ERASED_BYTE;
}

// The same for the cells from first to end - 1, all below the program
// memory's end (or with a known chip size), by the fill byte or the held
// bits.
static int cells_in_use_below(const image *img, const chip_plan *p, uint32_t first, uint32_t end)
{
	if (first >= end)
		return USE_NONE;
	if (p->fill != NO_FILL)
		return bytes_in_use(img->bytes + first, end - first, uint8_t(p->fill), uint8_t(p->fill));
	uint32_t held = image_next_held(img, first, end);
	return held == end ? USE_NONE : image_next_gap(img, held, end) < end || held > first ? USE_SOME
											      : USE_ALL;
}

int cells_in_use(const image *img, const chip_plan *p, uint32_t first, uint32_t count)
{
	uint32_t end = first + count, beyond = plan_beyond(p);
	uint32_t split = beyond < first ? first : beyond < end ? beyond : end;
	int below = cells_in_use_below(img, p, first, split);
	if (split == end)
		return below;
	int above = bytes_in_use(img->bytes + split, end - split, ERASED_BYTE, also_unused(p));
	if (split == first)
		return above;
	return below == above ? below : below == USE_NONE && above == USE_NONE ? USE_NONE : USE_SOME;
}

// The end of the last cell in use from first to end - 1, by the bytes:
// first when none is.
static uint32_t end_of_use(const uint8_t *bytes, uint32_t first, uint32_t end, uint8_t unused,
			   uint8_t also_unused)
{
	while (end - first >= USE_BLOCK &&
	       bytes_in_use(bytes + end - USE_BLOCK, USE_BLOCK, unused, also_unused) == USE_NONE)
		end -= USE_BLOCK;
	while (end > first && (bytes[end - 1] == unused || bytes[end - 1] == also_unused))
		end--;
	return end;
}

// The bytes from p on, count of them, that differ from both unused and
// also_unused, summed without branches so that the loop vectorises.
static uint32_t count_each_in_use(const uint8_t *p, uint32_t count, uint8_t unused,
				  uint8_t also_unused)
{
	uint32_t used = 0;
	for (uint32_t k = 0; k < count; k++)
		used += uint32_t(p[k] != unused) & uint32_t(p[k] != also_unused);
	return used;
}

// Bytes looked at together: a chip is mostly erased, and 256 bytes that
// all hold unused are passed over with one test, made without branches so
// that it vectorises.
constexpr uint32_t COUNT_CHUNK = 256;

static uint32_t count_bytes_in_use(const uint8_t *p, uint32_t count, uint8_t unused,
				   uint8_t also_unused)
{
	uint64_t pattern = 0x0101010101010101u * unused;
	uint32_t used = 0, k = 0;
	for (; count - k >= COUNT_CHUNK; k += COUNT_CHUNK) {
		uint64_t differ = 0;
		for (uint32_t w = 0; w < COUNT_CHUNK; w += 8) {
			uint64_t x;
			std::memcpy(&x, p + k + w, 8);
			differ |= x ^ pattern;
		}
		if (differ != 0)
			used += count_each_in_use(p + k, COUNT_CHUNK, unused, also_unused);
	}
	return used + count_each_in_use(p + k, count - k, unused, also_unused);
}

uint32_t count_in_use(const image *img, const chip_plan *p, uint32_t first, uint32_t end)
{
	uint32_t beyond = plan_beyond(p), split = beyond < first ? first : beyond < end ? beyond : end;
	uint32_t above = count_bytes_in_use(img->bytes + split, end - split, ERASED_BYTE, also_unused(p));
	if (p->fill != NO_FILL)
		return above + count_bytes_in_use(img->bytes + first, split - first, uint8_t(p->fill),
						  uint8_t(p->fill));
	return above + image_count_held(img, first, split);
}

void count_in_use_blocks(const image *img, const chip_plan *p, uint32_t first, uint32_t end,
			 uint32_t block, uint32_t *used)
{
	uint32_t beyond = plan_beyond(p);
	uint8_t also = also_unused(p);
	for (uint32_t k = 0; first < end; k++, first += block) {
		uint32_t stop = end - first < block ? end : first + block;
		if (stop <= beyond && p->fill == NO_FILL)
			used[k] = image_count_held(img, first, stop);
		else if (stop <= beyond)
			used[k] = count_bytes_in_use(img->bytes + first, stop - first, uint8_t(p->fill),
						     uint8_t(p->fill));
		else if (first >= beyond)
			used[k] = count_bytes_in_use(img->bytes + first, stop - first, ERASED_BYTE, also);
		else
			used[k] = count_in_use(img, p, first, stop);
	}
}

int64_t last_in_use(const image *img, const chip_plan *p, uint32_t end)
{
	uint32_t beyond = plan_beyond(p);
	if (end > beyond) {
		uint32_t last = end_of_use(img->bytes, beyond, end, ERASED_BYTE, also_unused(p));
		if (last > beyond)
			return int64_t(last) - 1;
		end = beyond;
	}
	if (p->fill == NO_FILL)
		return int64_t(image_end(img, end)) - 1;
	return int64_t(end_of_use(img->bytes, 0, end, uint8_t(p->fill), uint8_t(p->fill))) - 1;
}
