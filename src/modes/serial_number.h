// The serial number of a run: given or taken from the counter, checked against the log, logged.
#ifndef TARNWICK_SERIAL_NUMBER_H
#define TARNWICK_SERIAL_NUMBER_H

#include <cstdint>
#include <cstdio>

#include "image/image.h"
#include "modes/run_options.h"
#include "modes/serial_log.h"

// The serial number of a run and what comes with it: whether it was taken
// from the counter, and the log, open and locked for the line that follows
// an image.
struct serial_run {
	uint64_t number;
	int taken;
	serial_log log;
};

// Refuses a counter or a log that is the program or the expert-mode file
// (open as program and expert, either null), and two of the image, the
// counter, the log and the counter's lock file and new file that are one
// file, also through links or before they exist. Returns 0, or 1 after
// reporting.
int refuse_serial_files(const run_options *opts, FILE *program, FILE *expert);

// Gets the serial number of a run that writes an image: --serial-number's,
// or the next one from the counter file, under its lock, written back one
// higher durably before the lock is let go. The log, when there is one, is
// opened and locked first and stays locked until finish_serial: the number
// must fit --serial and be in no line of it. Refuses everything before
// anything is taken: returns 0 with *s set, or 1 after reporting why, the
// counter as it was and the log closed; but a counter whose new number
// may not have reached the disk is reported with the number as taken and
// not used.
int get_serial_number(const run_options *opts, serial_run *s);

// Adds the line of an image written with the serial number to the log,
// which must be open: the time, the number, its bytes and address, the
// names of program and image, the form (form_name), the chip's CRC-32 (of
// img) and the version, as JSON. Returns 0, or 1 after reporting.
int log_serial(const run_options *opts, serial_run *s, const image *img, const char *form_name);

// Ends a run that got a serial number, with its status: after a failure, a
// number taken from the counter is reported as taken and not used. Closes
// the log, which lets go of its lock. Returns status, or 1 after reporting
// a log that could not be closed.
int end_serial(const run_options *opts, serial_run *s, int status);

#endif
