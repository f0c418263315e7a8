// The conversion: a program read as Intel HEX or S-record, written as an EEPROM image.
#include "forms/forms.h"
#include "modes/lay_out.h"
#include "modes/modes.h"
#include "platform/files.h"
#include "report/diag.h"

// The files of a conversion: expert-mode data (with -e), program, image.
struct convert_files {
	FILE *expert;
	FILE *program;
	FILE *image;
};

// Opens the inputs first. The output is refused before it is opened, so
// that nothing is changed on disk, when it is one of the inputs.
static int open_files(const run_options *opts, convert_files *f)
{
	f->image = nullptr;
	if (open_inputs(opts, &f->expert, &f->program) != 0)
		return 1;
	if (!refuse_input_as_output(opts->image_file, f->program, f->expert) &&
	    (f->image = open_reported(opts->image_file, FORMS[opts->image_form].open_mode)) != nullptr)
		return 0;
	close_input(f->expert);
	close_input(f->program);
	return 1;
}

// Every form covers the cells that the plan's image covers: the raw bytes
// and the C array each of them, records those that hold a byte, and with a
// fill byte each of them too, the cells without one as the fill byte.
static int write_image(const run_options *opts, FILE *out, const image *img)
{
	const image_output o = {img, 0, plan_covered(&opts->plan), opts->plan.fill != NO_FILL,
				opts->base_address, opts->array_name};
	if (FORMS[opts->image_form].write(out, &o) == WRITE_OK)
		return 0;
	diag_error("Output addresses exceed FFFFFFFFh");
	return 1;
}

int run_convert(const run_options *opts)
{
	convert_files f;
	if (open_files(opts, &f) != 0)
		return 1;
	image *img = plan_image(&opts->plan);
	int status = 1;
	if (img == nullptr)
		diag_error("Out of memory");
	else if (lay_out(opts, f.expert, f.program, img, 0) == 0)
		status = write_image(opts, f.image, img);
	image_free(img);
	close_input(f.expert);
	close_input(f.program);
	return close_reported(f.image, opts->image_file, status);
}
