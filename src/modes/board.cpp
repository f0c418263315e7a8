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

static char *lock_name_of(const char *target);

// The counter and the log are written: neither may be an input, and no two
// of them, the image and the counter's lock file one file.
int refuse_serial_files(const run_options *opts, FILE *program, FILE *expert)
{
	const char *names[4] = {opts->image_file, opts->serial_counter, opts->serial_log, nullptr};
	char *targets[4] = {nullptr, nullptr, nullptr, nullptr};
	int failed = 0;
	for (int i = 1; i < 3 && !failed; i++)
		failed = names[i] != nullptr && refuse_input_as_output(names[i], program, expert);
	for (int i = 0; i < 3 && !failed; i++)
		if (names[i] != nullptr && (targets[i] = output_target(names[i])) == nullptr) {
			diag_error("Out of memory");
			failed = 1;
		}
	// The counter's lock file, which only the lock may open, named by the
	// counter's name as given.
	char *lock_name = !failed && names[1] != nullptr ? lock_name_of(names[1]) : nullptr;
	if (lock_name != nullptr) {
		names[3] = lock_name;
		targets[3] = lock_name_of(targets[1]);
	}
	for (int i = 0; i < 4 && !failed; i++)
		for (int j = i + 1; j < 4 && !failed; j++)
			if (targets[i] != nullptr && targets[j] != nullptr &&
			    names_one_file(targets[i], targets[j])) {
				diag_error("Output files '%s' and '%s' are one file", names[i], names[j]);
				failed = 1;
			}
	for (char *target : targets)
		std::free(target);
	std::free(lock_name);
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

// Whether a file that name reaches can be read without waiting: a regular
// file, or none (a device or a pipe may wait for a writer, or never end).
static bool readable_file(const char *name)
{
	char *target = output_target(name);
	bool regular = target != nullptr && output_kind(target) != OUTPUT_DEVICE;
	std::free(target);
	return regular;
}

// Bytes of the log read at a time, and those kept from the end of one
// block for the next, more than a "serial" key and its number take.
constexpr size_t LOG_BLOCK = 64 * 1024;
constexpr size_t LOG_CARRY = 64;

// Whether the text holds "serial" as a key with the number as its value:
// the key in quotes, blanks and a colon, the digits, and a comma, a brace,
// a blank or a line end behind them.
static bool holds_serial(const char *text, uint64_t number)
{
	static const char KEY[] = "\"serial\"";
	for (const char *at = std::strstr(text, KEY); at != nullptr; at = std::strstr(at + 1, KEY)) {
		const char *p = at + sizeof KEY - 1;
		p += std::strspn(p, " \t");
		if (*p++ != ':')
			continue;
		p += std::strspn(p, " \t");
		char *end;
		uint64_t value = std::strtoull(p, &end, 10);
		if (*p >= '0' && *p <= '9' && value == number && *end != '\0' &&
		    std::strchr(",} \t\r\n", *end) != nullptr)
			return true;
	}
	return false;
}

// Whether the log holds the number as a "serial", read in blocks, the end
// of one carried into the next; *open_line tells that its last line has no
// line end yet.
static bool logged(FILE *log, uint64_t number, int *open_line)
{
	char *text = static_cast<char *>(run_realloc(nullptr, LOG_CARRY + LOG_BLOCK + 1));
	if (text == nullptr)
		return false;
	size_t kept = 0, n;
	bool found = false;
	while (!found && (n = std::fread(text + kept, 1, LOG_BLOCK, log)) > 0) {
		size_t total = kept + n;
		text[total] = '\0';
		// A NUL in the log ends a piece of text to search.
		for (const char *part = text; part < text + total; part += std::strlen(part) + 1)
			found = found || holds_serial(part, number);
		*open_line = text[total - 1] != '\n';
		kept = total < LOG_CARRY ? total : LOG_CARRY;
		std::memmove(text, text + total - kept, kept);
	}
	std::free(text);
	return found;
}

// Refuses a number that the log holds already; *open_line tells that the
// log's last line has no line end.
static int check_log(const run_options *opts, uint64_t number, int *open_line)
{
	*open_line = 0;
	// A device or a pipe holds no lines of earlier runs to read.
	FILE *log = readable_file(opts->serial_log) ? open_file(opts->serial_log, "rb") : nullptr;
	if (log == nullptr)
		return 0;
	bool found = logged(log, number, open_line);
	bool failed = std::ferror(log) != 0;
	std::fclose(log);
	if (failed)
		diag_error("Can't read '%s'", opts->serial_log);
	else if (found)
		diag_error("Serial number %" PRIu64 " is in the log '%s' already", number,
			   opts->serial_log);
	return failed || found ? 1 : 0;
}

// Most bytes of a counter file: a number with leading zeros and a line
// end.
constexpr size_t COUNTER_MOST = 4096;

// The number in a counter file's text: decimal digits, one line end (LF,
// CR LF or CR) behind them or none. Returns 0, or 1 for any other text.
static int parse_counter(const char *text, size_t n, uint64_t *number)
{
	if (n > 0 && text[n - 1] == '\n')
		n--;
	if (n > 0 && text[n - 1] == '\r')
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

// Reads the counter, which holds the next number.
static int read_counter(const char *name, uint64_t *number)
{
	FILE *in = open_reported(name, "rb");
	if (in == nullptr)
		return 1;
	char *text = static_cast<char *>(run_realloc(nullptr, COUNTER_MOST + 1));
	size_t n = text != nullptr ? std::fread(text, 1, COUNTER_MOST + 1, in) : 0;
	bool failed = std::ferror(in) != 0;
	std::fclose(in);
	int status = 1;
	if (text == nullptr)
		diag_error("Out of memory");
	else if (failed)
		diag_error("Can't read '%s'", name);
	else if (n > COUNTER_MOST || parse_counter(text, n, number) != 0)
		diag_error("Counter file '%s' does not hold one decimal number", name);
	else if (*number == UINT64_MAX)
		diag_error("Counter file '%s' holds %" PRIu64 ", the last serial number", name, *number);
	else
		status = 0;
	std::free(text);
	return status;
}

// Writes the next number into a new file beside the counter (target, its
// links followed), flushed to the disk, and puts it in the counter's place.
static int count_on(const char *name, const char *target, uint64_t next)
{
	char *temp = nullptr;
	FILE *out = create_beside(target, &temp);
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
	if (failed)
		diag_error("Can't write '%s'", name);
	return failed;
}

// The counter is a file that can be replaced: a regular one, in a folder
// where files can be made. Reports why not; returns 0, or 1.
static int check_counter(const char *name, const char *target)
{
	int kind = output_kind(target);
	if (kind == OUTPUT_DEVICE) {
		diag_error("Counter file '%s' does not hold one decimal number", name);
		return 1;
	}
	FILE *counter = open_reported(name, "rb");
	if (counter == nullptr)
		return 1;
	std::fclose(counter);
	if (kind == OUTPUT_BESIDE)
		return 0;
	diag_error("Can't write '%s'", name);
	return 1;
}

// The lock file of a counter: its own name (target), with .lock behind
// it; null when out of memory.
static char *lock_name_of(const char *target)
{
	size_t n = std::strlen(target);
	char *name = static_cast<char *>(run_realloc(nullptr, n + 6));
	if (name == nullptr)
		return nullptr;
	std::memcpy(name, target, n);
	std::memcpy(name + n, ".lock", 6);
	return name;
}

// Takes the next number from the counter, under the lock of a file beside
// it, FILE.lock (FILE the counter's own name, its links followed), which
// stays: a counter replaced by a new file cannot carry a lock from one run
// to the next itself. No other file of the run is that lock file, so that
// nothing else opens it while the lock is held.
static int take_number(const run_options *opts, serial_run *s)
{
	const char *name = opts->serial_counter;
	char *target = output_target(name);
	char *lock_name = target != nullptr ? lock_name_of(target) : nullptr;
	intptr_t lock = -1;
	if (lock_name == nullptr)
		diag_error("Out of memory");
	else if (check_counter(name, target) == 0 && (lock = lock_file(lock_name, target)) == -1)
		diag_error("Can't lock '%s'", lock_name);
	int failed = lock == -1 || read_counter(name, &s->number) ||
		     check_serial_fits(opts, s->number) ||
		     (opts->serial_log != nullptr && check_log(opts, s->number, &s->log_open_line)) ||
		     count_on(name, target, s->number + 1);
	if (lock != -1)
		unlock_file(lock);
	std::free(lock_name);
	std::free(target);
	return failed;
}

int get_serial_number(const run_options *opts, serial_run *s)
{
	s->taken = 0;
	s->log = nullptr;
	s->log_open_line = 0;
	// The log must take a line before a number is taken.
	if (opts->serial_log != nullptr && (s->log = open_reported(opts->serial_log, "ab")) == nullptr)
		return 1;
	int failed;
	if (opts->serial_counter == nullptr) {
		s->number = opts->serial_number;
		failed = check_serial_fits(opts, s->number) ||
			 (opts->serial_log != nullptr &&
			  check_log(opts, s->number, &s->log_open_line));
	} else {
		failed = take_number(opts, s);
		s->taken = !failed;
	}
	if (failed && s->log != nullptr) {
		std::fclose(s->log);
		s->log = nullptr;
	}
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
	// Behind a last line without its line end, a line of its own.
	size_t used = size_t(std::snprintf(line, room,
					   "%s{\"time\":\"%s\",\"serial\":%" PRIu64
					   ",\"bytes\":\"%s\",\"address\":\"%" PRIX32 "\",\"program\":",
					   s->log_open_line ? "\n" : "", stamp, s->number, digits,
					   opts->serial.address));
	used += json_quote(opts->program_file, line + used);
	used += size_t(std::snprintf(line + used, room - used, ",\"image\":"));
	used += json_quote(opts->image_file, line + used);
	used += size_t(std::snprintf(line + used, room - used,
				     ",\"form\":\"%s\",\"crc32\":\"%08" PRIX32 "\",\"version\":\"%s\"}\n",
				     FORMS[opts->image_form].name,
				     image_crc32(img, plan_covered(&opts->plan)), version));
	// Unbuffered, the line goes to the file in one write; a line that did
	// not go whole is cut off again, and one that did is put on the disk.
	int failed = std::setvbuf(s->log, nullptr, _IONBF, 0) != 0;
	bool regular = !failed && is_regular_file(s->log);
	int64_t size = regular && std::fseek(s->log, 0, SEEK_END) == 0 ? std::ftell(s->log) : -1;
	failed = failed || std::fwrite(line, 1, used, s->log) != used || std::fflush(s->log) != 0;
	if (failed && size >= 0)
		truncate_stream(s->log, size);
	else if (!failed && regular)
		failed = sync_file(s->log);
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
	failed |= std::fclose(s->log) != 0;
	s->log = nullptr;
	if (status == 0 && failed) {
		diag_error("Can't write '%s'", opts->serial_log);
		return 1;
	}
	return status;
}
