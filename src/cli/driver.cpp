// The course of one tarnwick run: version, banner, options, mode, exit status.
#include "cli/driver.h"

#include <cstdio>

#include "modes/modes.h"
#include "cli/options.h"
#include "cli/usage.h"
#include "report/diag.h"

// What was printed on stdout must have reached it, which a standard output
// closed at the start never does.
static int finish_stdout(int status, int stdout_closed)
{
	if (stdout_closed || std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
		diag_error("Can't write to the standard output");
		return 1;
	}
	return status;
}

// Runs the mode that the options chose, by its row. A mode that reports on
// stdout fails before it reads anything when stdout was closed at the
// start.
static int run_mode(const run_options *opts, int stdout_closed)
{
	const mode_row &m = MODES[opts->mode];
	if (!m.reports)
		return m.run(opts);
	if (stdout_closed)
		return finish_stdout(1, stdout_closed);
	return finish_stdout(m.run(opts), 0);
}

static int run(int argc, char **argv, int stdout_closed)
{
	run_options opts;

	// --version: the banner alone, on stdout, whatever else the command
	// line holds.
	if (asks_for_version(argc, argv)) {
		print_version_line(stdout);
		return finish_stdout(0, stdout_closed);
	}
	print_version_banner();
	int scan = scan_options(argc, argv, &opts);
	int status = scan == SCAN_HELP ? finish_stdout(0, stdout_closed) : scan == SCAN_USAGE ? 0 : 1;
	if (scan == SCAN_CONTINUE) {
		// A JSON report gathers the run's error lines from here on.
		diag_reset(opts.json);
		status = run_mode(&opts, stdout_closed);
	}
	release_run_options(&opts);
	return status;
}

int tarnwick_run(int argc, char **argv, int stdout_closed)
{
	diag_reset(0);
	int status = run(argc, argv, stdout_closed);
	diag_release();
	return status;
}
