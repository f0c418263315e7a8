/* A Windows program for the end-to-end tests: holds a file open for reading, as a program that watches it does. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

/* Usage: tarnwick_hold_open FILE MILLISECONDS. Opens FILE for reading,
 * sharing it for reading and writing but not for deleting or renaming, as
 * most programs open a file, says so with a line on its standard output,
 * and closes it after MILLISECONDS. */
int main(int argc, char **argv)
{
	if (argc != 3)
		return 2;
	HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
				  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
	if (file == INVALID_HANDLE_VALUE)
		return 1;
	printf("open\n");
	fflush(stdout);
	Sleep((DWORD)atol(argv[2]));
	CloseHandle(file);
	return 0;
}
