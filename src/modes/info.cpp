// --info: an image read back, what its header says, and whether it agrees.
#include "modes/info_report.h"
#include "modes/modes.h"
#include "modes/picture_file.h"
#include "modes/read_back.h"

static int info(const run_options *opts, read_back *b)
{
	int form;
	uint32_t raw_length;
	if (read_image(opts, opts->image_file, &b->img, &form, &raw_length) != 0)
		return 1;
	info_request request = info_request_of(opts, &opts->plan, raw_length);
	image_facts f;
	int failed = report_image(&b->r, form, b->img, &request, opts->map, &f);
	return draw_image_read(opts, &opts->plan, b->img, form, raw_length, &f) || failed;
}

int run_info(const run_options *opts)
{
	return run_read_back(opts, OTHER_NONE, info);
}
