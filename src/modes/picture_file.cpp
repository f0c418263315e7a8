// The picture of a run's image: its file checked before the run, its cells' kinds told by the run's options, and the file written beside the report.
#include "modes/picture_file.h"

#include <cstdlib>
#include <cstring>

#include "image/header_cells.h"
#include "modes/modes.h"
#include "modes/read_back.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "report/diag.h"

// Whether the picture's target is the file of name (null: none): an
// input, or another output of the run, which is then named.
static int check_other_file(const run_options *opts, const char *target, const char *name)
{
	if (name == nullptr)
		return 0;
	char *other = output_target(name);
	int same = other == nullptr || names_one_file(target, other);
	std::free(other);
	if (!same)
		return 0;
	bool output = opts->mode == MODE_EXTRACT && name != opts->image_file;
	if (output)
		diag_error("Output files '%s' and '%s' are one file", name, opts->picture_file);
	else
		diag_error("Output file '%s' is also an input file", opts->picture_file);
	return 1;
}

// The picture's own file: not the one that the report goes to, and one
// beside which a new file can be made, so that no half-written picture is
// left. Returns 0, or 1 after reporting.
static int check_own_file(const char *name, const char *target)
{
	int kind = output_kind(target);
	if (is_same_file(name, stdout))
		diag_error("Output file '%s' is also the standard output", name);
	else if (kind == OUTPUT_CANNOT_OPEN)
		diag_error("Can't open '%s'", name);
	else if (kind == OUTPUT_IN_PLACE)
		diag_error("Can't make a new file beside '%s'", name);
	else
		return 0;
	return 1;
}

int check_picture_file(const run_options *opts)
{
	if (opts->picture_file == nullptr)
		return 0;
	char *target = output_target(opts->picture_file);
	if (target == nullptr) {
		diag_error("Out of memory");
		return 1;
	}
	const char *others[] = {opts->image_file, opts->second_image_file, opts->program_file,
				opts->expert_file, opts->serial_counter, opts->serial_log};
	int failed = 0;
	for (const char *name : others)
		if (!failed)
			failed = check_other_file(opts, target, name);
	if (!failed)
		failed = check_own_file(opts->picture_file, target);
	std::free(target);
	return failed;
}

// The cells of the serial number of a program that begins in cell start:
// those that its format writes.
static cell_range serial_range(const run_options *opts, int64_t start)
{
	if (!opts->has_serial || start < 0)
		return {0, 0};
	serial_cells c = serial_write(&opts->serial, 0);
	uint64_t first = uint64_t(start) + opts->serial.address;
	uint64_t end = first + c.span, written = first + c.first;
	return {written < UINT32_MAX ? uint32_t(written) : UINT32_MAX,
		end < UINT32_MAX ? uint32_t(end) : UINT32_MAX};
}

picture_request picture_of(const run_options *opts, const chip_plan *plan, const char *name,
			   int form, const image *img, uint32_t covered, uint32_t crc, int64_t start,
			   int patches)
{
	picture_request r = {};
	r.name = name;
	r.form = FORMS[form].name;
	r.covered = covered;
	r.crc = crc;
	r.cells.img = img;
	r.cells.plan = plan;
	r.cells.header_cells = opts->length_header ? LENGTH_HEADER_CELLS : BOOT_HEADER_CELLS;
	r.cells.start = start;
	r.cells.serial = serial_range(opts, start);
	r.cells.patches = patches ? opts->patches : nullptr;
	r.cells.patch_count = patches ? opts->patch_count : 0;
	return r;
}

int write_picture_file(const run_options *opts, const picture_request *r)
{
	staged_output o = {opts->picture_file, 1, nullptr, 0, nullptr, nullptr};
	if (stage_outputs(&o, 1, nullptr) != 0)
		return 1;
	FILE *out = open_staged(&o);
	int failed = out == nullptr;
	if (!failed)
		failed = close_staged(&o, write_picture(out, r));
	return finish_staged(&o, 1, failed);
}

int draw_image_read(const run_options *opts, const chip_plan *plan, const image *img, int form,
		    uint32_t raw_length, const image_facts *f)
{
	if (opts->picture_file == nullptr)
		return 0;
	picture_request r = picture_of(opts, plan, opts->image_file, form, img,
				       covered_cells(plan, raw_length), f->crc32, f->start, 0);
	return write_picture_file(opts, &r);
}

picture_request picture_of_layout(const run_options *opts, int form, const image *img,
				  uint32_t covered, uint32_t crc, const image_layout *l,
				  const uint64_t *differing, cell_describer describe,
				  const void *context)
{
	picture_request r = picture_of(opts, &opts->plan, opts->image_file, form, img, covered, crc,
				       l->program_first, 1);
	r.against = opts->program_file;
	r.cells.header_cells = l->expert_first;
	r.cells.differing = differing;
	r.describe = describe;
	r.context = context;
	return r;
}
