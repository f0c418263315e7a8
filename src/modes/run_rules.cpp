// The rules of a run that no single option says: what a mode needs of -b, -p and the serial number's options, and the plan of the chip.
#include "modes/run_rules.h"

#include "modes/modes.h"
#include "modes/picture_file.h"
#include "report/diag.h"

// Reading an image back takes an address of 32 bits and needs a program
// memory size to measure the image against.
static int check_read_back(const run_options *opts)
{
	if (MODES[opts->mode].writes)
		return 0;
	if (opts->base_invalid)
		diag_error("Invalid address for -b: give 0 to FFFFFFFF");
	else if (opts->program_size <= 0)
		diag_error("Program memory size must be at least 1 byte");
	else
		return 0;
	return 1;
}

// The options of the serial number go together: its number needs
// --serial, and --serial in a mode that writes an image one source of its
// number.
static int check_serial_options(const run_options *opts)
{
	const char *source = opts->has_serial_number ? "--serial-number"
			     : opts->serial_counter != nullptr ? "--serial-counter"
			     : opts->serial_log != nullptr ? "--serial-log"
							   : nullptr;
	if (source != nullptr && !opts->has_serial)
		diag_error("Option %s needs --serial", source);
	else if (opts->has_serial_number && opts->serial_counter != nullptr)
		diag_error("Options --serial-number and --serial-counter cannot be given together");
	else if (MODES[opts->mode].writes && opts->has_serial && !opts->has_serial_number &&
		 opts->serial_counter == nullptr)
		diag_error("Option --serial needs --serial-number or --serial-counter");
	else
		return 0;
	return 1;
}

int check_run_rules(run_options *opts)
{
	plan_run(opts);
	return check_read_back(opts) || check_serial_options(opts) || check_picture_file(opts);
}
