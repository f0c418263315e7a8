// The table of modes: each mode's option, how it is called, its file names, its report and the function that runs it.
#ifndef TARNWICK_MODES_H
#define TARNWICK_MODES_H

#include "modes/run_options.h"

// What a run does: convert a program into an image (the default), or read
// an image back: report on it (--info), compare it with the image of a
// program (--verify), take the program out of it (--extract), or compare
// it with another image (--diff); or write the image into a chip in place
// (--update). MODES[] in this order.
enum { MODE_CONVERT = 0, MODE_INFO, MODE_VERIFY, MODE_EXTRACT, MODE_DIFF, MODE_UPDATE, MODE_COUNT };

// What a file name on the command line is to a mode: the program (read, or
// written by --extract), the image (written, read back, or the chip that
// --update writes), the expert-mode data (written by --extract), or a
// second image read back.
enum { NAME_PROGRAM, NAME_IMAGE, NAME_EXPERT, NAME_SECOND_IMAGE };

// Most file names a mode takes.
constexpr int MOST_NAMES = 3;

// One mode:
// - id: its MODE_ value, its place in the table;
// - option: the long option that asks for it ("--info"), or null for the
//   conversion, which has none;
// - call: the line that says how to call it, printed for a wrong number of
//   file names ("Give one image: ..."); null: the usage text is printed;
// - synopsis: its line in --help's synopsis (a line feed begins another);
// - least_names, most_names, names: how many file names it takes, and
//   what each one is, in order (NAME_);
// - writes: 1 for a mode that writes an image; 0 for one that reads an
//   image back, which takes only an address of 32 bits for -b and a
//   program memory of at least 1 byte;
// - reports: 1 for a mode that reports on the standard output, which must
//   then be open;
// - fill: the byte that a cell without one stands for in an image that is
//   not raw bytes, when --fill is not given: NO_FILL or ERASED_BYTE;
// - run: runs it with the scanned options, reports every failure, and
//   returns the exit status.
struct mode_row {
	int id;
	const char *option;
	const char *call;
	const char *synopsis;
	int least_names;
	int most_names;
	int names[MOST_NAMES];
	int writes;
	int reports;
	int fill;
	int (*run)(const run_options *opts);
};

extern const mode_row MODES[MODE_COUNT];

// The mode whose option is "--" followed by long_name, or -1.
int mode_of_option(const char *long_name);

// The run functions of the modes, one module each.
int run_convert(const run_options *opts);
int run_info(const run_options *opts);
int run_verify(const run_options *opts);
int run_extract(const run_options *opts);
int run_diff(const run_options *opts);
int run_update(const run_options *opts);

#endif
