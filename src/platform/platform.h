// What differs between the platforms: files, standard streams, arguments.
#ifndef TARNWICK_PLATFORM_H
#define TARNWICK_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Opens each of the standard descriptors 0, 1 and 2 that is closed on the
// null device, so that no file the run opens lands on one of them. Call it
// before anything else. Returns the descriptors it opened, bit fd for fd.
int open_closed_standard_descriptors();

// Makes a write to a pipe without a reader, or past the file size limit, a
// failed write instead of a signal that ends the process.
void ignore_write_signals();

// The command-line arguments as UTF-8 text: argv itself where the platform
// hands them over as bytes, the arguments converted from the wide-character
// command line on Windows. *argc is set to their number.
char **utf8_arguments(int *argc, char **argv);

// fopen for a file name in UTF-8, with a mode such as "rb" or "wt".
FILE *open_file(const char *name, const char *mode);

// Returns 1 when stream has a directory open, else 0.
int is_directory(FILE *stream);

// Returns 1 when stream has a regular file open (no device, pipe or
// folder), else 0.
int is_regular_file(FILE *stream);

// Returns 1 when the file that name refers to exists and is the file that
// stream has open (by identity, so hard and symbolic links count), else 0.
// A null stream gives 0.
int is_same_file(const char *name, FILE *stream);

// Closes an output stream and returns 0, or non-zero when the last writes
// or the close failed. When keep is 0, or closing failed, an output that is
// a regular file is left empty, so that no half-written image stays behind.
int close_output(FILE *stream, int keep);

// The file that a write to name reaches: name with its symbolic links
// followed, also a last one that leads to no file yet. In memory that the
// caller frees; null when out of memory.
char *output_target(const char *name);

// Returns 1 when two output targets are one file, existing or not: the same
// path once their folders are resolved, or the same file by identity.
int names_one_file(const char *a, const char *b);

// How an output target can be written: replaced by a new file of a unique
// name made beside it (a regular file, or none yet, in a folder where files
// can be made); written in place, as a device or FIFO, or as a regular file
// in a folder where none can be made; or not at all, as opening it for
// writing would fail (a read-only file, a folder, a missing folder, no
// name).
enum { OUTPUT_BESIDE = 0, OUTPUT_DEVICE = 1, OUTPUT_IN_PLACE = 2, OUTPUT_CANNOT_OPEN = 3 };
int output_kind(const char *target);

// Makes a new file of a unique name in the folder of target, with the
// permission bits (and, where the user may give it, the group) of target
// when it exists, and opens it for writing, in binary mode with binary,
// else in text mode; *temp is its name, which the caller frees. Null on
// failure.
FILE *create_beside(const char *target, char **temp, int binary);

// Makes the file name, which must not exist yet (not even as a link), and
// opens it for writing in text mode, with the permission bits (and, where
// the user may give it, the group) of the file like when that exists. Null
// on failure.
FILE *create_new(const char *name, const char *like);

// Results of replace_file: the new file is in place and on the disk; it
// was not put in place (target is as it was); or it is in place, but the
// system could not put its name on the disk (after a power failure target
// may be the old file or the new one).
enum { REPLACE_DONE = 0, REPLACE_NOT_DONE = 1, REPLACE_NOT_FLUSHED = 2 };

// Puts the file temp in the place of target, replacing it in one step, and
// has the system put the new name on the disk. On Windows a target that
// another process holds open for a moment is waited for, a few seconds at
// most. Returns a REPLACE_ result.
int replace_file(const char *temp, const char *target);

// Results of remove_regular_file: no file of that name is left; one is
// there that is no regular file (a link, a folder, a device); or a regular
// file is there that could not be removed.
enum { REMOVED = 0, NOT_REGULAR = 1, NOT_REMOVED = 2 };

// Removes name when it is a regular file. Returns a result above.
int remove_regular_file(const char *name);

// The number of names (hard links) of the file that name reaches, its
// symbolic links followed; 0 when it cannot be told.
unsigned long file_names(const char *name);

// Whether name reaches a file that can be opened for reading: no folder,
// and readable.
int can_read_file(const char *name);

// How open_append opened a file: for reading and appending (a regular
// file, made when missing), for appending alone (a device, or a pipe or a
// local socket that has a reader, the socket connected to), or not at all:
// a pipe or socket without a reader, which would hold the run up, or a
// file that cannot be opened.
enum { APPEND_READABLE = 0, APPEND_WRITE_ONLY = 1, APPEND_NO_READER = 2, APPEND_CANNOT_OPEN = 3 };

// Opens name for appending, without waiting for a reader, as a binary
// stream without a buffer of its own, so that each write goes to the file
// as one write. Returns an APPEND_ kind, *stream the stream (null unless
// opened).
int open_append(const char *name, FILE **stream);

// Takes an exclusive lock on a range of bytes of the file that stream has
// open, far beyond any data, so that readers of the data are not held up;
// waits while another process holds it. The lock lasts until the stream
// is closed; on POSIX systems closing any other descriptor of the file in
// the process releases it too. Returns 0, or 1 when the file cannot be
// locked.
int lock_stream(FILE *stream);

// Removes a file, if it can.
void remove_file(const char *name);

// Takes an exclusive lock on the file name, waiting while another process
// holds it, on a local disk as on a network share. A missing file is made,
// with the permission bits and group of the file like where the system has
// them. Returns the lock, or -1 when the file cannot be opened or locked.
// Release it with unlock_file; a process that ends releases its locks. On
// POSIX systems closing any other descriptor of the file in the process
// releases it too: open the file no other way while it is held.
intptr_t lock_file(const char *name, const char *like);
void unlock_file(intptr_t lock);

// Cuts the file that stream writes to size bytes. Returns 0, or 1 on
// failure.
int truncate_stream(FILE *stream, int64_t size);

// The size of the regular file that stream has open, or -1 when it cannot
// be told.
int64_t stream_size(FILE *stream);

// Flushes a stream that was written, and has the system put what it holds
// for the file on the disk. Returns 0, or 1 when either fails.
int sync_file(FILE *stream);

// text as one word of a command that the platform's shells read as it
// is: unchanged when that needs no quotes, else quoted (single quotes for
// POSIX shells, a quote in it as '\''; double quotes, which cmd.exe and
// PowerShell both read, on Windows). In memory that the caller frees; null
// when out of memory.
char *shell_word(const char *text);

// Bits of the platform's shells that would change text even inside the
// quotes that shell_word puts around it: SHELL_CMD for cmd.exe (a %), and
// SHELL_POWERSHELL for PowerShell (a $, a backquote, or a typographic
// double quote, which ends its quotes). None on POSIX systems, whose
// single quotes keep every character.
enum { SHELL_CMD = 1, SHELL_POWERSHELL = 2 };
int shell_caveats(const char *text);

// Tells the system that the size bytes from block on are about to be used
// whole, so that it may back them with large pages: a chip's image of
// megabytes then costs few page faults. Changes nothing else.
void expect_whole_use(void *block, size_t size);

// Memory of length bytes, whole pages of zeros that are backed only when
// used, or null; and its release.
void *map_memory(size_t length);
void unmap_memory(void *block, size_t length);

// The size of a page of memory, and of a file that map_file_bytes maps.
size_t memory_page();

// Puts the first length bytes of the regular file that stream has open (a
// whole number of pages, at most the file's size) at `at`, the start of a
// page of memory from map_memory, as private memory that the process may
// change without changing the file, in place of what was there: a large
// file is then read without copying. Returns 0, or 1 when the platform
// cannot, the memory then holding zeros.
int map_file_bytes(FILE *stream, void *at, size_t length);

// A chip's file, open for a run: a file that the system shows the chip as
// (an nvmem file), a block device, or a raw image file that stands for it.
// size is the size the system tells, and told whether it tells one (an
// empty file tells 0; a character device tells none).
struct chip_file {
	intptr_t handle;
	uint64_t size;
	int told;
};

// Results of the chip's calls: done; the file does not exist, may not be
// opened (permission denied), is read-only (also a chip that the system
// does not let be written), or cannot be opened otherwise;
// the chip did not answer (a timeout, no acknowledgement, an I/O error); a
// write reached past the chip's end; another failure.
enum {
	CHIP_OK = 0,
	CHIP_MISSING,
	CHIP_DENIED,
	CHIP_READ_ONLY,
	CHIP_CANNOT_OPEN,
	CHIP_NO_ANSWER,
	CHIP_PAST_END,
	CHIP_FAILED,
};

// Opens the chip's file for reading, and with write for writing too, never
// creating, truncating or growing it, and takes a lock on it (no lock
// file): exclusive to write, else shared, waiting while another run holds
// one that keeps it. Returns a CHIP_
// result; *c is the chip when CHIP_OK.
int chip_open(const char *name, int write, chip_file *c);

// Reads n bytes from offset on into to, in calls of at most a page of the
// system's (4096 bytes), a short read continued and an interrupted one
// tried again. Returns a CHIP_ result; reading past the end of the file is
// CHIP_FAILED.
int chip_read(chip_file *c, uint64_t offset, uint8_t *to, size_t n);

// Writes n bytes from offset on in one call, a short write continued from
// where it stopped and an interrupted one tried again. Returns a CHIP_
// result.
int chip_write(chip_file *c, uint64_t offset, const uint8_t *from, size_t n);

// Closes the chip's file, which lets go of its lock.
void chip_close(chip_file *c);

// Whether the stream is a terminal.
int is_terminal(FILE *stream);

// Milliseconds from some fixed moment on, never going back.
uint64_t clock_ms();

// Copies at most capacity - 2 characters of the executable's version text
// and a NUL into buffer. Leaves buffer unchanged when no version text can
// be had.
void query_file_version(char *buffer, size_t capacity);

// The same text without its blanks ("2.1.0.0"), into text of capacity
// characters with its NUL; empty when no version text can be had.
void version_text(char *text, size_t capacity);

#endif
