// Opening, closing and putting in place the files of a run, each failure reported by the file's name.
#ifndef TARNWICK_FILES_H
#define TARNWICK_FILES_H

#include <cstdio>


// Opens a file with fopen's mode; on failure reports "Can't open" with its
// name and returns null. A directory cannot be read or written as a file:
// it is refused the same way.
FILE *open_reported(const char *name, const char *mode);

// Returns 1 after reporting that the file named output is one of the open
// streams a and b (either may be null), so that it must not be opened for
// writing; else 0.
int refuse_input_as_output(const char *output, FILE *a, FILE *b);

// Closes an output stream and returns status, or 1 after reporting "Can't
// write" when a run that has succeeded so far could not write it
// completely. After any failure the output is left empty.
int close_reported(FILE *out, const char *name, int status);

// Closes a stream that was opened for reading, if any.
void close_input(FILE *stream);

// An output that is put in place only once every output of the run is
// complete: its name as given, whether it is written in binary mode, the
// file that writing it reaches, how that is written (OUTPUT_), and while it
// is written, its stream and the name of the new file beside it.
struct staged_output {
	const char *name;
	int binary;
	char *target;
	int kind;
	char *temp;
	FILE *stream;
};

// Prepares outputs[0 .. n) (n at most 2), before anything is created:
// none may be the file that input has open, the two not one file (also
// through links, and when neither exists yet), and each one that can be
// opened for writing. Reports the first that fails; returns 0, or 1 after
// releasing what it holds.
int stage_outputs(staged_output *outputs, int n, FILE *input);

// Opens a staged output for writing: a new file beside it, or the output
// itself when it is written in place (a device or a file). Returns the
// stream, or null after reporting "Can't open".
FILE *open_staged(staged_output *o);

// Closes a staged output's stream and returns status, or 1 after
// reporting "Can't write" when it could not be written completely.
int close_staged(staged_output *o, int status);

// With status 0, puts each new file in the place of its output; else, or
// when that fails, removes them. Releases what the outputs hold. Returns
// status, or 1 after reporting the output that could not be put in place.
int finish_staged(staged_output *outputs, int n, int status);

#endif
