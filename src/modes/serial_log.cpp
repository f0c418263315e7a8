// The log of serial numbers: locked for a run, read for a number, a line appended for each image.
#include "modes/serial_log.h"

#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/platform.h"
#include "report/diag.h"
#include "platform/memory.h"

// Bytes of the log read at a time.
constexpr size_t LOG_BLOCK = 64 * 1024;

// The key that a line holds its number under, quotes included.
static const char KEY[] = "\"serial\"";
constexpr size_t KEY_LENGTH = sizeof KEY - 1;

// Where a scan for "serial" keys stands: matching the key (matched of its
// characters so far), behind the key before its colon, behind the colon
// before the digits, or in the digits of a value.
enum { IN_KEY, BEFORE_COLON, BEFORE_DIGITS, IN_DIGITS };

// A scan of the log for one number: read byte by byte, whatever the
// blocks it comes in, so that an entry is found wherever it lies.
struct log_scan {
	uint64_t number;
	int state;
	size_t matched;
	uint64_t value;
	bool too_large;
	unsigned char last;
	uint32_t count;
};

static bool is_blank(unsigned char ch)
{
	return ch == ' ' || ch == '\t';
}

// A value ends at a comma, a brace, a blank, a line end or the end of the
// file.
static void end_value(log_scan *s, bool ended)
{
	if (ended && !s->too_large && s->value == s->number)
		s->count++;
}

// Begins the key anew at ch; the quote that ended a key or a text may
// also begin the next key.
static void restart(log_scan *s, unsigned char ch)
{
	s->state = IN_KEY;
	s->matched = s->last == '"' ? 1 : 0;
	if (ch == static_cast<unsigned char>(KEY[s->matched]))
		s->matched++;
	else
		s->matched = ch == '"' ? 1 : 0;
}

static void scan_byte(log_scan *s, unsigned char ch)
{
	switch (s->state) {
	case IN_KEY:
		if (ch == static_cast<unsigned char>(KEY[s->matched]))
			s->state = ++s->matched == KEY_LENGTH ? BEFORE_COLON : IN_KEY;
		else
			restart(s, ch);
		break;
	case BEFORE_COLON:
		if (ch == ':')
			s->state = BEFORE_DIGITS;
		else if (!is_blank(ch))
			restart(s, ch);
		break;
	case BEFORE_DIGITS:
	case IN_DIGITS:
		if (ch >= '0' && ch <= '9') {
			uint64_t digit = ch - '0';
			if (s->state == BEFORE_DIGITS)
				*s = log_scan{s->number, IN_DIGITS, 0, 0, false, s->last, s->count};
			s->too_large |= s->value > (UINT64_MAX - digit) / 10;
			s->value = s->value * 10 + digit;
		} else if (s->state == BEFORE_DIGITS && is_blank(ch)) {
			break;
		} else {
			end_value(s, s->state == IN_DIGITS && std::strchr(",} \t\r\n", ch) != nullptr && ch != 0);
			restart(s, ch);
		}
		break;
	}
	s->last = ch;
}

// Scans n bytes; outside a key's value, the scan leaps to the next quote.
static void scan_block(log_scan *s, const unsigned char *p, size_t n)
{
	const unsigned char *end = p + n;
	while (p < end) {
		if (s->state == IN_KEY && s->matched == 0) {
			const void *quote = std::memchr(p, '"', size_t(end - p));
			if (quote == nullptr) {
				s->last = end[-1];
				return;
			}
			if (quote != p)
				s->last = static_cast<const unsigned char *>(quote)[-1];
			p = static_cast<const unsigned char *>(quote);
		}
		scan_byte(s, *p++);
	}
}

// Counts the lines of the log, read from its start to its end, that hold
// the number as a "serial"; *open_line tells that the last line has no
// line end. Returns 0, or 1 after reporting a read error.
static int count_logged(FILE *stream, const char *name, uint64_t number, uint32_t *count,
			int *open_line)
{
	unsigned char *block = static_cast<unsigned char *>(run_realloc(nullptr, LOG_BLOCK));
	if (block == nullptr) {
		diag_error("Out of memory");
		return 1;
	}
	log_scan s = {number, IN_KEY, 0, 0, false, '\n', 0};
	size_t n;
	int failed = std::fseek(stream, 0, SEEK_SET) != 0;
	while (!failed && (n = std::fread(block, 1, LOG_BLOCK, stream)) > 0)
		scan_block(&s, block, n);
	std::free(block);
	// The end of the file ends a value as a line end does.
	end_value(&s, s.state == IN_DIGITS);
	*count = s.count;
	*open_line = s.last != '\n';
	if (failed || std::ferror(stream) != 0) {
		diag_error("Can't read '%s'", name);
		return 1;
	}
	return 0;
}

int open_serial_log(const char *name, serial_log *log)
{
	*log = serial_log{name, nullptr, 0, 0};
	int kind = open_append(name, &log->stream);
	log->readable = kind == APPEND_READABLE;
	if (kind == APPEND_NO_READER)
		diag_error("Log '%s' has no reader", name);
	else if (kind == APPEND_CANNOT_OPEN || (log->stream != nullptr && is_directory(log->stream)))
		diag_error("Can't open '%s'", name);
	// Only a file is read for earlier numbers, and only its lock matters.
	else if (log->readable && lock_stream(log->stream) != 0)
		diag_error("Can't lock '%s'", name);
	else
		return 0;
	close_serial_log(log);
	return 1;
}

int check_not_logged(serial_log *log, uint64_t number)
{
	uint32_t count = 0;
	if (!log->readable)
		return 0;
	if (count_logged(log->stream, log->name, number, &count, &log->open_line) != 0)
		return 1;
	if (count == 0)
		return 0;
	diag_error("Serial number %" PRIu64 " is in the log '%s' already", number, log->name);
	return 1;
}

// Writes n bytes in one write, flushed; a write that failed is cut off
// again (to size, when known, else -1). Returns 0, or 1.
static int write_whole(FILE *stream, const char *text, size_t n, int64_t size)
{
	int failed = std::fwrite(text, 1, n, stream) != n || std::fflush(stream) != 0;
	if (failed && size >= 0)
		truncate_stream(stream, size);
	return failed;
}

int append_log_line(serial_log *log, const char *line, size_t n)
{
	// Behind a last line without its line end, a line of its own.
	size_t skip = log->open_line ? 0 : 1;
	char *whole = static_cast<char *>(run_realloc(nullptr, n + 1));
	int64_t size = -1;
	if (log->readable && std::fseek(log->stream, 0, SEEK_END) == 0)
		size = stream_size(log->stream);
	int failed = whole == nullptr;
	if (!failed) {
		whole[0] = '\n';
		std::memcpy(whole + 1, line, n);
		failed = write_whole(log->stream, whole + skip, n + 1 - skip, size) ||
			 (log->readable && sync_file(log->stream) != 0);
	}
	std::free(whole);
	if (failed)
		diag_error("Can't write '%s'", log->name);
	return failed;
}

int close_serial_log(serial_log *log)
{
	int failed = log->stream != nullptr && std::fclose(log->stream) != 0;
	log->stream = nullptr;
	return failed;
}

// Counts, without the lock, the lines of the log named that hold the
// number into *count; a device or a pipe holds no lines of earlier runs to
// read. Returns 0, or 1 after reporting.
static int count_in_named_log(const char *name, uint64_t number, uint32_t *count)
{
	char *target = output_target(name);
	bool regular = target != nullptr && output_kind(target) != OUTPUT_DEVICE;
	std::free(target);
	FILE *stream = regular ? open_reported(name, "rb") : nullptr;
	if (regular && stream == nullptr)
		return 1;
	int open_line, failed = stream != nullptr &&
				 count_logged(stream, name, number, count, &open_line) != 0;
	close_input(stream);
	return failed;
}

int check_logged_once(const char *name, uint64_t number)
{
	uint32_t count = 0;
	if (!can_read_file(name)) {
		diag_error("Can't open '%s'", name);
		return 1;
	}
	if (count_in_named_log(name, number, &count) != 0)
		return 1;
	if (count == 1)
		return 0;
	if (count == 0)
		diag_error("Serial number %" PRIu64 " is not in the log '%s'", number, name);
	else
		diag_error("Serial number %" PRIu64 " is in the log '%s' %" PRIu32 " times", number, name,
			   count);
	return 1;
}

int check_not_in_named_log(const char *name, uint64_t number)
{
	uint32_t count = 0;
	if (!can_read_file(name))
		return 0;
	if (count_in_named_log(name, number, &count) != 0)
		return 1;
	if (count == 0)
		return 0;
	diag_error("Serial number %" PRIu64 " is in the log '%s' already", number, name);
	return 1;
}
