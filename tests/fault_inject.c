/* A library that the end-to-end tests preload into the binary under test: it makes system calls fail as a failing disk or chip does. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <sys/types.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* What the environment asks for:
 * TARNWICK_FAIL_FSYNC=k      the k-th call of fsync fails with EIO;
 * TARNWICK_FAIL_FOLDER=1     opening a folder fails with EIO;
 * TARNWICK_KILL_AT_RENAME=1  a rename of a file whose name ends in ".new"
 *                            kills the process first, as a power failure
 *                            would stop it;
 * and for the writes of a chip (pwrite, which tarnwick calls for nothing
 * else), as the kernel's EEPROM driver shows a chip:
 * TARNWICK_CHIP_CALLS=file   each call's offset and length, a line each,
 *                            are appended to file;
 * TARNWICK_CHIP_SHORT=n      a call moves at most n bytes;
 * TARNWICK_CHIP_FAIL=k:e     the k-th call fails with errno e;
 * TARNWICK_CHIP_END=n        a call at or past byte n fails with EFBIG, one
 *                            that runs over it is cut short there;
 * TARNWICK_CHIP_PROTECT=1    a call says it wrote what it was given and
 *                            stores nothing, as a write-protected chip;
 * TARNWICK_CHIP_DELAY=ms     each call waits that long first. */
static long setting(const char *name)
{
	const char *value = getenv(name);
	return value != NULL ? strtol(value, NULL, 10) : 0;
}

int fsync(int fd)
{
	static long calls;
	static int (*real)(int);
	if (real == NULL)
		*(void **)&real = dlsym(RTLD_NEXT, "fsync");
	if (++calls == setting("TARNWICK_FAIL_FSYNC")) {
		errno = EIO;
		return -1;
	}
	return real(fd);
}

int open(const char *name, int flags, ...)
{
	static int (*real)(const char *, int, ...);
	if (real == NULL)
		*(void **)&real = dlsym(RTLD_NEXT, "open");
	if ((flags & O_DIRECTORY) && setting("TARNWICK_FAIL_FOLDER")) {
		errno = EIO;
		return -1;
	}
	va_list args;
	va_start(args, flags);
	int mode = va_arg(args, int);
	va_end(args);
	return real(name, flags, mode);
}

int rename(const char *from, const char *to)
{
	static int (*real)(const char *, const char *);
	if (real == NULL)
		*(void **)&real = dlsym(RTLD_NEXT, "rename");
	size_t n = strlen(from);
	if (setting("TARNWICK_KILL_AT_RENAME") && n > 4 && strcmp(from + n - 4, ".new") == 0)
		kill(getpid(), SIGKILL);
	return real(from, to);
}

/* One write call of the chip, after the faults that the settings ask for. */
static ssize_t chip_call(int fd, const void *bytes, size_t n, off_t offset)
{
	static long calls;
	static ssize_t (*real)(int, const void *, size_t, off_t);
	if (real == NULL)
		*(void **)&real = dlsym(RTLD_NEXT, "pwrite64");
	const char *log = getenv("TARNWICK_CHIP_CALLS");
	FILE *out = log != NULL ? fopen(log, "a") : NULL;
	if (out != NULL) {
		fprintf(out, "%lld %zu\n", (long long)offset, n);
		fclose(out);
	}
	if (setting("TARNWICK_CHIP_DELAY") > 0)
		usleep((useconds_t)setting("TARNWICK_CHIP_DELAY") * 1000);
	const char *fail = getenv("TARNWICK_CHIP_FAIL");
	if (++calls == setting("TARNWICK_CHIP_FAIL") && strchr(fail, ':') != NULL) {
		errno = (int)strtol(strchr(fail, ':') + 1, NULL, 10);
		return -1;
	}
	long end = setting("TARNWICK_CHIP_END"), most = setting("TARNWICK_CHIP_SHORT");
	if (end > 0 && offset >= end) {
		errno = EFBIG;
		return -1;
	}
	if (end > 0 && offset + (off_t)n > end)
		n = (size_t)(end - offset);
	if (most > 0 && n > (size_t)most)
		n = (size_t)most;
	return setting("TARNWICK_CHIP_PROTECT") ? (ssize_t)n : real(fd, bytes, n, offset);
}

ssize_t pwrite(int fd, const void *bytes, size_t n, off_t offset)
{
	return chip_call(fd, bytes, n, offset);
}

ssize_t pwrite64(int fd, const void *bytes, size_t n, off_t offset)
{
	return chip_call(fd, bytes, n, offset);
}
