// The rules of a run that no single option says: what a mode needs of -b, -p and the serial number's options, and the plan of the chip.
#ifndef TARNWICK_RUN_RULES_H
#define TARNWICK_RUN_RULES_H

#include "modes/run_options.h"

// Plans the chip that the options describe (opts->plan), then checks, in
// this order: a mode that reads an image back takes an address of 32 bits
// for -b and a program memory of at least 1 byte; a serial number's
// number, counter or log needs --serial, a number and a counter do not go
// together, and a mode that writes an image needs one of them with
// --serial; the file of --picture is none of the run's other files and
// one that can be written. Returns 0, or 1 after reporting the first rule
// broken.
int check_run_rules(run_options *opts);

#endif
