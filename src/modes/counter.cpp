// The counter file of serial numbers: checked, locked, read and counted on durably.
#include "modes/counter.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/platform.h"
#include "report/diag.h"
#include "platform/memory.h"

const char SUFFIX_LOCK[] = ".lock";
const char SUFFIX_NEW[] = ".new";

// Most bytes of a counter file: a number with leading zeros and a line
// end.
constexpr size_t COUNTER_MOST = 4096;

char *counter_side_name(const char *name, const char *suffix)
{
	size_t n = std::strlen(name), m = std::strlen(suffix);
	char *side = static_cast<char *>(run_realloc(nullptr, n + m + 1));
	if (side == nullptr)
		return nullptr;
	std::memcpy(side, name, n);
	std::memcpy(side + n, suffix, m + 1);
	return side;
}

// The counter is one regular file that can be replaced: it exists, is no
// device or pipe, has one name (a hard link would split it in two, each
// name counting on by itself), and lies in a folder where files can be
// made. Nothing is opened, so that no other run's replacing it is held up.
static int check_counter(const char *name, const char *target)
{
	int kind = output_kind(target);
	unsigned long names = kind == OUTPUT_DEVICE ? 0 : file_names(target);
	if (kind == OUTPUT_DEVICE)
		diag_error("Counter file '%s' does not hold one decimal number", name);
	else if (!can_read_file(target))
		diag_error("Can't open '%s'", name);
	else if (names > 1)
		diag_error("Counter file '%s' has %lu names: give a file with one", name, names);
	else if (kind != OUTPUT_BESIDE)
		diag_error("Can't write '%s'", name);
	else
		return 0;
	return 1;
}

// Takes the lock of FILE.lock, FILE the counter's own name: a counter
// replaced by a new file cannot carry a lock from one run to the next
// itself. Then a new file left by a run killed before its rename, which
// holds a number that was never handed out, goes.
static int take_lock(counter_lock *c)
{
	char *lock_name = counter_side_name(c->target, SUFFIX_LOCK);
	c->new_name = counter_side_name(c->target, SUFFIX_NEW);
	if (lock_name == nullptr || c->new_name == nullptr) {
		std::free(lock_name);
		diag_error("Out of memory");
		return 1;
	}
	c->lock = lock_file(lock_name, c->target);
	std::free(lock_name);
	int left = c->lock == -1 ? REMOVED : remove_regular_file(c->new_name);
	if (c->lock == -1)
		diag_error("Can't lock '%s%s'", c->name, SUFFIX_LOCK);
	else if (left == NOT_REGULAR)
		diag_error("File '%s%s' is not a regular file: remove it", c->name, SUFFIX_NEW);
	else if (left == NOT_REMOVED)
		diag_error("Can't remove '%s%s'", c->name, SUFFIX_NEW);
	return c->lock == -1 || left != REMOVED;
}

int lock_counter(const char *name, counter_lock *c)
{
	*c = counter_lock{name, output_target(name), nullptr, -1};
	int failed = c->target == nullptr;
	if (failed)
		diag_error("Out of memory");
	failed = failed || check_counter(name, c->target) != 0 || take_lock(c) != 0;
	if (failed)
		unlock_counter(c);
	return failed;
}

void unlock_counter(counter_lock *c)
{
	if (c->lock != -1)
		unlock_file(c->lock);
	std::free(c->target);
	std::free(c->new_name);
	*c = counter_lock{c->name, nullptr, nullptr, -1};
}

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

int read_counter(const counter_lock *c, uint64_t *number)
{
	FILE *in = open_reported(c->name, "rb");
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
		diag_error("Can't read '%s'", c->name);
	else if (n > COUNTER_MOST || parse_counter(text, n, number) != 0)
		diag_error("Counter file '%s' does not hold one decimal number", c->name);
	else if (*number == UINT64_MAX)
		diag_error("Counter file '%s' holds %" PRIu64 ", the last serial number", c->name, *number);
	else
		status = 0;
	std::free(text);
	return status;
}

// Writes the number into the new file, made now (never through a link),
// and puts it on the disk. Returns 0, or 1 with no new file left.
static int write_new(const counter_lock *c, uint64_t next)
{
	FILE *out = create_new(c->new_name, c->target);
	if (out == nullptr)
		return 1;
	int failed = std::fprintf(out, "%" PRIu64 "\n", next) < 0;
	failed |= sync_file(out);
	failed |= std::fclose(out) != 0;
	if (failed)
		remove_file(c->new_name);
	return failed;
}

int count_on(const counter_lock *c, uint64_t next)
{
	int result = write_new(c, next) != 0 ? COUNT_NOT_DONE : COUNT_DONE;
	if (result == COUNT_DONE) {
		int replaced = replace_file(c->new_name, c->target);
		if (replaced == REPLACE_NOT_DONE)
			remove_file(c->new_name);
		result = replaced == REPLACE_DONE	? COUNT_DONE
			 : replaced == REPLACE_NOT_DONE ? COUNT_NOT_DONE
							: COUNT_NOT_FLUSHED;
	}
	if (result != COUNT_DONE)
		diag_error("Can't write '%s'", c->name);
	return result;
}
