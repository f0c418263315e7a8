// The options of tarnwick: one table holds each, and the scanner, the mode checks and --help are made from it.
#ifndef TARNWICK_OPTIONS_H
#define TARNWICK_OPTIONS_H

#include "modes/modes.h"

// Bits of the modes that take an option, MODE_ numbers as bit numbers.
enum {
	IN_CONVERT = 1 << MODE_CONVERT,
	IN_INFO = 1 << MODE_INFO,
	IN_VERIFY = 1 << MODE_VERIFY,
	IN_EXTRACT = 1 << MODE_EXTRACT,
	IN_DIFF = 1 << MODE_DIFF,
	IN_UPDATE = 1 << MODE_UPDATE,
	IN_READ_BACK = IN_INFO | IN_VERIFY | IN_EXTRACT,
	IN_EVERY_MODE = (1 << MODE_COUNT) - 1,
};

// The options, OPTION_TABLE[] in this order, the order of --help.
enum {
	OPT_CRYSTAL,
	OPT_SLOW_CLOCK,
	OPT_PROGRAM_SIZE,
	OPT_IGNORE_CHECKSUMS,
	OPT_LENGTH_HEADER,
	OPT_EXPERT,
	OPT_BASE_ADDRESS,
	OPT_ARRAY,
	OPT_BINARY,
	OPT_SREC,
	OPT_FILL,
	OPT_EEPROM_SIZE,
	OPT_SET,
	OPT_SERIAL,
	OPT_SERIAL_NUMBER,
	OPT_SERIAL_COUNTER,
	OPT_SERIAL_LOG,
	OPT_INFO,
	OPT_VERIFY,
	OPT_EXTRACT,
	OPT_DIFF,
	OPT_UPDATE,
	OPT_PAGE_SIZE,
	OPT_DRY_RUN,
	OPT_JSON,
	OPT_MAP,
	OPT_PICTURE,
	OPT_USAGE,
	OPT_HELP,
	OPT_VERSION,
	OPTION_COUNT
};

// One option: its OPT_ value, its letter (0 for an option that has only a
// long name), its long name (null for a short option), whether it takes a
// value, the modes that take it (IN_ bits), and its entry in --help: the
// option with its value's name, and the text, whose line feeds begin lines
// of their own. An option whose long name is a mode's option asks for
// that mode.
struct option_row {
	int id;
	int letter;
	const char *long_name;
	int takes_value;
	int modes;
	const char *term;
	const char *help;
};

extern const option_row OPTION_TABLE[OPTION_COUNT];

// Results of scan_options: go on with the run, or end it after --help (on
// stdout), after -h (on stderr), or after an error.
enum { SCAN_CONTINUE = 0, SCAN_HELP = 1, SCAN_ERROR = 2, SCAN_USAGE = 3 };

// Scans argv with getopt_long (GNU permutation, "--", POSIXLY_CORRECT, long
// options that may be abbreviated) into opts, whose strings point into
// argv; whatever the result, free what opts owns with release_run_options
// when it has served. Returns SCAN_CONTINUE with the file names of the
// mode set and the mode's rules checked; SCAN_USAGE after printing the
// usage text for -h, SCAN_HELP after the help text for --help; SCAN_ERROR
// after reporting a bad option or value, a wrong number of file names, a
// second mode, an option that the mode does not take, or a rule of the
// mode broken.
int scan_options(int argc, char **argv, run_options *opts);

// Returns 1 when getopt_long would read --version (or an abbreviation of
// it) as an option somewhere on the command line, else 0. Prints nothing;
// argv itself is left as it is.
int asks_for_version(int argc, char **argv);

#endif
