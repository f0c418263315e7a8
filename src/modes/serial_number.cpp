// The serial number of a run: given or taken from the counter, checked against the log, logged.
#include "modes/serial_number.h"

#include <cinttypes>
#include <cstdlib>
#include <ctime>

#include "image/crc32.h"
#include "modes/patch_checks.h"
#include "modes/counter.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "report/diag.h"
#include "report/report.h"

// The files of per-board data that a run writes, by role.
enum { ROLE_IMAGE, ROLE_COUNTER, ROLE_LOG, ROLE_LOCK, ROLE_NEW, ROLES };

// The names of the roles as given (the counter's lock and new file by the
// counter's name as given), and the files they reach.
struct role_files {
	const char *names[ROLES];
	char *targets[ROLES];
	char *side_names[2];
};

// Names each role's file; returns 1 when out of memory.
static int name_roles(const run_options *opts, role_files *f)
{
	const char *given[ROLE_LOCK] = {opts->image_file, opts->serial_counter, opts->serial_log};
	for (int i = 0; i < ROLE_LOCK; i++) {
		f->names[i] = given[i];
		if (given[i] != nullptr && (f->targets[i] = output_target(given[i])) == nullptr)
			return 1;
	}
	const char *suffix[2] = {SUFFIX_LOCK, SUFFIX_NEW};
	for (int k = 0; k < 2 && opts->serial_counter != nullptr; k++) {
		f->names[ROLE_LOCK + k] = f->side_names[k] =
			counter_side_name(opts->serial_counter, suffix[k]);
		// A lock file or new file may be a link too.
		char *side = counter_side_name(f->targets[ROLE_COUNTER], suffix[k]);
		f->targets[ROLE_LOCK + k] = side != nullptr ? output_target(side) : nullptr;
		std::free(side);
		if (f->side_names[k] == nullptr || f->targets[ROLE_LOCK + k] == nullptr)
			return 1;
	}
	return 0;
}

int refuse_serial_files(const run_options *opts, FILE *program, FILE *expert)
{
	const char *inputs[2] = {opts->serial_counter, opts->serial_log};
	for (const char *name : inputs)
		if (name != nullptr && refuse_input_as_output(name, program, expert))
			return 1;
	role_files f = {};
	int failed = name_roles(opts, &f);
	if (failed)
		diag_error("Out of memory");
	for (int i = 0; i < ROLES && !failed; i++)
		for (int j = i + 1; j < ROLES && !failed; j++)
			if (f.targets[i] != nullptr && f.targets[j] != nullptr &&
			    names_one_file(f.targets[i], f.targets[j])) {
				diag_error("Output files '%s' and '%s' are one file", f.names[i], f.names[j]);
				failed = 1;
			}
	for (int i = 0; i < ROLES; i++)
		std::free(f.targets[i]);
	std::free(f.side_names[0]);
	std::free(f.side_names[1]);
	return failed;
}

// A given number: it must fit, and the log must not hold it.
static int give_number(const run_options *opts, serial_run *s)
{
	s->number = opts->serial_number;
	return check_serial_fits(opts, s->number) ||
	       (s->log.stream != nullptr && check_not_logged(&s->log, s->number));
}

// The counter's number, under its lock: it must fit, and the log must not
// hold it; then the counter counts on.
static int take_number(const run_options *opts, serial_run *s)
{
	counter_lock c;
	if (lock_counter(opts->serial_counter, &c) != 0)
		return 1;
	int failed = read_counter(&c, &s->number) || check_serial_fits(opts, s->number) ||
		     (s->log.stream != nullptr && check_not_logged(&s->log, s->number));
	int counted = failed ? COUNT_NOT_DONE : count_on(&c, s->number + 1);
	unlock_counter(&c);
	if (counted == COUNT_NOT_FLUSHED)
		diag_error("Serial number %" PRIu64 " was taken and not used", s->number);
	s->taken = counted == COUNT_DONE;
	return failed || counted != COUNT_DONE;
}

int get_serial_number(const run_options *opts, serial_run *s)
{
	s->taken = 0;
	s->log = serial_log{opts->serial_log, nullptr, 0, 0};
	// The log must take a line before a number is taken.
	if (opts->serial_log != nullptr && open_serial_log(opts->serial_log, &s->log) != 0)
		return 1;
	int failed = opts->serial_counter != nullptr ? take_number(opts, s) : give_number(opts, s);
	if (failed)
		close_serial_log(&s->log);
	return failed;
}

// The log's line for the image, as one JSON object: null when out of
// memory, else the line, which the caller frees, and *length.
static char *log_line(const run_options *opts, const serial_run *s, const image *img,
		      const char *form_name, size_t *length)
{
	char stamp[32], version[256], bytes_text[2 * MOST_SERIAL_CELLS + 1], address[16], crc[16];
	std::time_t now = std::time(nullptr);
	std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
	version_text(version, sizeof version);
	serial_cells cells = serial_write(&opts->serial, s->number);
	for (uint32_t i = cells.first; i < cells.span; i++)
		std::snprintf(bytes_text + 2 * (i - cells.first), 3, "%02X", cells.bytes[i]);
	bytes_text[2 * (cells.span - cells.first)] = '\0';
	std::snprintf(address, sizeof address, "%" PRIX32, opts->serial.address);
	std::snprintf(crc, sizeof crc, "%08" PRIX32, image_crc32(img, plan_covered(&opts->plan)));
	report r;
	report_begin_in_memory(&r);
	report_text(&r, "time", stamp);
	report_unsigned(&r, "serial", s->number);
	report_text(&r, "bytes", bytes_text);
	report_text(&r, "address", address);
	report_text(&r, "program", opts->program_file);
	report_text(&r, "image", opts->image_file);
	report_text(&r, "form", form_name);
	report_text(&r, "crc32", crc);
	report_text(&r, "version", version);
	return report_end_in_memory(&r, length);
}

int log_serial(const run_options *opts, serial_run *s, const image *img, const char *form_name)
{
	size_t length;
	char *line = log_line(opts, s, img, form_name, &length);
	int failed = line == nullptr || append_log_line(&s->log, line, length) != 0;
	if (line == nullptr)
		diag_error("Out of memory");
	std::free(line);
	return failed;
}

int end_serial(const run_options *opts, serial_run *s, int status)
{
	if (status != 0 && s->taken)
		diag_error("Serial number %" PRIu64 " was taken and not used", s->number);
	// Closing the log lets go of its lock, once the line is on the disk.
	if (s->log.stream != nullptr && close_serial_log(&s->log) != 0 && status == 0) {
		diag_error("Can't write '%s'", opts->serial_log);
		return 1;
	}
	return status;
}
