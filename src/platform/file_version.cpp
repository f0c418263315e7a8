// The version text on platforms whose executables carry no version resource.
#include "platform/platform.h"

#ifndef TARNWICK_FILE_VERSION
#error "the build defines TARNWICK_FILE_VERSION"
#endif

// Copies at most length - 1 characters of text and a NUL, as the Windows
// lstrcpyn does; a length of 0 copies nothing.
static void copy_bounded(char *buffer, const char *text, size_t length)
{
	if (length == 0)
		return;
	size_t i = 0;
	for (; i + 1 < length && text[i] != '\0'; i++)
		buffer[i] = text[i];
	buffer[i] = '\0';
}

void query_file_version(char *buffer, size_t capacity)
{
	if (capacity == 0)
		return;
	copy_bounded(buffer, TARNWICK_FILE_VERSION, capacity - 1);
}
