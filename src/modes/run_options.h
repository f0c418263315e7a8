// The command line of one run, as the option scanner leaves it, and the plan of the chip it describes.
#ifndef TARNWICK_RUN_OPTIONS_H
#define TARNWICK_RUN_OPTIONS_H

#include <cstdint>

#include "forms/forms.h"
#include "image/patches.h"
#include "image/chip_plan.h"

// Largest program memory size that -p accepts: the cells that can hold a
// program; and the size of a run without -p.
constexpr int32_t MAX_PROGRAM_SIZE = int32_t(IMAGE_CELLS);
constexpr int32_t DEFAULT_PROGRAM_SIZE = 4096;

struct run_options {
	int mode;                 // MODE_ (modes.h)
	int json;                 // 1 after --json: the report as one JSON object
	int map;                  // 1 after --map: the report ends with a map of the image
	const char *picture_file; // --picture: the file to draw the image's cells into, or null
	int verify_checksums;     // 0 after -i
	int32_t program_size;     // -p, bytes; 4096 by default
	uint32_t eeprom_size;     // --eeprom-size, bytes; 0 when not given
	uint32_t page_size;       // --page-size, bytes; 0 when not given
	int dry_run;              // 1 after --dry-run
	int crystal_code;         // -c, 0 to 4; 3 (16 MHz) by default
	int slow_clock;           // 1 after -s
	int length_header;        // 1 after -t
	int image_form;           // FORM_ of the image file: the later of -a, --binary and --srec
	int fill_byte;            // --fill as given: 0 to 255, or NO_FILL
	chip_plan plan;           // the chip that the options describe (plan_run)
	const char *array_name;   // -a: the C array's name, or null
	uint32_t base_address;    // -b: the address of cell 0 in an image of records
	int base_invalid;         // the last -b has a sign, or no value of 32 bits
	const char *program_file; // the program: read, or written by --extract
	const char *image_file;   // the image: written by a conversion, else read
	const char *second_image_file; // the image that --diff compares with the first
	const char *expert_file;  // expert-mode data: -e (read), or --extract's third name
	int patch_count;          // --set, in the order given
	byte_patch *patches;      // patch_count of them, owned (release_run_options)
	int has_serial;           // 1 after --serial
	serial_spec serial;       // --serial: where and how the serial number goes
	int has_serial_number;    // 1 after --serial-number
	uint64_t serial_number;   // --serial-number
	const char *serial_counter; // --serial-counter: the file to take the number from, or null
	const char *serial_log;   // --serial-log: the file to log each number in, or null
};

// The byte that a cell without one stands for in a run of the given mode
// whose image has the given form, given the --fill byte (or NO_FILL): the
// --fill byte; else ERASED_BYTE for a raw image; else the mode's own. The
// one place where the default fill is worked out.
int fill_for(int mode, int image_form, int fill_byte);

// Frees what the options own: the patches of --set.
void release_run_options(run_options *opts);

// Sets opts->plan from the scanned options: the program memory, the
// EEPROM's size and the fill byte of the run's mode and form.
void plan_run(run_options *opts);

#endif
