/* A library that the end-to-end tests preload into the binary under test: it makes system calls fail as a failing disk does. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* What the environment asks for:
 * TARNWICK_FAIL_FSYNC=k      the k-th call of fsync fails with EIO;
 * TARNWICK_FAIL_FOLDER=1     opening a folder fails with EIO;
 * TARNWICK_KILL_AT_RENAME=1  a rename of a file whose name ends in ".new"
 *                            kills the process first, as a power failure
 *                            would stop it. */
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
