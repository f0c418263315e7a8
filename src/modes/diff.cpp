// --diff: two read-outs of chips compared cell by cell.
#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "forms/forms.h"
#include "image/crc32.h"
#include "image/header.h"
#include "image/image_compare.h"
#include "modes/info_report.h"
#include "modes/modes.h"
#include "modes/picture_file.h"
#include "modes/read_back.h"
#include "platform/memory.h"
#include "report/diag.h"

// One of the two images: its name, cells, the form it was read in and the
// number of its raw bytes (0 for records).
struct diff_side {
	const char *name;
	image *img;
	int form;
	uint32_t raw_length;
};

// The first cell of the program that the header names, or -1 when its
// cell holds no byte.
static int64_t program_start(const run_options *opts, const image *img)
{
	return opts->length_header ? int64_t(LENGTH_HEADER_CELLS) : decode_boot_header(img).start_cell;
}

// "format a", "crc32 a" and the like: the key and the side's letter.
static void put_side(report *r, const run_options *opts, const diff_side *s, const char *letter)
{
	char key[32], crc[16];
	std::snprintf(key, sizeof key, "format %s", letter);
	report_text(r, key, FORMS[s->form].name);
	std::snprintf(crc, sizeof crc, "%08" PRIX32,
		      image_crc32(s->img, covered_cells(&opts->plan, s->raw_length)));
	std::snprintf(key, sizeof key, "crc32 %s", letter);
	report_text(r, key, crc);
}

static void report_pairs(const diff_side *a, const diff_side *b, const cell_pair *pairs,
			 uint32_t count)
{
	for (uint32_t i = 0; i < count && i < NAMED_DIFFERENCES; i++)
		diag_error("Cell %u holds %02Xh in '%s', %02Xh in '%s'", unsigned(pairs[i].cell),
			   unsigned(pairs[i].a), a->name, unsigned(pairs[i].b), b->name);
	report_more_differences(count);
}

// The text of a cell in which the two images differ: "55h in a, FFh in b".
static void describe_pair(const void *context, uint32_t cell, char *text, size_t size)
{
	const diff_side *sides = static_cast<const diff_side *>(context);
	std::snprintf(text, size, "%02Xh in a, %02Xh in b", unsigned(sides[0].img->bytes[cell]),
		      unsigned(sides[1].img->bytes[cell]));
}

// With --picture, draws image a, its cells that differ from image b
// marked.
static int draw(const run_options *opts, const diff_side *sides, const uint64_t *differing)
{
	if (opts->picture_file == nullptr)
		return 0;
	const diff_side *a = &sides[0];
	uint32_t covered = covered_cells(&opts->plan, a->raw_length);
	picture_request r = picture_of(opts, &opts->plan, a->name, a->form, a->img, covered,
				       image_crc32(a->img, covered), program_start(opts, a->img), 0);
	r.against = sides[1].name;
	r.cells.differing = differing;
	r.describe = describe_pair;
	r.context = sides;
	return write_picture_file(opts, &r);
}

// The report, then the cells that differ: the header's checks are not
// made, as a broken board is what one compares.
static int compare(const run_options *opts, read_back *b, const diff_side *sides)
{
	uint64_t *differing = new_cell_set(b->img->size);
	if (differing == nullptr)
		return 1;
	cell_pair pairs[NAMED_DIFFERENCES];
	uint32_t count = image_diff(sides[0].img, sides[1].img, pairs, NAMED_DIFFERENCES, differing);
	put_side(&b->r, opts, &sides[0], "a");
	put_side(&b->r, opts, &sides[1], "b");
	report_number(&b->r, "differing cells", count);
	const char *serial_keys[2] = {"serial a", "serial b"};
	for (int i = 0; i < 2 && opts->has_serial; i++)
		put_serial(&b->r, serial_keys[i], sides[i].img, program_start(opts, sides[i].img),
			   &opts->serial);
	if (opts->map)
		report_map(&b->r, sides[0].img, &opts->plan, differing);
	if (!opts->json)
		std::fflush(stdout);
	report_pairs(&sides[0], &sides[1], pairs, count);
	int drawn = draw(opts, sides, differing);
	std::free(differing);
	return count == 0 && drawn == 0 ? 0 : 1;
}

static int diff(const run_options *opts, read_back *b)
{
	diff_side sides[2] = {{opts->image_file, nullptr, 0, 0},
			      {opts->second_image_file, nullptr, 0, 0}};
	image **images[2] = {&b->img, &b->other};
	for (int i = 0; i < 2; i++) {
		int failed = read_image(opts, sides[i].name, images[i], &sides[i].form,
					&sides[i].raw_length);
		sides[i].img = *images[i];
		if (failed)
			return 1;
	}
	return compare(opts, b, sides);
}

int run_diff(const run_options *opts)
{
	return run_read_back(opts, OTHER_NONE, diff);
}
