// The command line of one run, as the option scanner leaves it, and the plan of the chip it describes.
#include "modes/run_options.h"

#include <cstdlib>

#include "modes/modes.h"

int fill_for(int mode, int image_form, int fill_byte)
{
	if (fill_byte != NO_FILL)
		return fill_byte;
	return image_form == FORM_RAW ? ERASED_BYTE : MODES[mode].fill;
}

void plan_run(run_options *opts)
{
	opts->plan = make_chip_plan(opts->program_size, opts->eeprom_size,
				    fill_for(opts->mode, opts->image_form, opts->fill_byte));
	opts->plan.page_size = opts->page_size;
}

void release_run_options(run_options *opts)
{
	std::free(opts->patches);
	opts->patches = nullptr;
	opts->patch_count = 0;
}
