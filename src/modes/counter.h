// The counter file of serial numbers: checked, locked, read and counted on durably.
#ifndef TARNWICK_COUNTER_H
#define TARNWICK_COUNTER_H

#include <cstdint>

// A counter under its lock: its name as given, the file that name reaches
// (links followed), the new file that the next number is written into
// beside it, and the lock.
struct counter_lock {
	const char *name;
	char *target;
	char *new_name;
	intptr_t lock;
};

// The names that a counter's lock file and its new file have, by the
// counter's name: name with SUFFIX_LOCK or SUFFIX_NEW behind it. In memory
// that the caller frees; null when out of memory.
extern const char SUFFIX_LOCK[];
extern const char SUFFIX_NEW[];
char *counter_side_name(const char *name, const char *suffix);

// Checks the counter named (it exists, holds no device or pipe, has one
// name and can be replaced), then takes the lock of its lock file,
// waiting while another run holds it, and removes a new file that a run
// killed before its rename left behind. Refuses all this before anything
// is taken: returns 0 with *c held, or 1 after reporting, holding nothing.
int lock_counter(const char *name, counter_lock *c);

// Reads the counter's number, the next to hand out. Returns 0, or 1 after
// reporting.
int read_counter(const counter_lock *c, uint64_t *number);

// Results of count_on: the counter holds next, on the disk; it holds the
// number it held; or it may hold either after a power failure.
enum { COUNT_DONE = 0, COUNT_NOT_DONE = 1, COUNT_NOT_FLUSHED = 2 };

// Writes next into the counter's new file, flushed to the disk, and puts it
// in the counter's place, the folder flushed too. Returns a COUNT_ result,
// after reporting "Can't write" but for COUNT_DONE.
int count_on(const counter_lock *c, uint64_t next);

// Lets go of the lock and frees what c holds.
void unlock_counter(counter_lock *c);

#endif
