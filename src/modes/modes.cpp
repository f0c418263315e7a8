// The table of modes: each mode's option, how it is called, its file names, its report and the function that runs it.
#include "modes/modes.h"

#include <cstring>

#include "image/table_rows.h"

constexpr mode_row MODES[] = {
	{MODE_CONVERT, nullptr, nullptr, "tarnwick [options] <infile> <outfile>", 2, 2,
	 {NAME_PROGRAM, NAME_IMAGE}, 1, 0, NO_FILL, run_convert},
	{MODE_INFO, "--info", "Give one image: tarnwick --info [options] <image>",
	 "tarnwick --info [-b address] [-i] [-p size] [-t] [--binary] [--fill=HH]\n"
	 "         [--eeprom-size=N] [--serial=A:F:W] [--json] [--map]\n"
	 "         [--picture=FILE] <image>",
	 1, 1, {NAME_IMAGE}, 0, 1, NO_FILL, run_info},
	{MODE_VERIFY, "--verify",
	 "Give a program and an image: tarnwick --verify [options] <infile> <image>",
	 "tarnwick --verify [options] [--json] [--map] [--picture=FILE]\n"
	 "         <infile> <image>", 2, 2,
	 {NAME_PROGRAM, NAME_IMAGE}, 0, 1, ERASED_BYTE, run_verify},
	{MODE_EXTRACT, "--extract",
	 "Give an image and one or two files to write: tarnwick --extract [options] <image> "
	 "<program.hex> [<expert.hex>]",
	 "tarnwick --extract [-b address] [-i] [-p size] [-t] [--binary]\n"
	 "         [--fill=HH] [--eeprom-size=N] [--serial=A:F:W] [--json] [--map]\n"
	 "         [--picture=FILE] <image> <program.hex> [<expert.hex>]",
	 2, 3, {NAME_IMAGE, NAME_PROGRAM, NAME_EXPERT}, 0, 1, NO_FILL, run_extract},
	{MODE_DIFF, "--diff", "Give two images: tarnwick --diff [options] <image-a> <image-b>",
	 "tarnwick --diff [-b address] [-i] [-p size] [-t] [--binary] [--fill=HH]\n"
	 "         [--eeprom-size=N] [--serial=A:F:W] [--json] [--map]\n"
	 "         [--picture=FILE] <image-a> <image-b>",
	 2, 2, {NAME_IMAGE, NAME_SECOND_IMAGE}, 0, 1, ERASED_BYTE, run_diff},
	{MODE_UPDATE, "--update", "Give a program and a chip: tarnwick --update [options] <infile> <chip>",
	 "tarnwick --update [options] [--page-size=N] [--dry-run] [--json]\n"
	 "         [--picture=FILE] <infile> <chip>", 2, 2,
	 {NAME_PROGRAM, NAME_IMAGE}, 1, 1, ERASED_BYTE, run_update},
};
static_assert(rows_in_order(MODES, MODE_COUNT), "one row for each mode, in the order of MODE_");

int mode_of_option(const char *long_name)
{
	for (const mode_row &m : MODES)
		if (m.option != nullptr && m.option[2] == long_name[0] &&
		    std::strcmp(m.option + 2, long_name) == 0)
			return m.id;
	return -1;
}
