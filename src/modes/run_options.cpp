// The command line of one run, as the option scanner leaves it, and the plan of the chip it describes.
#include "modes/run_options.h"

#include <cstdlib>

int fill_for(int mode, int image_form, int fill_byte)
{
	if (fill_byte != NO_FILL)
		return fill_byte;
	return image_form == FORM_RAW || mode == MODE_VERIFY ? ERASED_BYTE : NO_FILL;
}

const char *form_option(int form)
{
	static const char *const OPTIONS[FORM_COUNT] = {"", "--srec", "-a", "--binary"};
	return OPTIONS[form];
}

void plan_run(run_options *opts)
{
	opts->plan = make_chip_plan(opts->program_size, opts->eeprom_size,
				    fill_for(opts->mode, opts->image_form, opts->fill_byte));
}

void release_run_options(run_options *opts)
{
	std::free(opts->patches);
	opts->patches = nullptr;
	opts->patch_count = 0;
}
