// Checks of --set and --serial against the program laid out, and their findings in the words of the options.
#ifndef TARNWICK_PATCH_CHECKS_H
#define TARNWICK_PATCH_CHECKS_H

#include <cstddef>
#include <cstdint>

#include "image/patches.h"
#include "image/image.h"
#include "image/layout.h"
#include "modes/run_options.h"

// Whether the run writes per-board data: --set or --serial.
inline bool has_patches(const run_options *opts)
{
	return opts->patch_count > 0 || opts->has_serial;
}

// "5Ah", or for a cell without a byte "no byte", and "no byte or FFh" when
// or_byte (not -1) may stand in its place, "no byte, FFh or 00h" when an
// erased byte may too.
void describe_cell(char *text, size_t size, int64_t cell, int or_byte = -1, int erased = 0);

// Reports a finding of per-board data, about the serial number of serial
// (null: none), in the words of the options.
void report_board_finding(const board_finding *f, const serial_spec *serial);

// Checks --set and --serial against the program laid out in img as l says,
// and reports the first finding. Returns 0, or 1 after reporting.
int check_patches(const run_options *opts, const image *img, const image_layout *l);

// Refuses a serial number that does not fit --serial: "Serial number N
// does not fit into 4 bytes", or digits. Returns 0, or 1 after reporting.
int check_serial_fits(const run_options *opts, uint64_t number);

#endif
