// What differs between the platforms, for POSIX systems.
#include "platform/platform.h"

#include "platform/memory.h"

#include <cerrno>
#include <cstdint>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>
#include <time.h>
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

// Gives a file just made the permission bits of the file like, when that
// exists, else those that the umask leaves of 0666, and the group of like
// too, where the user may give it: files shared by a group stay shared.
// Returns the file's stream for writing, or null after closing it.
static FILE *take_after(int fd, const char *like)
{
	struct stat st;
	mode_t mask = umask(0);
	umask(mask);
	bool known = stat(like, &st) == 0;
	mode_t mode = known ? st.st_mode & 07777 : 0666 & ~mask;
	if (known && fchown(fd, uid_t(-1), st.st_gid) != 0)
		errno = 0;
	FILE *stream = fchmod(fd, mode) == 0 ? fdopen(fd, "w") : nullptr;
	if (stream == nullptr)
		close(fd);
	return stream;
}

FILE *create_beside(const char *target, char **temp, int)
{
	// A short name, whatever the length of the target's.
	static const char NAME[] = ".tarnwick-XXXXXX";
	size_t n = folder_length(target);
	*temp = static_cast<char *>(std::malloc(n + sizeof NAME));
	if (*temp == nullptr)
		return nullptr;
	std::memcpy(*temp, target, n);
	std::memcpy(*temp + n, NAME, sizeof NAME);
	int fd = mkstemp(*temp);
	FILE *stream = fd >= 0 ? take_after(fd, target) : nullptr;
	if (stream == nullptr && fd >= 0)
		unlink(*temp);
	if (stream == nullptr) {
		std::free(*temp);
		*temp = nullptr;
	}
	return stream;
}

FILE *create_new(const char *name, const char *like)
{
	int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
	FILE *stream = fd >= 0 ? take_after(fd, like) : nullptr;
	if (stream == nullptr && fd >= 0)
		unlink(name);
	return stream;
}

int replace_file(const char *temp, const char *target)
{
	if (std::rename(temp, target) != 0)
		return REPLACE_NOT_DONE;
	// The new name is on the disk only when its folder is. A folder that
	// cannot be opened for reading cannot be flushed by this process, and
	// a file system that flushes no folders says EINVAL.
	char folder[PATH_MAX];
	int fd = folder_of(target, folder) ? open(folder, O_RDONLY | O_DIRECTORY) : -1;
	if (fd < 0)
		return errno == EACCES ? REPLACE_DONE : REPLACE_NOT_FLUSHED;
	int flushed = fsync(fd) == 0 || errno == EINVAL;
	close(fd);
	return flushed ? REPLACE_DONE : REPLACE_NOT_FLUSHED;
}

void remove_file(const char *name)
{
	unlink(name);
}

int remove_regular_file(const char *name)
{
	struct stat st;
	if (lstat(name, &st) != 0)
		return errno == ENOENT ? REMOVED : NOT_REMOVED;
	if (!S_ISREG(st.st_mode))
		return NOT_REGULAR;
	return unlink(name) == 0 ? REMOVED : NOT_REMOVED;
}

unsigned long file_names(const char *name)
{
	struct stat st;
	return stat(name, &st) == 0 ? static_cast<unsigned long>(st.st_nlink) : 0;
}

int can_read_file(const char *name)
{
	struct stat st;
	return stat(name, &st) == 0 && !S_ISDIR(st.st_mode) && access(name, R_OK) == 0 ? 1 : 0;
}

// Connects to the local socket name, as a stream or, where it takes no
// stream, as datagrams. Returns the descriptor, or -1.
static int connect_socket(const char *name)
{
	struct sockaddr_un address = {};
	address.sun_family = AF_UNIX;
	if (std::strlen(name) >= sizeof address.sun_path)
		return -1;
	std::strcpy(address.sun_path, name);
	for (int type : {SOCK_STREAM, SOCK_DGRAM}) {
		int fd = socket(AF_UNIX, type, 0);
		if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
			return fd;
		int error = errno;
		if (fd >= 0)
			close(fd);
		errno = error;
		if (error != EPROTOTYPE)
			break;
	}
	return -1;
}

int open_append(const char *name, FILE **stream)
{
	*stream = nullptr;
	// A device, a pipe or a socket is written alone, and a pipe or socket
	// without a reader not at all: a pipe opened without waiting says ENXIO,
	// a socket that no one listens on refuses the connection.
	struct stat st;
	bool special = stat(name, &st) == 0 && !S_ISREG(st.st_mode);
	int fd = special && S_ISSOCK(st.st_mode) ? connect_socket(name)
		 : open(name, special ? O_WRONLY | O_APPEND | O_NONBLOCK : O_RDWR | O_APPEND | O_CREAT,
			0666);
	if (fd < 0)
		return special && (errno == ENXIO || errno == ECONNREFUSED) ? APPEND_NO_READER
									    : APPEND_CANNOT_OPEN;
	if (special)
		fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
	*stream = fdopen(fd, special ? "ab" : "a+b");
	if (*stream == nullptr) {
		close(fd);
		return APPEND_CANNOT_OPEN;
	}
	std::setvbuf(*stream, nullptr, _IONBF, 0);
	return special ? APPEND_WRITE_ONLY : APPEND_READABLE;
}

void *map_memory(size_t length)
{
	void *block = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
	return block != MAP_FAILED ? block : nullptr;
}

void unmap_memory(void *block, size_t length)
{
	munmap(block, length);
}

size_t memory_page()
{
	return size_t(sysconf(_SC_PAGESIZE));
}

int map_file_bytes(FILE *stream, void *at, size_t length)
{
	void *mapped = mmap(at, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_FIXED,
			    fileno(stream), 0);
	if (mapped == at)
		return 0;
	// A failed fixed mapping may have taken the memory away: zeros again.
	mmap(at, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
	return 1;
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

int shell_caveats(const char *)
{
	return 0;
}

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

// Takes a lock on length bytes of the file fd from start on (0: to any
// end), exclusive, or shared with shared (for a file open for reading
// alone), waiting while another process holds one that keeps it. Returns
// 0, or 1.
static int wait_for_lock(int fd, off_t start, off_t length, bool shared = false)
{
	struct flock lock = {};
	lock.l_type = shared ? F_RDLCK : F_WRLCK;
	lock.l_whence = SEEK_SET;
	lock.l_start = start;
	lock.l_len = length;
	int locked;
	while ((locked = fcntl(fd, F_SETLKW, &lock)) != 0 && errno == EINTR)
		;
	return locked != 0;
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
	if (wait_for_lock(fd, 0, 0) != 0) {
		close(fd);
		return -1;
	}
	return fd;
}

// The byte that lock_stream locks: far beyond any data that a file holds.
constexpr off_t FAR_BYTE = off_t(1) << 62;

int lock_stream(FILE *stream)
{
	return wait_for_lock(fileno(stream), FAR_BYTE, 1);
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

int64_t stream_size(FILE *stream)
{
	struct stat st;
	return fstat(fileno(stream), &st) == 0 && S_ISREG(st.st_mode) ? int64_t(st.st_size) : -1;
}

int sync_file(FILE *stream)
{
	return std::fflush(stream) != 0 || fsync(fileno(stream)) != 0 ? 1 : 0;
}

int chip_open(const char *name, int write, chip_file *c)
{
	int fd = open(name, write ? O_RDWR : O_RDONLY);
	if (fd < 0)
		return errno == ENOENT			? CHIP_MISSING
		       : errno == EACCES			? CHIP_DENIED
		       : errno == EROFS || errno == EPERM ? CHIP_READ_ONLY
							: CHIP_CANNOT_OPEN;
	struct stat st;
	bool usable = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
	// A second run on the chip waits for the first.
	if (!usable || wait_for_lock(fd, 0, 0, !write) != 0) {
		close(fd);
		return CHIP_CANNOT_OPEN;
	}
	// A block device tells its size as its end.
	off_t end = S_ISBLK(st.st_mode) ? lseek(fd, 0, SEEK_END) : -1;
	*c = S_ISREG(st.st_mode) ? chip_file{fd, uint64_t(st.st_size), 1}
	     : end > 0		 ? chip_file{fd, uint64_t(end), 1}
				 : chip_file{fd, 0, 0};
	return CHIP_OK;
}

// Most bytes of one read call: what the system moves at a time.
constexpr size_t CHIP_READ_MOST = 4096;

// The result of a failed call, by errno.
static int chip_failure()
{
	switch (errno) {
	case ETIMEDOUT:
	case EREMOTEIO:
	case ENXIO:
	case EIO: return CHIP_NO_ANSWER;
	case EFBIG: return CHIP_PAST_END;
	default: return CHIP_FAILED;
	}
}

int chip_read(chip_file *c, uint64_t offset, uint8_t *to, size_t n)
{
	for (size_t done = 0; done < n;) {
		size_t most = n - done < CHIP_READ_MOST ? n - done : CHIP_READ_MOST;
		ssize_t got = pread(int(c->handle), to + done, most, off_t(offset + done));
		if (got < 0 && errno == EINTR)
			continue;
		if (got <= 0)
			return got == 0 ? CHIP_FAILED : chip_failure();
		done += size_t(got);
	}
	return CHIP_OK;
}

int chip_write(chip_file *c, uint64_t offset, const uint8_t *from, size_t n)
{
	for (size_t done = 0; done < n;) {
		ssize_t put = pwrite(int(c->handle), from + done, n - done, off_t(offset + done));
		if (put < 0 && errno == EINTR)
			continue;
		if (put <= 0)
			return put == 0 ? CHIP_FAILED : chip_failure();
		done += size_t(put);
	}
	return CHIP_OK;
}

void chip_close(chip_file *c)
{
	close(int(c->handle));
	c->handle = -1;
}

int is_terminal(FILE *stream)
{
	return isatty(fileno(stream));
}

uint64_t clock_ms()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return uint64_t(now.tv_sec) * 1000 + uint64_t(now.tv_nsec) / 1000000;
}
