// What differs between the platforms, for POSIX systems.
#include "cli/platform.h"

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int open_closed_standard_descriptors()
{
	int opened = 0;
	for (int fd = 0; fd <= 2; fd++) {
		if (fcntl(fd, F_GETFD) != -1)
			continue;
		// The lowest free descriptor, which is fd.
		int null = open("/dev/null", O_RDWR);
		if (null >= 0 && null != fd)
			close(null);
		opened |= 1 << fd;
	}
	return opened;
}

void ignore_write_signals()
{
	std::signal(SIGPIPE, SIG_IGN);
	std::signal(SIGXFSZ, SIG_IGN);
}

char **utf8_arguments(int *, char **argv)
{
	return argv;
}

FILE *open_file(const char *name, const char *mode)
{
	return std::fopen(name, mode);
}

int is_directory(FILE *stream)
{
	struct stat st;
	return fstat(fileno(stream), &st) == 0 && S_ISDIR(st.st_mode) ? 1 : 0;
}

int is_same_file(const char *name, FILE *stream)
{
	struct stat named;
	struct stat opened;

	if (stream == nullptr || stat(name, &named) != 0 ||
	    fstat(fileno(stream), &opened) != 0)
		return 0;
	return named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
}

// A second descriptor of the file outlives the stream, so that the file can
// be emptied after the close has flushed (or failed to flush) what stdio
// still held.
int close_output(FILE *stream, int keep)
{
	int failed = std::fflush(stream) != 0;
	int fd = dup(fileno(stream));
	failed |= std::fclose(stream) != 0;
	struct stat st;
	if ((failed || !keep) && fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
	    ftruncate(fd, 0) != 0)
		failed = 1;
	if (fd >= 0)
		close(fd);
	return failed;
}
