// The options of tarnwick: one table holds each, and the scanner, the mode checks and --help are made from it.
#ifndef TARNWICK_OPTIONS_H
#define TARNWICK_OPTIONS_H

#include "modes/run_options.h"

// Bits of the modes that take an option, MODE_ numbers as bit numbers.
enum {
	IN_CONVERT = 1 << MODE_CONVERT,
	IN_INFO = 1 << MODE_INFO,
	IN_VERIFY = 1 << MODE_VERIFY,
	IN_EXTRACT = 1 << MODE_EXTRACT,
	IN_READ_BACK = IN_INFO | IN_VERIFY | IN_EXTRACT,
	IN_EVERY_MODE = IN_CONVERT | IN_READ_BACK,
};

// The codes of the options that have only a long name, beyond every
// character.
enum {
	OPTION_BINARY = 256,
	OPTION_EEPROM_SIZE,
	OPTION_EXTRACT,
	OPTION_FILL,
	OPTION_HELP,
	OPTION_INFO,
	OPTION_JSON,
	OPTION_MAP,
	OPTION_SERIAL,
	OPTION_SERIAL_COUNTER,
	OPTION_SERIAL_LOG,
	OPTION_SERIAL_NUMBER,
	OPTION_SET,
	OPTION_SREC,
	OPTION_VERIFY,
	OPTION_VERSION,
};

// One option: its code (the letter of a short option, else an OPTION_
// code), its long name (null for a short option), whether it takes a
// value, the modes that take it (IN_ bits), and its entry in --help: the
// option with its value's name, and the text, whose line feeds begin lines
// of their own.
struct option_row {
	int code;
	const char *long_name;
	int takes_value;
	int modes;
	const char *term;
	const char *help;
};

// The table, in the order of --help.
extern const option_row OPTION_TABLE[];
extern const int OPTION_COUNT;

// Results of scan_options: go on with the run, or end it after --help (on
// stdout), after -h (on stderr), or after an error.
enum { SCAN_CONTINUE = 0, SCAN_HELP = 1, SCAN_ERROR = 2, SCAN_USAGE = 3 };

// Scans argv with getopt_long (GNU permutation, "--", POSIXLY_CORRECT, long
// options that may be abbreviated) into opts, whose strings point into
// argv; whatever the result, free what opts owns with release_run_options
// when it has served. Returns SCAN_CONTINUE with the file names of the mode set;
// SCAN_USAGE after printing the usage text for -h, SCAN_HELP after the
// help text for --help; SCAN_ERROR after reporting a bad option, crystal
// frequency, program size, fill byte, file count, a second mode, or an
// option that the mode does not take.
int scan_options(int argc, char **argv, run_options *opts);

// Returns 1 when getopt_long would read --version (or an abbreviation of
// it) as an option somewhere on the command line, else 0. Prints nothing;
// argv itself is left as it is.
int asks_for_version(int argc, char **argv);

#endif
