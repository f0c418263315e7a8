// A run's per-board data: the patches checked and written, the serial number given or taken, the log.
#ifndef TARNWICK_BOARD_H
#define TARNWICK_BOARD_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "image/board_data.h"
#include "image/image.h"
#include "image/layout.h"
#include "modes/run_options.h"

// Whether the run writes per-board data: --set or --serial.
inline bool has_patches(const run_options *opts)
{
	return opts->patch_count > 0 || opts->has_serial;
}

// "5Ah", or for a cell without a byte "no byte", and "no byte or FFh" when
// or_byte (not -1) may stand in its place.
void describe_cell(char *text, size_t size, int64_t cell, int or_byte = -1);

// Reports a finding of per-board data, about the serial number of serial
// (null: none), in the words of the options.
void report_board_finding(const board_finding *f, const serial_spec *serial);

// Checks --set and --serial against the program laid out in img as l says,
// and reports the first finding. Returns 0, or 1 after reporting.
int check_patches(const run_options *opts, const image *img, const image_layout *l);

// Refuses a serial number that does not fit --serial: "Serial number N
// does not fit into 4 bytes", or digits. Returns 0, or 1 after reporting.
int check_serial_fits(const run_options *opts, uint64_t number);

// The serial number of a run and what comes with it: whether it was taken
// from the counter, and the log, open for the line that follows an image.
struct serial_run {
	uint64_t number;
	int taken;
	FILE *log;
	int log_open_line; // the log's last line has no line end yet
};

// Refuses a counter or a log that is the program or the expert-mode file
// (open as program and expert, either null), and a counter, log, image and
// the counter's lock file of which two are one file, also through links or
// before they exist.
// Returns 0, or 1 after reporting.
int refuse_serial_files(const run_options *opts, FILE *program, FILE *expert);

// Gets the serial number of a conversion: --serial-number's, or the next
// one from the counter file, which is locked, read and written back one
// higher, durably, before the lock is let go. The number must fit --serial
// and be in no line of the log, which is opened for appending. Refuses
// everything before anything is taken: returns 0 with *s set, or 1 after
// reporting why, the counter as it was and s->log closed.
int get_serial_number(const run_options *opts, serial_run *s);

// Ends a conversion that got a serial number, with the status of writing
// the image: after a failure, a number taken from the counter is reported
// as taken and not used; else one line goes to the log (when there is
// one): the time, the number, its bytes and address, the names of program
// and image, the form, the chip's CRC-32 and the version, as JSON. Closes
// the log. Returns status, or 1 after reporting a log that could not be
// written.
int finish_serial(const run_options *opts, serial_run *s, const image *img, int status);

#endif
