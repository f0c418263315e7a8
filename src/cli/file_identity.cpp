// Whether a file name and an open stream refer to the same file.
#include "cli/file_identity.h"

#ifdef _WIN32

#include <io.h>
#include <windows.h>

// Volume serial number and file index: a file's identity on Windows, where
// stat reports no inode.
static bool identity_of(HANDLE file, BY_HANDLE_FILE_INFORMATION *info)
{
	return file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, info) != 0;
}

int is_same_file(const char *name, FILE *stream)
{
	if (stream == nullptr)
		return 0;
	BY_HANDLE_FILE_INFORMATION opened, named;
	HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
	if (!identity_of(handle, &opened))
		return 0;
	HANDLE other = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
				   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
	bool same = identity_of(other, &named) &&
		    named.dwVolumeSerialNumber == opened.dwVolumeSerialNumber &&
		    named.nFileIndexHigh == opened.nFileIndexHigh &&
		    named.nFileIndexLow == opened.nFileIndexLow;
	if (other != INVALID_HANDLE_VALUE)
		CloseHandle(other);
	return same ? 1 : 0;
}

#else

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

#endif
