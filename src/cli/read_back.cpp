// What the three read-back modes share: the report, the images, reading the image.
#include "cli/read_back.h"

#include "cli/files.h"
#include "cli/info_report.h"
#include "cli/read_file.h"
#include "report/diag.h"

int run_read_back(const run_options *opts, int with_layout, read_back_mode mode)
{
	report r;
	report_begin(&r, stdout, opts->json);
	image *img = image_alloc();
	image *layout = with_layout ? image_alloc() : nullptr;
	int status = 1;
	if (img == nullptr || (with_layout && layout == nullptr))
		diag_error("Out of memory");
	else
		status = mode(opts, &r, img, layout);
	report_end(&r);
	image_free(img);
	image_free(layout);
	return status;
}

// The window of an image: IMAGE_CELLS cells from the -b address on, up to
// FFFFFFFFh at the latest; from address 0 on for raw bytes.
static read_window image_window(const run_options *opts, image *img)
{
	bool raw = opts->image_form == FORM_RAW;
	uint64_t first = raw ? 0 : opts->base_address;
	uint64_t room = (uint64_t(1) << 32) - first;
	uint32_t size = room < IMAGE_CELLS ? uint32_t(room) : IMAGE_CELLS;
	return read_window{img->cells, first, size, opts->verify_checksums, MISFIT_ADDRESS, 0,
			   opts->image_file};
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

int read_image(const run_options *opts, image *img, int *form, uint32_t *raw_length)
{
	FILE *stream = open_reported(opts->image_file, "rb");
	if (stream == nullptr)
		return 1;
	read_window w = image_window(opts, img);
	read_result r;
	int status = read_input(stream, &w, opts->image_form == FORM_RAW, &r, form);
	if (status == READ_DOES_NOT_FIT)
		name_origin(opts, stream, *form);
	*raw_length = status == READ_OK && *form == INPUT_RAW ? uint32_t(r.highest) + 1 : 0;
	close_input(stream);
	return status == READ_OK ? 0 : 1;
}

info_request info_request_of(const run_options *opts)
{
	bool raw = opts->image_form == FORM_RAW;
	return info_request{raw, opts->fill, opts->chip_fill, opts->length_header,
			    opts->program_size, raw ? 0 : opts->base_address};
}
