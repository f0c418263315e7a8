// A run's per-board data: the patches checked and written, the serial number given or taken, the log.
#include "modes/board.h"

#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "forms/forms.h"
#include "image/crc32.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "report/diag.h"
#include "report/memory.h"
#include "report/report.h"

// The option of a patch: a byte patch, or the serial (which -1).
static const char *option_of(int which)
{
	return which < 0 ? "--serial" : "--set";
}

void describe_cell(char *text, size_t size, int64_t cell, int or_byte)
{
	if (cell >= 0)
		std::snprintf(text, size, "%02Xh", unsigned(cell));
	else if (or_byte >= 0)
		std::snprintf(text, size, "no byte or %02Xh", unsigned(or_byte));
	else
		std::snprintf(text, size, "no byte");
}

void report_board_finding(const board_finding *f, const serial_spec *serial)
{
	char what[64], first[16], second[16];
	switch (f->kind) {
	case BOARD_NO_BYTE:
		diag_error("The program holds no byte at %" PRIX32 "h, which %s writes", f->address,
			   option_of(f->which));
		break;
	case BOARD_OVERLAP:
		diag_error("%s at %" PRIX32 "h overlaps %s at %" PRIX64 "h", option_of(f->which),
			   f->address, option_of(int(f->value)), f->other);
		break;
	case BOARD_NOT_DESCRIPTOR:
		describe_cell(first, sizeof first, f->value);
		describe_cell(second, sizeof second, f->other);
		diag_error("The bytes at %" PRIX32 "h are not a USB string descriptor of %u %s: "
			   "they are %s %s, not %02Xh 03h",
			   f->address, unsigned(serial->width),
			   count_word(serial->width, "character", "characters"), first, second,
			   unsigned(2 + 2 * serial->width));
		break;
	case BOARD_NOT_NUMBER:
		describe_serial(serial, what, sizeof what);
		describe_cell(first, sizeof first, f->value);
		if (f->value == -2)
			diag_error("The serial number at %" PRIX32 "h is not a %s: its digits pass %" PRIu64,
				   f->address, what, UINT64_MAX);
		else
			diag_error("The serial number at %" PRIX32 "h is not a %s: cell %" PRId64 " holds %s",
				   f->address, what, f->other, first);
		break;
	}
}

int check_patches(const run_options *opts, const image *img, const image_layout *l)
{
	board_finding f = check_board_data(img, l, opts->patches, opts->patch_count,
					   opts->has_serial ? &opts->serial : nullptr);
	if (f.kind == BOARD_OK)
		return 0;
	report_board_finding(&f, &opts->serial);
	return 1;
}

// The counter and the log are written: neither may be an input, and none
// of them and the image one file.
int refuse_serial_files(const run_options *opts, FILE *program, FILE *expert)
{
	const char *names[3] = {opts->image_file, opts->serial_counter, opts->serial_log};
	char *targets[3] = {nullptr, nullptr, nullptr};
	int failed = 0;
	for (int i = 1; i < 3 && !failed; i++)
		failed = names[i] != nullptr && refuse_input_as_output(names[i], program, expert);
	for (int i = 0; i < 3 && !failed; i++)
		if (names[i] != nullptr && (targets[i] = output_target(names[i])) == nullptr) {
			diag_error("Out of memory");
			failed = 1;
		}
	for (int i = 0; i < 3 && !failed; i++)
		for (int j = i + 1; j < 3 && !failed; j++)
			if (targets[i] != nullptr && targets[j] != nullptr &&
			    names_one_file(targets[i], targets[j])) {
				diag_error("Output files '%s' and '%s' are one file", names[i], names[j]);
				failed = 1;
			}
	for (char *target : targets)
		std::free(target);
	return failed;
}

// "Serial number N does not fit into 4 bytes", or into digits.
int check_serial_fits(const run_options *opts, uint64_t number)
{
	if (serial_fits(&opts->serial, number))
		return 0;
	diag_error("Serial number %" PRIu64 " does not fit into %u %s%s", number,
		   unsigned(opts->serial.width), serial_unit(&opts->serial),
		   opts->serial.width == 1 ? "" : "s");
	return 1;
}

// Whether a line of the log holds the number as its "serial".
static bool logged(FILE *log, uint64_t number)
{
	char line[4096];
	const char KEY[] = "\"serial\":";
	while (std::fgets(line, sizeof line, log) != nullptr) {
		const char *at = std::strstr(line, KEY);
		char *end;
		if (at != nullptr && std::strtoull(at + sizeof KEY - 1, &end, 10) == number &&
		    end != at + sizeof KEY - 1)
			return true;
	}
	return false;
}

// Refuses a number that the log holds already.
static int check_log(const run_options *opts, uint64_t number)
{
	FILE *log = open_file(opts->serial_log, "rb");
	if (log == nullptr)
		return 0; // made by the line that follows the image
	// A device or a pipe holds no lines of earlier runs to read.
	bool found = is_regular_file(log) && logged(log, number);
	bool failed = std::ferror(log) != 0;
	std::fclose(log);
	if (failed)
		diag_error("Can't read '%s'", opts->serial_log);
	else if (found)
		diag_error("Serial number %" PRIu64 " is in the log '%s' already", number,
			   opts->serial_log);
	return failed || found ? 1 : 0;
}

// The number in a counter file's text: decimal digits, a line end behind
// them or not. Returns 0, or 1 when the text is no such number.
static int parse_counter(const char *text, size_t n, uint64_t *number)
{
	while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r'))
		n--;
	uint64_t value = 0;
	for (size_t i = 0; i < n; i++) {
		uint64_t digit = uint64_t(text[i] - '0');
		if (text[i] < '0' || text[i] > '9' || value > (UINT64_MAX - digit) / 10)
			return 1;
		value = value * 10 + digit;
	}
	*number = value;
	return n == 0 ? 1 : 0;
}

// Reads the counter: a file that can be written, holding the next number.
static int read_counter(const char *name, uint64_t *number)
{
	FILE *in = open_reported(name, "rb");
	if (in == nullptr)
		return 1;
	char text[64];
	size_t n = std::fread(text, 1, sizeof text, in);
	bool failed = std::ferror(in) != 0;
	std::fclose(in);
	FILE *writable = failed ? nullptr : open_file(name, "r+b");
	if (failed)
		diag_error("Can't read '%s'", name);
	else if (writable == nullptr)
		diag_error("Can't write '%s'", name);
	else if (n == sizeof text || parse_counter(text, n, number) != 0)
		diag_error("Counter file '%s' does not hold one decimal number", name);
	else if (*number == UINT64_MAX)
		diag_error("Counter file '%s' holds %" PRIu64 ", the last serial number", name, *number);
	else {
		std::fclose(writable);
		return 0;
	}
	if (writable != nullptr)
		std::fclose(writable);
	return 1;
}

// Writes the next number into a new file beside the counter, flushed to
// the disk, and puts it in the counter's place.
static int count_on(const char *name, uint64_t next)
{
	char *target = output_target(name), *temp = nullptr;
	FILE *out = target != nullptr ? create_beside(target, &temp) : nullptr;
	int failed = out == nullptr;
	if (out != nullptr) {
		failed = std::fprintf(out, "%" PRIu64 "\n", next) < 0;
		failed |= sync_file(out);
		failed |= std::fclose(out) != 0;
		failed = failed || replace_file(temp, target) != 0;
		if (failed)
			remove_file(temp);
	}
	std::free(temp);
	std::free(target);
	if (failed)
		diag_error("Can't write '%s'", name);
	return failed;
}

// Takes the next number from the counter, under the lock of a file beside
// it, FILE.lock (FILE the counter's own name, its links followed), which
// stays: a counter replaced by a new file cannot carry a lock from one run
// to the next itself.
static int take_number(const run_options *opts, uint64_t *number)
{
	const char *name = opts->serial_counter;
	// A counter that is missing leaves no lock file behind.
	FILE *counter = open_reported(name, "rb");
	if (counter == nullptr)
		return 1;
	std::fclose(counter);
	char *target = output_target(name);
	size_t n = target != nullptr ? std::strlen(target) : 0;
	char *lock_name = target != nullptr ? static_cast<char *>(run_realloc(target, n + 6)) : nullptr;
	if (lock_name == nullptr) {
		std::free(target);
		diag_error("Out of memory");
		return 1;
	}
	std::memcpy(lock_name + n, ".lock", 6);
	intptr_t lock = lock_file(lock_name);
	if (lock == -1)
		diag_error("Can't lock '%s'", lock_name);
	std::free(lock_name);
	if (lock == -1)
		return 1;
	int failed = read_counter(name, number) || check_serial_fits(opts, *number) ||
		     (opts->serial_log != nullptr && check_log(opts, *number)) ||
		     count_on(name, *number + 1);
	unlock_file(lock);
	return failed;
}

// Closes the log; one that the run made and wrote no line to goes again.
static int close_log(const run_options *opts, serial_run *s, int written)
{
	if (s->log == nullptr)
		return 0;
	int failed = std::fclose(s->log) != 0;
	s->log = nullptr;
	if (!written && s->log_made)
		remove_file(opts->serial_log);
	return failed;
}

int get_serial_number(const run_options *opts, serial_run *s)
{
	s->taken = 0;
	s->log = nullptr;
	s->log_made = 0;
	// The log must take a line before a number is taken; one made for it
	// goes again when it gets none.
	if (opts->serial_log != nullptr) {
		FILE *existing = open_file(opts->serial_log, "rb");
		s->log_made = existing == nullptr;
		if (existing != nullptr)
			std::fclose(existing);
		if ((s->log = open_reported(opts->serial_log, "ab")) == nullptr)
			return 1;
	}
	int failed;
	if (opts->serial_counter == nullptr) {
		s->number = opts->serial_number;
		failed = check_serial_fits(opts, s->number) ||
			 (opts->serial_log != nullptr && check_log(opts, s->number));
	} else {
		failed = take_number(opts, &s->number);
		s->taken = !failed;
	}
	if (failed)
		close_log(opts, s, 0);
	return failed;
}

// One line of the log for the image, written in one piece.
static int put_log_line(const run_options *opts, const serial_run *s, const image *img)
{
	size_t room = 1024 + 6 * (std::strlen(opts->program_file) + std::strlen(opts->image_file));
	char *line = static_cast<char *>(run_realloc(nullptr, room));
	if (line == nullptr)
		return 1;
	char stamp[32], version[256], digits[2 * 2 * 20 + 1];
	std::time_t now = std::time(nullptr);
	std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
	version_text(version, sizeof version);
	uint8_t bytes[2 * 20];
	uint32_t n = encode_serial(&opts->serial, s->number, bytes);
	for (uint32_t i = 0; i < n; i++)
		std::snprintf(digits + 2 * i, 3, "%02X", bytes[i]);
	digits[2 * n] = '\0';
	size_t used = size_t(std::snprintf(line, room,
					   "{\"time\":\"%s\",\"serial\":%" PRIu64
					   ",\"bytes\":\"%s\",\"address\":\"%" PRIX32 "\",\"program\":",
					   stamp, s->number, digits, opts->serial.address));
	used += json_quote(opts->program_file, line + used);
	used += size_t(std::snprintf(line + used, room - used, ",\"image\":"));
	used += json_quote(opts->image_file, line + used);
	used += size_t(std::snprintf(line + used, room - used,
				     ",\"form\":\"%s\",\"crc32\":\"%08" PRIX32 "\",\"version\":\"%s\"}\n",
				     FORMS[opts->image_form].name,
				     image_crc32(img, plan_covered(&opts->plan)), version));
	// Unbuffered, the line goes to the file in one write.
	int failed = std::setvbuf(s->log, nullptr, _IONBF, 0) != 0 ||
		     std::fwrite(line, 1, used, s->log) != used || std::fflush(s->log) != 0;
	std::free(line);
	return failed;
}

int finish_serial(const run_options *opts, serial_run *s, const image *img, int status)
{
	if (status != 0 && s->taken)
		diag_error("Serial number %" PRIu64 " was taken and not used", s->number);
	if (s->log == nullptr)
		return status;
	int failed = status == 0 && put_log_line(opts, s, img) != 0;
	failed |= close_log(opts, s, status == 0);
	if (status == 0 && failed) {
		diag_error("Can't write '%s'", opts->serial_log);
		return 1;
	}
	return status;
}
