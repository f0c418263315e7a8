// The version text as the banner and the serial log show it: the executable's, without its blanks.
#include "platform/platform.h"

void version_text(char *text, size_t capacity)
{
	if (capacity == 0)
		return;
	text[0] = '\0';
	query_file_version(text, capacity);
	size_t length = 0;
	for (const char *p = text; *p != '\0'; p++)
		if (*p != ' ')
			text[length++] = *p;
	text[length] = '\0';
}
