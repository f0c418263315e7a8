// What differs between the platforms, for Windows: file names and arguments
// go through the wide-character API and are UTF-8 inside the program.
#include "platform/platform.h"

#include "platform/memory.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

// The C runtime's own parse of the wide-character command line, the one
// that gives main its arguments; msvcrt.dll exports it.
struct crt_startup_info {
	int new_mode;
};
extern "C" int __wgetmainargs(int *argc, wchar_t ***argv, wchar_t ***env, int expand_wildcards,
			      crt_startup_info *info);

int open_closed_standard_descriptors()
{
	int opened = 0;
	for (int fd = 0; fd <= 2; fd++) {
		// -2 is the runtime's mark of a standard stream with no handle.
		intptr_t handle = _get_osfhandle(fd);
		if (handle != -1 && handle != -2)
			continue;
		int null = _open("NUL", _O_RDWR | _O_BINARY);
		if (null >= 0 && null != fd) {
			_dup2(null, fd);
			_close(null);
		}
		opened |= 1 << fd;
	}
	return opened;
}

void ignore_write_signals()
{
	// Windows has no SIGPIPE or SIGXFSZ: a failed write is only reported.
}

// The UTF-8 form of a wide-character text, in memory that lives as long as
// the process; null when there is no memory for it.
static char *utf8_of(const wchar_t *text)
{
	int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
	char *utf8 = size > 0 ? static_cast<char *>(std::malloc(size_t(size))) : nullptr;
	if (utf8 != nullptr)
		WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, size, nullptr, nullptr);
	return utf8;
}

// The wide-character form of a UTF-8 text; the caller frees it.
static wchar_t *wide_of(const char *text)
{
	int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
	wchar_t *wide = size > 0 ? static_cast<wchar_t *>(std::malloc(sizeof(wchar_t) * size))
				 : nullptr;
	if (wide != nullptr)
		MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, size);
	return wide;
}

char **utf8_arguments(int *argc, char **argv)
{
	int count = 0;
	wchar_t **wide = nullptr, **env = nullptr;
	crt_startup_info info = {0};
	if (__wgetmainargs(&count, &wide, &env, 0, &info) != 0 || wide == nullptr)
		return argv;
	char **args = static_cast<char **>(std::calloc(size_t(count) + 1, sizeof(char *)));
	for (int i = 0; args != nullptr && i < count; i++)
		if ((args[i] = utf8_of(wide[i])) == nullptr)
			return argv;
	if (args == nullptr)
		return argv;
	*argc = count;
	return args;
}

// Any other process may read, write, rename or replace a file that is
// open for reading: a run that reads a file never keeps another from
// putting a new one in its place.
constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens a file for reading with every kind of sharing; mode is "r", "rt"
// or "rb".
static FILE *open_for_reading(const wchar_t *name, const char *mode)
{
	HANDLE file = CreateFileW(name, GENERIC_READ, SHARE_ALL, nullptr, OPEN_EXISTING,
				  FILE_ATTRIBUTE_NORMAL, nullptr);
	if (file == INVALID_HANDLE_VALUE)
		return nullptr;
	int binary = std::strchr(mode, 'b') != nullptr;
	int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file),
				 _O_RDONLY | (binary ? _O_BINARY : _O_TEXT));
	if (fd < 0) {
		CloseHandle(file);
		return nullptr;
	}
	FILE *stream = _fdopen(fd, mode);
	if (stream == nullptr)
		_close(fd);
	return stream;
}

FILE *open_file(const char *name, const char *mode)
{
	wchar_t *wide_name = wide_of(name);
	wchar_t *wide_mode = wide_of(mode);
	FILE *stream = nullptr;
	if (wide_name != nullptr && wide_mode != nullptr)
		stream = mode[0] == 'r' && std::strchr(mode, '+') == nullptr
				 ? open_for_reading(wide_name, mode)
				 : _wfopen(wide_name, wide_mode);
	std::free(wide_name);
	std::free(wide_mode);
	return stream;
}

static HANDLE handle_of(FILE *stream)
{
	return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

// Volume serial number, file index and attributes: a file's identity and
// kind on Windows, where stat reports no inode.
static bool identity_of(HANDLE file, BY_HANDLE_FILE_INFORMATION *info)
{
	return file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, info) != 0;
}

int is_directory(FILE *stream)
{
	BY_HANDLE_FILE_INFORMATION info;
	return identity_of(handle_of(stream), &info) &&
			       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
		       ? 1
		       : 0;
}

int is_regular_file(FILE *stream)
{
	return GetFileType(handle_of(stream)) == FILE_TYPE_DISK && !is_directory(stream) ? 1 : 0;
}

int is_same_file(const char *name, FILE *stream)
{
	if (stream == nullptr)
		return 0;
	BY_HANDLE_FILE_INFORMATION opened, named;
	if (!identity_of(handle_of(stream), &opened))
		return 0;
	wchar_t *wide_name = wide_of(name);
	HANDLE other = wide_name == nullptr
			       ? INVALID_HANDLE_VALUE
			       : CreateFileW(wide_name, 0,
					     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
					     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
	std::free(wide_name);
	bool same = identity_of(other, &named) &&
		    named.dwVolumeSerialNumber == opened.dwVolumeSerialNumber &&
		    named.nFileIndexHigh == opened.nFileIndexHigh &&
		    named.nFileIndexLow == opened.nFileIndexLow;
	if (other != INVALID_HANDLE_VALUE)
		CloseHandle(other);
	return same ? 1 : 0;
}

// A second descriptor of the file outlives the stream, so that the file can
// be emptied after the close has flushed (or failed to flush) what the
// runtime still held.
int close_output(FILE *stream, int keep)
{
	int failed = std::fflush(stream) != 0;
	int fd = _dup(_fileno(stream));
	failed |= std::fclose(stream) != 0;
	if ((failed || !keep) && fd >= 0 &&
	    GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) == FILE_TYPE_DISK &&
	    _chsize(fd, 0) != 0)
		failed = 1;
	if (fd >= 0)
		_close(fd);
	return failed;
}

// A copy of a text; null when out of memory.
static char *copy_of(const char *text)
{
	size_t n = std::strlen(text) + 1;
	char *copy = static_cast<char *>(std::malloc(n));
	if (copy != nullptr)
		std::memcpy(copy, text, n);
	return copy;
}

// The file that a symbolic link leads to, as the system resolves it when it
// opens the file; a name that leads to no file yet is its own target.
char *output_target(const char *name)
{
	wchar_t *wide = wide_of(name);
	HANDLE file = wide == nullptr ? INVALID_HANDLE_VALUE
				      : CreateFileW(wide, 0, FILE_SHARE_READ | FILE_SHARE_WRITE |
								 FILE_SHARE_DELETE,
						    nullptr, OPEN_EXISTING, 0, nullptr);
	std::free(wide);
	if (file == INVALID_HANDLE_VALUE)
		return copy_of(name);
	wchar_t final[MAX_PATH * 8];
	DWORD n = GetFinalPathNameByHandleW(file, final, sizeof final / sizeof final[0],
					    FILE_NAME_NORMALIZED);
	CloseHandle(file);
	char *target = n > 0 && n < sizeof final / sizeof final[0] ? utf8_of(final) : nullptr;
	return target != nullptr ? target : copy_of(name);
}

// The full path of a name, as the system resolves it; null on failure.
static wchar_t *full_path_of(const char *name)
{
	wchar_t *wide = wide_of(name);
	DWORD size = wide != nullptr ? GetFullPathNameW(wide, 0, nullptr, nullptr) : 0;
	wchar_t *full = size > 0 ? static_cast<wchar_t *>(std::malloc(sizeof(wchar_t) * size))
				 : nullptr;
	if (full != nullptr && GetFullPathNameW(wide, size, full, nullptr) == 0) {
		std::free(full);
		full = nullptr;
	}
	std::free(wide);
	return full;
}

// A full path without the \\?\ before a drive letter that
// GetFinalPathNameByHandleW puts in front of it.
static const wchar_t *plain_path(const wchar_t *path)
{
	bool prefixed = std::wcsncmp(path, L"\\\\?\\", 4) == 0 && path[4] != L'\0' && path[5] == L':';
	return prefixed ? path + 4 : path;
}

int names_one_file(const char *a, const char *b)
{
	FILE *existing = open_file(a, "rb");
	int same = existing != nullptr && is_same_file(b, existing);
	if (existing != nullptr)
		std::fclose(existing);
	wchar_t *fa = full_path_of(a), *fb = full_path_of(b);
	// File names are compared without regard to case, as the file system
	// does, and without the \\?\ of a path that output_target made.
	if (fa != nullptr && fb != nullptr &&
	    CompareStringOrdinal(plain_path(fa), -1, plain_path(fb), -1, TRUE) == CSTR_EQUAL)
		same = 1;
	std::free(fa);
	std::free(fb);
	return same;
}

// The folder of a full path, with its last backslash; it ends the text.
static void cut_to_folder(wchar_t *full)
{
	wchar_t *slash = std::wcsrchr(full, L'\\');
	if (slash != nullptr)
		slash[1] = L'\0';
}

int output_kind(const char *target)
{
	wchar_t *full = target[0] != '\0' ? full_path_of(target) : nullptr;
	if (full == nullptr)
		return OUTPUT_CANNOT_OPEN;
	DWORD attributes = GetFileAttributesW(full);
	int kind = OUTPUT_BESIDE;
	if (attributes == INVALID_FILE_ATTRIBUTES) {
		// A device such as NUL has no attributes but opens.
		HANDLE device = CreateFileW(full, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
					    OPEN_EXISTING, 0, nullptr);
		if (device != INVALID_HANDLE_VALUE) {
			kind = GetFileType(device) == FILE_TYPE_DISK ? OUTPUT_BESIDE : OUTPUT_DEVICE;
			CloseHandle(device);
		} else {
			cut_to_folder(full);
			DWORD folder = GetFileAttributesW(full);
			if (folder == INVALID_FILE_ATTRIBUTES || (folder & FILE_ATTRIBUTE_DIRECTORY) == 0)
				kind = OUTPUT_CANNOT_OPEN;
		}
	} else if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
		kind = OUTPUT_CANNOT_OPEN;
	}
	std::free(full);
	return kind;
}

// Length of the folder part of a path, its last separator included.
static size_t folder_length(const char *path)
{
	size_t n = std::strlen(path);
	while (n > 0 && path[n - 1] != '\\' && path[n - 1] != '/' && path[n - 1] != ':')
		n--;
	return n;
}

FILE *create_beside(const char *target, char **temp, int binary)
{
	// A short name, whatever the length of the target's.
	size_t n = folder_length(target);
	*temp = static_cast<char *>(std::malloc(n + 40));
	if (*temp == nullptr)
		return nullptr;
	for (unsigned attempt = 0; attempt < 100; attempt++) {
		std::snprintf(*temp, n + 40, "%.*s.tarnwick-%lu-%u", int(n), target,
			      static_cast<unsigned long>(GetCurrentProcessId()), attempt);
		wchar_t *wide = wide_of(*temp);
		int fd = wide != nullptr ? _wopen(wide,
						  _O_CREAT | _O_EXCL | _O_WRONLY |
							  (binary ? _O_BINARY : _O_TEXT),
						  _S_IREAD | _S_IWRITE)
					 : -1;
		std::free(wide);
		FILE *stream = fd >= 0 ? _fdopen(fd, binary ? "wb" : "wt") : nullptr;
		if (stream != nullptr)
			return stream;
		if (fd >= 0) {
			_close(fd);
			remove_file(*temp);
		}
		if (errno != EEXIST)
			break;
	}
	std::free(*temp);
	*temp = nullptr;
	return nullptr;
}

FILE *create_new(const char *name, const char *)
{
	wchar_t *wide = wide_of(name);
	int fd = wide != nullptr ? _wopen(wide, _O_CREAT | _O_EXCL | _O_WRONLY | _O_TEXT,
					  _S_IREAD | _S_IWRITE)
				 : -1;
	std::free(wide);
	FILE *stream = fd >= 0 ? _fdopen(fd, "wt") : nullptr;
	if (stream == nullptr && fd >= 0) {
		_close(fd);
		remove_file(name);
	}
	return stream;
}

// How long a target that another process holds open (a program that reads
// it now and then) is waited for, and the pause between tries, in
// milliseconds.
constexpr DWORD REPLACE_PATIENCE_MS = 10000;
constexpr DWORD REPLACE_PAUSE_MS = 20;

int replace_file(const char *temp, const char *target)
{
	wchar_t *from = wide_of(temp), *to = wide_of(target);
	BOOL moved = FALSE;
	// Written through, the move has reached the disk when it returns.
	for (DWORD waited = 0; from != nullptr && to != nullptr; waited += REPLACE_PAUSE_MS) {
		moved = MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
		DWORD error = moved ? ERROR_SUCCESS : GetLastError();
		if (moved || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
		    waited >= REPLACE_PATIENCE_MS)
			break;
		Sleep(REPLACE_PAUSE_MS);
	}
	std::free(from);
	std::free(to);
	return moved ? REPLACE_DONE : REPLACE_NOT_DONE;
}

void remove_file(const char *name)
{
	wchar_t *wide = wide_of(name);
	if (wide != nullptr)
		_wremove(wide);
	std::free(wide);
}

// The attributes of the file name, INVALID_FILE_ATTRIBUTES when there is
// none.
static DWORD attributes_of(const char *name)
{
	wchar_t *wide = wide_of(name);
	DWORD attributes = wide != nullptr ? GetFileAttributesW(wide) : INVALID_FILE_ATTRIBUTES;
	std::free(wide);
	return attributes;
}

int remove_regular_file(const char *name)
{
	DWORD attributes = attributes_of(name);
	if (attributes == INVALID_FILE_ATTRIBUTES)
		return GetLastError() == ERROR_FILE_NOT_FOUND ? REMOVED : NOT_REMOVED;
	if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
		return NOT_REGULAR;
	remove_file(name);
	return attributes_of(name) == INVALID_FILE_ATTRIBUTES ? REMOVED : NOT_REMOVED;
}

unsigned long file_names(const char *name)
{
	wchar_t *wide = wide_of(name);
	HANDLE file = wide != nullptr ? CreateFileW(wide, 0, SHARE_ALL, nullptr, OPEN_EXISTING, 0,
						    nullptr)
				      : INVALID_HANDLE_VALUE;
	std::free(wide);
	BY_HANDLE_FILE_INFORMATION info;
	unsigned long names = identity_of(file, &info) ? info.nNumberOfLinks : 0;
	if (file != INVALID_HANDLE_VALUE)
		CloseHandle(file);
	return names;
}

int can_read_file(const char *name)
{
	DWORD attributes = attributes_of(name);
	return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0
		       ? 1
		       : 0;
}

int open_append(const char *name, FILE **stream)
{
	// Windows has no pipes among its files that a run could wait on.
	*stream = open_file(name, "a+b");
	if (*stream == nullptr)
		*stream = open_file(name, "ab");
	if (*stream == nullptr)
		return APPEND_CANNOT_OPEN;
	std::setvbuf(*stream, nullptr, _IONBF, 0);
	return is_regular_file(*stream) ? APPEND_READABLE : APPEND_WRITE_ONLY;
}

int lock_stream(FILE *stream)
{
	// A byte at 2^62: a lock on Windows keeps others from the bytes it
	// covers, and no file reaches it.
	OVERLAPPED at = {};
	at.OffsetHigh = 0x40000000;
	return LockFileEx(handle_of(stream), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at) ? 0 : 1;
}

void *map_memory(size_t length)
{
	return VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void unmap_memory(void *block, size_t)
{
	VirtualFree(block, 0, MEM_RELEASE);
}

size_t memory_page()
{
	SYSTEM_INFO info;
	GetSystemInfo(&info);
	return info.dwPageSize;
}

int map_file_bytes(FILE *, void *, size_t)
{
	// A view of a file cannot take the place of memory already allocated.
	return 1;
}

void expect_whole_use(void *, size_t)
{
	// Large pages need a privilege that a user's process does not have.
}

// Characters that cmd.exe and PowerShell both take as they are in a word.
static const char SHELL_SAFE[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
				 "0123456789_%+=:./\\-";

int shell_caveats(const char *text)
{
	// PowerShell takes U+201C, U+201D and U+201E for double quotes.
	int caveats = 0;
	if (std::strchr(text, '%') != nullptr)
		caveats |= SHELL_CMD;
	if (std::strpbrk(text, "$`") != nullptr || std::strstr(text, "\xE2\x80\x9C") != nullptr ||
	    std::strstr(text, "\xE2\x80\x9D") != nullptr || std::strstr(text, "\xE2\x80\x9E") != nullptr)
		caveats |= SHELL_POWERSHELL;
	return caveats;
}

char *shell_word(const char *text)
{
	size_t n = std::strlen(text);
	char *word = static_cast<char *>(run_realloc(nullptr, 2 * n + 3));
	if (word == nullptr)
		return nullptr;
	if (n > 0 && std::strspn(text, SHELL_SAFE) == n) {
		std::memcpy(word, text, n + 1);
		return word;
	}
	// No file name holds a double quote; backslashes right before the
	// closing one are doubled, so that it is not taken for a quote within.
	size_t tail = 0;
	while (tail < n && text[n - 1 - tail] == '\\')
		tail++;
	char *p = word;
	*p++ = '"';
	std::memcpy(p, text, n);
	p += n;
	std::memset(p, '\\', tail);
	p += tail;
	*p++ = '"';
	*p = '\0';
	return word;
}

intptr_t lock_file(const char *name, const char *)
{
	wchar_t *wide = wide_of(name);
	HANDLE file = wide != nullptr ? CreateFileW(wide, GENERIC_READ | GENERIC_WRITE,
						    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
						    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
				      : INVALID_HANDLE_VALUE;
	std::free(wide);
	if (file == INVALID_HANDLE_VALUE)
		return -1;
	OVERLAPPED at = {};
	if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) {
		CloseHandle(file);
		return -1;
	}
	return reinterpret_cast<intptr_t>(file);
}

void unlock_file(intptr_t lock)
{
	if (lock != -1)
		CloseHandle(reinterpret_cast<HANDLE>(lock));
}

int truncate_stream(FILE *stream, int64_t size)
{
	return std::fflush(stream) != 0 || _chsize_s(_fileno(stream), size) != 0 ? 1 : 0;
}

int64_t stream_size(FILE *stream)
{
	return _filelengthi64(_fileno(stream));
}

int sync_file(FILE *stream)
{
	return std::fflush(stream) != 0 || _commit(_fileno(stream)) != 0 ? 1 : 0;
}

int chip_open(const char *name, int write, chip_file *c)
{
	wchar_t *wide = wide_of(name);
	HANDLE file = wide != nullptr ? CreateFileW(wide, GENERIC_READ | (write ? GENERIC_WRITE : 0),
						    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
						    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
				      : INVALID_HANDLE_VALUE;
	DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
	DWORD attributes = wide != nullptr ? GetFileAttributesW(wide) : INVALID_FILE_ATTRIBUTES;
	std::free(wide);
	if (file == INVALID_HANDLE_VALUE)
		return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? CHIP_MISSING
		       : error == ERROR_WRITE_PROTECT ||
				 (attributes != INVALID_FILE_ATTRIBUTES &&
				  (attributes & FILE_ATTRIBUTE_READONLY) != 0)
			       ? CHIP_READ_ONLY
		       : error == ERROR_ACCESS_DENIED ? CHIP_DENIED
						      : CHIP_CANNOT_OPEN;
	// A second run on the chip waits for the first.
	OVERLAPPED at = {};
	LARGE_INTEGER size;
	if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &at)) {
		CloseHandle(file);
		return CHIP_CANNOT_OPEN;
	}
	bool disk = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size);
	*c = chip_file{reinterpret_cast<intptr_t>(file), disk ? uint64_t(size.QuadPart) : 0, disk};
	return CHIP_OK;
}

// Most bytes of one read call: what the system moves at a time.
constexpr DWORD CHIP_READ_MOST = 4096;

// The result of a failed call, by the last error.
static int chip_failure()
{
	switch (GetLastError()) {
	case ERROR_IO_DEVICE:
	case ERROR_CRC:
	case ERROR_SEM_TIMEOUT:
	case ERROR_NOT_READY: return CHIP_NO_ANSWER;
	case ERROR_DISK_FULL:
	case ERROR_HANDLE_DISK_FULL: return CHIP_PAST_END;
	default: return CHIP_FAILED;
	}
}

// The position of a call, in an OVERLAPPED.
static OVERLAPPED at_offset(uint64_t offset)
{
	OVERLAPPED at = {};
	at.Offset = DWORD(offset & 0xFFFFFFFF);
	at.OffsetHigh = DWORD(offset >> 32);
	return at;
}

int chip_read(chip_file *c, uint64_t offset, uint8_t *to, size_t n)
{
	HANDLE file = reinterpret_cast<HANDLE>(c->handle);
	for (size_t done = 0; done < n;) {
		DWORD most = n - done < CHIP_READ_MOST ? DWORD(n - done) : CHIP_READ_MOST, got = 0;
		OVERLAPPED at = at_offset(offset + done);
		if (!ReadFile(file, to + done, most, &got, &at))
			return GetLastError() == ERROR_HANDLE_EOF ? CHIP_FAILED : chip_failure();
		if (got == 0)
			return CHIP_FAILED;
		done += got;
	}
	return CHIP_OK;
}

int chip_write(chip_file *c, uint64_t offset, const uint8_t *from, size_t n)
{
	HANDLE file = reinterpret_cast<HANDLE>(c->handle);
	for (size_t done = 0; done < n;) {
		DWORD put = 0;
		OVERLAPPED at = at_offset(offset + done);
		if (!WriteFile(file, from + done, DWORD(n - done), &put, &at))
			return chip_failure();
		if (put == 0)
			return CHIP_FAILED;
		done += put;
	}
	return CHIP_OK;
}

void chip_close(chip_file *c)
{
	CloseHandle(reinterpret_cast<HANDLE>(c->handle));
	c->handle = -1;
}

int is_terminal(FILE *stream)
{
	return _isatty(_fileno(stream)) ? 1 : 0;
}

uint64_t clock_ms()
{
	return GetTickCount64();
}
