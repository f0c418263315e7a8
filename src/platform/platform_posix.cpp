// What differs between the platforms, for POSIX systems.
#include "platform/platform.h"

#include "report/memory.h"

#include <cerrno>
#include <cstdint>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
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

int is_regular_file(FILE *stream)
{
	struct stat st;
	return fstat(fileno(stream), &st) == 0 && S_ISREG(st.st_mode) ? 1 : 0;
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

// A copy of text[0 .. n) as a string; null when out of memory.
static char *copy_of(const char *text, size_t n)
{
	char *copy = static_cast<char *>(std::malloc(n + 1));
	if (copy != nullptr) {
		std::memcpy(copy, text, n);
		copy[n] = '\0';
	}
	return copy;
}

// Length of the folder part of a path, its last slash included; 0 for a
// name without a folder.
static size_t folder_length(const char *path)
{
	const char *slash = std::strrchr(path, '/');
	return slash != nullptr ? size_t(slash - path + 1) : 0;
}

// Links followed at most, as the kernel does.
constexpr int MOST_LINKS = 40;

// The path that a link's text leads to: from the folder that holds the link
// when the text is relative. Null when out of memory.
static char *link_destination(const char *path, const char *text, size_t n)
{
	size_t keep = text[0] == '/' ? 0 : folder_length(path);
	char *next = static_cast<char *>(std::malloc(keep + n + 1));
	if (next != nullptr) {
		std::memcpy(next, path, keep);
		std::memcpy(next + keep, text, n);
		next[keep + n] = '\0';
	}
	return next;
}

char *output_target(const char *name)
{
	char *path = copy_of(name, std::strlen(name));
	char text[PATH_MAX];
	struct stat st;
	for (int hops = 0; path != nullptr && hops < MOST_LINKS; hops++) {
		ssize_t n;
		if (lstat(path, &st) != 0 || !S_ISLNK(st.st_mode) ||
		    (n = readlink(path, text, sizeof text - 1)) <= 0)
			break;
		char *next = link_destination(path, text, size_t(n));
		// A link that leads to a file while its text names none (such as
		// /proc/self/fd/1 of a pipe) is followed by the system alone.
		if (next != nullptr && stat(path, &st) == 0 && lstat(next, &st) != 0) {
			std::free(next);
			break;
		}
		std::free(path);
		path = next;
	}
	return path;
}

// The folder part of path, its last slash included, or "." for a name
// without one; false when it does not fit.
static bool folder_of(const char *path, char folder[PATH_MAX])
{
	size_t n = folder_length(path);
	if (n >= PATH_MAX)
		return false;
	std::memcpy(folder, n > 0 ? path : ".", n > 0 ? n : 1);
	folder[n > 0 ? n : 1] = '\0';
	return true;
}

// The path with its folder resolved, for comparing: the folder's real path
// and the last name; the path itself when the folder has none.
static void resolve(const char *path, char out[2 * PATH_MAX])
{
	char folder[PATH_MAX], real[PATH_MAX];
	if (!folder_of(path, folder) || realpath(folder, real) == nullptr)
		std::snprintf(out, 2 * PATH_MAX, "%s", path);
	else
		std::snprintf(out, 2 * PATH_MAX, "%s/%s", real, path + folder_length(path));
}

int names_one_file(const char *a, const char *b)
{
	struct stat sa, sb;
	if (stat(a, &sa) == 0 && stat(b, &sb) == 0)
		return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino ? 1 : 0;
	char ra[2 * PATH_MAX], rb[2 * PATH_MAX];
	resolve(a, ra);
	resolve(b, rb);
	return std::strcmp(ra, rb) == 0 ? 1 : 0;
}

// Whether files can be made in the folder of path.
static bool folder_writable(const char *path)
{
	char folder[PATH_MAX];
	return folder_of(path, folder) && access(folder, W_OK | X_OK) == 0;
}

int output_kind(const char *target)
{
	struct stat st, link;
	if (target[0] == '\0')
		return OUTPUT_CANNOT_OPEN;
	if (stat(target, &st) != 0)
		return errno == ENOENT && folder_writable(target) ? OUTPUT_BESIDE : OUTPUT_CANNOT_OPEN;
	if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && access(target, W_OK) != 0))
		return OUTPUT_CANNOT_OPEN;
	if (!S_ISREG(st.st_mode))
		return OUTPUT_DEVICE;
	// A link that output_target could not follow is written through.
	bool linked = lstat(target, &link) == 0 && S_ISLNK(link.st_mode);
	return !linked && folder_writable(target) ? OUTPUT_BESIDE : OUTPUT_IN_PLACE;
}

FILE *create_beside(const char *target, char **temp)
{
	// A short name, whatever the length of the target's.
	static const char NAME[] = ".tarnwick-XXXXXX";
	size_t n = folder_length(target);
	*temp = static_cast<char *>(std::malloc(n + sizeof NAME));
	if (*temp == nullptr)
		return nullptr;
	std::memcpy(*temp, target, n);
	std::memcpy(*temp + n, NAME, sizeof NAME);
	struct stat st;
	mode_t mask = umask(0);
	umask(mask);
	mode_t mode = stat(target, &st) == 0 ? st.st_mode & 07777 : 0666 & ~mask;
	int fd = mkstemp(*temp);
	// The group too, where the user may give it: files shared by a group
	// stay shared.
	if (fd >= 0 && stat(target, &st) == 0 && fchown(fd, uid_t(-1), st.st_gid) != 0)
		errno = 0;
	FILE *stream = fd >= 0 && fchmod(fd, mode) == 0 ? fdopen(fd, "w") : nullptr;
	if (stream == nullptr && fd >= 0) {
		close(fd);
		unlink(*temp);
	}
	if (stream == nullptr) {
		std::free(*temp);
		*temp = nullptr;
	}
	return stream;
}

int replace_file(const char *temp, const char *target)
{
	if (std::rename(temp, target) != 0)
		return 1;
	// The new name is on the disk only when its folder is.
	char folder[PATH_MAX];
	int fd = folder_of(target, folder) ? open(folder, O_RDONLY) : -1;
	if (fd >= 0) {
		fsync(fd);
		close(fd);
	}
	return 0;
}

void remove_file(const char *name)
{
	unlink(name);
}

void expect_whole_use(void *block, size_t size)
{
#ifdef MADV_HUGEPAGE
	// The advice takes whole pages: those that lie within the block.
	uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
	uintptr_t first = (uintptr_t(block) + page - 1) & ~(page - 1);
	uintptr_t end = (uintptr_t(block) + size) & ~(page - 1);
	if (end > first)
		madvise(reinterpret_cast<void *>(first), end - first, MADV_HUGEPAGE);
#else
	(void)block;
	(void)size;
#endif
}

// Characters that a POSIX shell takes as they are in a word.
static const char SHELL_SAFE[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
				 "0123456789_@%+=:,./-";

char *shell_word(const char *text)
{
	size_t n = std::strlen(text);
	char *word = static_cast<char *>(run_realloc(nullptr, 4 * n + 3));
	if (word == nullptr)
		return nullptr;
	if (n > 0 && std::strspn(text, SHELL_SAFE) == n) {
		std::memcpy(word, text, n + 1);
		return word;
	}
	char *p = word;
	*p++ = '\'';
	for (; *text != '\0'; text++)
		if (*text == '\'') {
			std::memcpy(p, "'\\''", 4);
			p += 4;
		} else {
			*p++ = *text;
		}
	*p++ = '\'';
	*p = '\0';
	return word;
}

intptr_t lock_file(const char *name, const char *like)
{
	int fd = open(name, O_RDWR | O_CREAT | O_EXCL, 0666);
	struct stat st;
	// A lock file that is made takes the permission bits and the group of
	// the file it locks, so that whoever may write that may lock it.
	if (fd >= 0 && stat(like, &st) == 0) {
		if (fchown(fd, uid_t(-1), st.st_gid) != 0 || fchmod(fd, st.st_mode & 0666) != 0)
			errno = 0;
	}
	if (fd < 0)
		fd = open(name, O_RDWR);
	if (fd < 0)
		return -1;
	struct flock lock = {};
	lock.l_type = F_WRLCK;
	lock.l_whence = SEEK_SET;
	int locked;
	while ((locked = fcntl(fd, F_SETLKW, &lock)) != 0 && errno == EINTR)
		;
	if (locked != 0) {
		close(fd);
		return -1;
	}
	return fd;
}

void unlock_file(intptr_t lock)
{
	if (lock >= 0)
		close(int(lock));
}

int truncate_stream(FILE *stream, int64_t size)
{
	return std::fflush(stream) != 0 || ftruncate(fileno(stream), off_t(size)) != 0 ? 1 : 0;
}

int sync_file(FILE *stream)
{
	return std::fflush(stream) != 0 || fsync(fileno(stream)) != 0 ? 1 : 0;
}
