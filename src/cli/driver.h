// The course of one tarnwick run, from the command line to the exit status.
#ifndef TARNWICK_DRIVER_H
#define TARNWICK_DRIVER_H

// Runs tarnwick on a command line and returns the exit status: 0 when the
// run's mode succeeded (the image written, the image read back without a
// failed check, or no cell differing) or after -h, --help and --version, 1
// after a failure, which has been reported on stderr. Everything it opens or allocates is released before it
// returns, so it can be called more than once in a process. stdout_closed
// says that standard output was closed when the process started (and now
// leads nowhere): a run that prints on it then fails.
int tarnwick_run(int argc, char **argv, int stdout_closed);

#endif
