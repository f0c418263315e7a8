// --info: an image read back, what its header says, and whether it agrees.
#include "cli/info_report.h"
#include "cli/modes.h"
#include "cli/read_back.h"

static int info(const run_options *opts, report *r, image *img, image *)
{
	int form;
	uint32_t raw_length;
	if (read_image(opts, img, &form, &raw_length) != 0)
		return 1;
	info_request request = info_request_of(opts);
	image_facts f;
	return report_image(r, form, img, &request, &f);
}

int run_info(const run_options *opts)
{
	return run_read_back(opts, 0, info);
}
