// The plan of the chip, built once from the options: its size, the fill byte, the cells in use.
#include "image/chip_plan.h"

chip_plan make_chip_plan(int64_t program_size, uint32_t chip_size, int fill)
{
	uint32_t size = program_size < 0 ? 0 : uint32_t(program_size);
	uint8_t chip_byte = fill != NO_FILL ? uint8_t(fill) : ERASED_BYTE;
	return chip_plan{size, chip_size, fill, chip_byte};
}

image *plan_image(const chip_plan *p)
{
	uint32_t cells = plan_chip_cells(p);
	return image_alloc(cells > IMAGE_CELLS ? cells : IMAGE_CELLS, p->chip_byte);
}

// Cells looked at together, without branches, so that the loops vectorise;
// only a block with a cell in use is looked at cell by cell.
constexpr uint32_t USE_BLOCK = 64;

// Which of the count bytes from p on differ from fill: any, and whether
// every one does, gathered with OR so that the loop vectorises.
static int bytes_in_use(const uint8_t *p, uint32_t count, uint8_t fill)
{
	uint8_t some = 0, some_unused = 0;
	for (uint32_t k = 0; k < count; k++) {
		some |= uint8_t(p[k] ^ fill);
		some_unused |= uint8_t(p[k] == fill);
	}
	return some == 0 ? USE_NONE : some_unused != 0 ? USE_SOME : USE_ALL;
}

int cells_in_use(const image *img, const chip_plan *p, uint32_t first, uint32_t count)
{
	if (p->fill != NO_FILL)
		return bytes_in_use(img->bytes + first, count, uint8_t(p->fill));
	uint32_t end = first + count;
	uint32_t held = image_next_held(img, first, end);
	return held == end ? USE_NONE : image_next_gap(img, held, end) < end || held > first ? USE_SOME
											      : USE_ALL;
}

int64_t last_in_use(const image *img, const chip_plan *p, uint32_t end)
{
	if (p->fill == NO_FILL)
		return int64_t(image_end(img, end)) - 1;
	uint8_t fill = uint8_t(p->fill);
	while (end >= USE_BLOCK && bytes_in_use(img->bytes + end - USE_BLOCK, USE_BLOCK, fill) == USE_NONE)
		end -= USE_BLOCK;
	while (end > 0 && img->bytes[end - 1] == fill)
		end--;
	return int64_t(end) - 1;
}
