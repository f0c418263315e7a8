// Reading an image back for --info, --verify and --extract.
#include "cli/read_image.h"

#include "hex/hex_read.h"
#include "image/raw_read.h"
#include "report/diag.h"

static int read_raw(const run_options *opts, FILE *stream, image *img, uint32_t *raw_length)
{
	int status = read_raw_binary(stream, img);
	if (status == RAW_READ_TOO_LONG)
		diag_error("'%s' is longer than 65536 bytes, the largest image", opts->image_file);
	if (status == RAW_READ_ERROR)
		diag_error("Can't read '%s'", opts->image_file);
	*raw_length = image_used_end(img->cells, IMAGE_CELLS);
	return status == RAW_READ_OK ? 0 : 1;
}

static int read_hex(const run_options *opts, FILE *stream, image *img)
{
	uint32_t highest = 0;
	int status = load_hex_image(stream, img->cells, opts->base_address,
				    opts->verify_checksums, &highest);
	if (status == HEX_READ_ERROR)
		diag_error("Can't read '%s'", opts->image_file);
	// Without -b, the image may lie anywhere: name where it begins.
	uint64_t lowest;
	if (status == HEX_DOES_NOT_FIT && opts->base_address == 0 &&
	    hex_lowest_address(stream, &lowest) == 0)
		check_image_origin(lowest);
	return status == HEX_OK ? 0 : 1;
}

int read_image(const run_options *opts, FILE *stream, image *img, uint32_t *raw_length)
{
	*raw_length = 0;
	int failed = opts->image_form == FORM_RAW ? read_raw(opts, stream, img, raw_length)
						  : read_hex(opts, stream, img);
	if (failed == 0 && image_used_end(img->cells, IMAGE_CELLS) == 0) {
		diag_error("No data in '%s'", opts->image_file);
		return 1;
	}
	return failed;
}

info_request info_request_of(const run_options *opts)
{
	bool raw = opts->image_form == FORM_RAW;
	return info_request{raw, fill_of(opts), opts->length_header, opts->program_size,
			    raw ? 0 : opts->base_address};
}
