// What the read-back modes share: the report, the images, reading an image, the differences named.
#include "modes/read_back.h"

#include <cstring>

#include "modes/info_report.h"
#include "modes/input_file.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/platform.h"
#include "report/diag.h"

int run_read_back(const run_options *opts, int other, read_back_mode mode)
{
	// The layout holds the program, which the program memory holds.
	read_back b = {{}, nullptr,
		       other == OTHER_LAYOUT ? image_alloc(IMAGE_CELLS, opts->plan.chip_byte) : nullptr};
	report_begin(&b.r, stdout, opts->json);
	int status = 1;
	if (other == OTHER_LAYOUT && b.other == nullptr)
		diag_error("Out of memory");
	else
		status = mode(opts, &b);
	report_end(&b.r);
	image_free(b.img);
	image_free(b.other);
	return status;
}

// The window of an image: the chip's cells from the -b address on, up to
// FFFFFFFFh at the latest; from address 0 on for raw bytes, whose length
// is measured against a chip of a known size.
static read_window image_window(const run_options *opts, const char *name, image *img)
{
	bool raw = opts->image_form == FORM_RAW;
	uint64_t first = raw ? 0 : opts->base_address;
	uint64_t room = (uint64_t(1) << 32) - first;
	uint64_t cells = plan_chip_cells(&opts->plan);
	uint32_t size = uint32_t(room < cells ? room : cells);
	return read_window{img, 0, first, size, opts->verify_checksums, 0,
			   raw && opts->plan.chip_size != 0, name, 0};
}

// Without -b, the image may lie anywhere: name where it begins.
static void name_origin(const run_options *opts, FILE *stream, int form)
{
	uint64_t lowest;
	image_findings found = {0, {}};
	if (opts->base_address == 0 && probe_lowest_address(stream, form, &lowest) == 0 &&
	    origin_is_suspect(lowest))
		add_finding(&found, FOUND_ORIGIN, int64_t(lowest));
	report_findings(&found);
}

int read_image(const run_options *opts, const char *name, image **img, int *form,
	       uint32_t *raw_length)
{
	FILE *stream = open_reported(name, "rb");
	if (stream == nullptr)
		return 1;
	bool raw = opts->image_form == FORM_RAW;
	uint32_t preloaded = 0;
	*img = raw && is_regular_file(stream) ? plan_image_over_file(&opts->plan, stream, &preloaded)
					      : plan_image(&opts->plan);
	if (*img == nullptr) {
		diag_error("Out of memory");
		close_input(stream);
		return 1;
	}
	read_window w = image_window(opts, name, *img);
	w.preloaded = preloaded;
	read_result r;
	int status = read_input_file(stream, &w, opts->image_form == FORM_RAW, MISFIT_IMAGE, &r, form);
	if (status == READ_DOES_NOT_FIT)
		name_origin(opts, stream, *form);
	*raw_length = status == READ_OK && *form == FORM_RAW ? uint32_t(r.highest) + 1 : 0;
	close_input(stream);
	return status == READ_OK ? 0 : 1;
}

void report_more_differences(uint32_t count)
{
	if (count == NAMED_DIFFERENCES + 1)
		diag_error("1 more cell differs");
	else if (count > NAMED_DIFFERENCES)
		diag_error("%u more cells differ", unsigned(count - NAMED_DIFFERENCES));
}

uint64_t *new_cell_set(uint32_t cells)
{
	size_t bytes = cell_set_words(cells) * sizeof(uint64_t);
	uint64_t *set = static_cast<uint64_t *>(run_calloc(bytes == 0 ? 1 : bytes));
	if (set == nullptr)
		diag_error("Out of memory");
	return set;
}

uint32_t covered_cells(const chip_plan *plan, uint32_t raw_length)
{
	uint32_t covered = plan_covered(plan);
	return raw_length > covered ? raw_length : covered;
}

info_request info_request_of(const run_options *opts, const chip_plan *plan, uint32_t raw_length)
{
	bool raw = opts->image_form == FORM_RAW;
	return info_request{raw, opts->length_header, raw ? 0 : opts->base_address, plan,
			    opts->has_serial ? &opts->serial : nullptr,
			    covered_cells(plan, raw_length)};
}
