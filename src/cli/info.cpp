// --info: an image read back, what its header says, and whether it agrees.
#include "cli/files.h"
#include "cli/modes.h"
#include "cli/read_image.h"
#include "report/diag.h"
#include "report/report.h"

int run_info(const run_options *opts)
{
	report r;
	report_begin(&r, stdout, opts->json);
	FILE *stream = open_reported(opts->image_file, "rb");
	image *img = stream != nullptr ? image_alloc() : nullptr;
	int status = 1;
	uint32_t raw_length;
	if (stream != nullptr && img == nullptr)
		diag_error("Out of memory");
	if (img != nullptr && read_image(opts, stream, img, &raw_length) == 0) {
		info_request request = info_request_of(opts);
		status = report_image_info(&r, img, &request);
	}
	report_end(&r);
	image_free(img);
	close_input(stream);
	return status;
}
