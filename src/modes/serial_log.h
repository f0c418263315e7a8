// The log of serial numbers: locked for a run, read for a number, a line appended for each image.
#ifndef TARNWICK_SERIAL_LOG_H
#define TARNWICK_SERIAL_LOG_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

// A log open for a run: its name as given, its stream (null when none is
// open), whether it is a file that is read for earlier numbers (else a
// device or a pipe, written alone), and whether its last line has no line
// end yet.
struct serial_log {
	const char *name;
	FILE *stream;
	int readable;
	int open_line;
};

// Opens the log for reading and appending, made when missing, and takes
// its lock, waiting while another run holds it: checking it for a number
// and adding that number's line are one step. A pipe or socket without a
// reader is refused at once. Returns 0, or 1 after reporting.
int open_serial_log(const char *name, serial_log *log);

// Refuses a number that the log holds as a "serial". Returns 0, or 1 after
// reporting.
int check_not_logged(serial_log *log, uint64_t number);

// Appends one line of length n to the log, in one write, on a line of its
// own, and puts it on the disk; a line that does not go whole is cut off
// again. Returns 0, or 1 after reporting "Can't write".
int append_log_line(serial_log *log, const char *line, size_t n);

// Closes the log, if open, which lets go of its lock. Returns 0, or 1 when
// the close failed.
int close_serial_log(serial_log *log);

// Checks, without the lock, that the log named holds the number once: 0,
// or 1 after reporting that it holds it not at all or more than once, or
// that it cannot be read. A device or pipe holds no number.
int check_logged_once(const char *name, uint64_t number);

// Checks, without the lock, that the log named, where there is one to
// read, does not hold the number, as a run that writes nothing foresees
// what check_not_logged will find. Returns 0, or 1 after reporting.
int check_not_in_named_log(const char *name, uint64_t number);

#endif
