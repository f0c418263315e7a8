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
// when it exists, and opens it for writing in text mode; *temp is its name,
// which the caller frees. Null on failure.
FILE *create_beside(const char *target, char **temp);

// Puts the file temp in the place of target, replacing it in one step, and
// has the system put the new name on the disk. Returns 0, or non-zero on
// failure.
int replace_file(const char *temp, const char *target);

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

// Flushes a stream that was written, and has the system put what it holds
// for the file on the disk. Returns 0, or 1 when either fails.
int sync_file(FILE *stream);

// text as one word of a command that the platform's shells read as it
// is: unchanged when that needs no quotes, else quoted (single quotes for
// POSIX shells, a quote in it as '\''; double quotes, which cmd.exe and
// PowerShell both read, on Windows). In memory that the caller frees; null
// when out of memory.
char *shell_word(const char *text);

// Tells the system that the size bytes from block on are about to be used
// whole, so that it may back them with large pages: a chip's image of
// megabytes then costs few page faults. Changes nothing else.
void expect_whole_use(void *block, size_t size);

// Copies at most capacity - 2 characters of the executable's version text
// and a NUL into buffer. Leaves buffer unchanged when no version text can
// be had.
void query_file_version(char *buffer, size_t capacity);

// The same text without its blanks ("2.1.0.0"), into text of capacity
// characters with its NUL; empty when no version text can be had.
void version_text(char *text, size_t capacity);

#endif
