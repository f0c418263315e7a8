// Whether a file name and an open stream refer to the same file.
#include "cli/file_identity.h"

#include <sys/stat.h>

int is_same_file(const char *name, FILE *stream)
{
	struct stat named;
	struct stat opened;

	if (stream == nullptr || stat(name, &named) != 0 ||
	    fstat(fileno(stream), &opened) != 0)
		return 0;
	return named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
}
