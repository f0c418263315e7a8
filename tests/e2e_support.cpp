// Running the built tarnwick binary in a temporary folder, for end-to-end tests.
#include "e2e_support.h"

#include <csignal>
#include <dirent.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// The unprivileged user and group of Debian, "nobody" and "nogroup".
constexpr uid_t NOBODY = 65534;

// The data record of the count bytes from address on, behind an extended
// linear address record when the upper 16 bits of the address are not
// *upper.
static std::string record_at(const std::string &bytes, unsigned address, unsigned *upper)
{
	char record[48];
	std::string text;
	if (address >> 16 != *upper) {
		*upper = address >> 16;
		std::snprintf(record, sizeof record, ":02000004%04X%02X\n", *upper,
			      (0x100 - ((6 + (*upper >> 8) + *upper) & 0xFF)) & 0xFF);
		text = record;
	}
	unsigned count = bytes.size() - address < 16 ? unsigned(bytes.size() - address) : 16;
	unsigned sum = count + (address >> 8 & 0xFF) + (address & 0xFF);
	int n = std::snprintf(record, sizeof record, ":%02X%04X00", count, address & 0xFFFF);
	for (unsigned i = 0; i < count; i++) {
		unsigned byte = static_cast<unsigned char>(bytes[address + i]);
		sum += byte;
		n += std::snprintf(record + n, sizeof record - n, "%02X", byte);
	}
	std::snprintf(record + n, sizeof record - n, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
	return text + record;
}

std::string records_of(const std::string &bytes, unsigned stride)
{
	std::string text;
	unsigned records = unsigned((bytes.size() + 15) / 16), upper = 0;
	for (unsigned k = 0; k < records; k++)
		text += record_at(bytes, unsigned((uint64_t(k) * stride % records) * 16), &upper);
	return text;
}

std::string records_of(unsigned count)
{
	std::string bytes;
	for (unsigned address = 0; address < count; address++)
		bytes += char(address & 0xFF);
	return records_of(bytes);
}

std::string version_banner()
{
	return "tarnwick version " TARNWICK_BANNER_VERSION "\n";
}

std::string tarnwick_binary()
{
	const char *env = std::getenv("TARNWICK_BINARY");
	return env != nullptr ? env : TARNWICK_BUILT_BINARY;
}

bool under_valgrind()
{
	return std::getenv("TARNWICK_VALGRIND") != nullptr;
}

bool windows_binary()
{
	std::string binary = tarnwick_binary();
	return binary.size() > 4 && binary.compare(binary.size() - 4, 4, ".exe") == 0;
}

// The binary's absolute path.
static std::string binary_path()
{
	std::string binary = tarnwick_binary();
	if (!binary.empty() && binary[0] == '/')
		return binary;
	char cwd[4096];
	return std::string(getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".") + "/" + binary;
}

std::string as_written(const std::string &text)
{
	if (!windows_binary())
		return text;
	std::string crlf;
	for (char c : text) {
		if (c == '\n')
			crlf += '\r';
		crlf += c;
	}
	return crlf;
}

std::string with_program_name(const std::string &text)
{
	std::string name = "tarnwick";
	if (windows_binary()) {
		name = "Z:" + binary_path();
		for (char &c : name)
			if (c == '/')
				c = '\\';
	}
	std::string result = text;
	for (size_t at; (at = result.find("<PROG>")) != std::string::npos;)
		result.replace(at, 6, name);
	return result;
}

scratch_dir::scratch_dir()
{
	const char *tmp = std::getenv("TMPDIR");
	std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/tarnwick.XXXXXX";
	std::vector<char> buf(pattern.begin(), pattern.end());
	buf.push_back('\0');
	if (mkdtemp(buf.data()) == nullptr)
		std::abort();
	dir_ = buf.data();
	chmod(dir_.c_str(), 0755);
	mkdir(path(".bin").c_str(), 0755);
	if (symlink(binary_path().c_str(), path(".bin/tarnwick").c_str()) != 0)
		std::abort();
}

scratch_dir::~scratch_dir()
{
	std::string cmd = "chmod -R u+rwx '" + dir_ + "' && rm -rf '" + dir_ + "'";
	if (std::system(cmd.c_str()) != 0)
		std::fprintf(stderr, "could not remove %s\n", dir_.c_str());
}

void scratch_dir::write(const std::string &name, const std::string &content) const
{
	std::ofstream(path(name), std::ios::binary) << content;
}

std::vector<std::string> scratch_dir::staged_names() const
{
	std::vector<std::string> names;
	DIR *folder = opendir(dir_.c_str());
	for (struct dirent *entry; folder != nullptr && (entry = readdir(folder)) != nullptr;)
		if (std::string(entry->d_name).find(".tarnwick-") != std::string::npos)
			names.push_back(entry->d_name);
	if (folder != nullptr)
		closedir(folder);
	return names;
}

std::string scratch_dir::read(const std::string &name) const
{
	std::ifstream in(path(name), std::ios::binary);
	if (!in)
		return "<absent>";
	std::ostringstream s;
	s << in.rdbuf();
	return s.str();
}

// The command line: tarnwick found through PATH, so that argv[0] is
// "tarnwick" for it, under valgrind as well; the Windows executable by its
// path, under wine.
static std::vector<std::string> command_line(const std::vector<std::string> &args)
{
	std::vector<std::string> cmd;
	if (windows_binary()) {
		cmd = {"wine", binary_path()};
		cmd.insert(cmd.end(), args.begin(), args.end());
		return cmd;
	}
	if (under_valgrind())
		cmd = {"valgrind", "--quiet", "--log-fd=3", "--leak-check=full",
		       "--show-leak-kinds=all", "--errors-for-leak-kinds=all"};
	cmd.push_back("tarnwick");
	cmd.insert(cmd.end(), args.begin(), args.end());
	return cmd;
}

// Runs the command in place of the process that calls it.
[[noreturn]] static void exec_command(const std::vector<std::string> &cmd)
{
	std::vector<char *> argv;
	for (const std::string &a : cmd)
		argv.push_back(const_cast<char *>(a.c_str()));
	argv.push_back(nullptr);
	execvp(argv[0], argv.data());
	_exit(127);
}

static void set_limit(int resource, rlim_t value)
{
	struct rlimit limit = {value, value};
	if (setrlimit(resource, &limit) != 0)
		_exit(126);
}

bool faults_injectable()
{
	return !windows_binary() && !under_valgrind();
}

// Preloads the fault library with the settings of faults.
static void inject(const std::vector<std::string> &faults)
{
	if (faults.empty())
		return;
	setenv("LD_PRELOAD", TARNWICK_FAULT_LIBRARY, 1);
	// A sanitizer build wants its runtime first of all libraries.
	std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
	setenv("ASAN_OPTIONS", (asan + ":verify_asan_link_order=0").c_str(), 1);
	for (const std::string &fault : faults)
		putenv(const_cast<char *>(fault.c_str()));
}

static void start_child(const std::string &dir, const std::vector<std::string> &cmd, int flags,
			long address_space_kib, const std::vector<std::string> &faults)
{
	int err = open((dir + "/.stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	int log = open((dir + "/.valgrind").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	int out = open((dir + "/.stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	if (err < 0 || log < 0 || out < 0 || dup2(err, 2) < 0 || dup2(out, 1) < 0 ||
	    dup2(log, 3) < 0 || chdir(dir.c_str()) != 0)
		_exit(126);
	// Closed, the two are the lowest free descriptors: what the run opens
	// first would land on them.
	if (flags & RUN_STREAMS_CLOSED) {
		close(0);
		close(2);
	}
	if (flags & RUN_STDOUT_CLOSED)
		close(1);
	// The Linux binary ignores SIGXFSZ itself; wine would die of it.
	if ((flags & RUN_FILE_SIZE_LIMIT) && windows_binary())
		std::signal(SIGXFSZ, SIG_IGN);
	if (flags & RUN_FILE_SIZE_LIMIT)
		set_limit(RLIMIT_FSIZE, FILE_SIZE_LIMIT);
	if (address_space_kib > 0)
		set_limit(RLIMIT_AS, rlim_t(address_space_kib) * 1024);
	if ((flags & RUN_UNPRIVILEGED) && getuid() == 0 &&
	    (setgid(NOBODY) != 0 || setuid(NOBODY) != 0))
		_exit(126);
	std::string search = dir + "/.bin:" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
	setenv("PATH", search.c_str(), 1);
	if (flags & RUN_POSIXLY_CORRECT)
		setenv("POSIXLY_CORRECT", "1", 1);
	else
		unsetenv("POSIXLY_CORRECT");
	// wine turns the arguments into the program's wide characters, and its
	// file names back, by the locale's character set.
	if (windows_binary())
		setenv("LC_ALL", "C.UTF-8", 1);
	inject(faults);
	exec_command(cmd);
}

// Puts a copy of the binary in place of the link to it, so that a user who
// cannot reach the build folder can still run it.
static void copy_binary(const std::string &to)
{
	unlink(to.c_str());
	std::ifstream in(binary_path(), std::ios::binary);
	std::ofstream(to, std::ios::binary) << in.rdbuf();
	chmod(to.c_str(), 0755);
}

tool_run scratch_dir::run(const std::vector<std::string> &args, int flags,
			  long address_space_kib, const std::vector<std::string> &faults) const
{
	if (flags & RUN_UNPRIVILEGED)
		copy_binary(path(".bin/tarnwick"));
	return execute(command_line(args), flags, address_space_kib, faults);
}

tool_run scratch_dir::run_command(const std::vector<std::string> &cmd) const
{
	return execute(cmd, 0, 0, {});
}

tool_run scratch_dir::execute(const std::vector<std::string> &cmd, int flags,
			      long address_space_kib, const std::vector<std::string> &faults) const
{
	pid_t pid = fork();
	if (pid == 0)
		start_child(dir_, cmd, flags, address_space_kib, faults);
	int wstatus = 0;
	waitpid(pid, &wstatus, 0);
	tool_run r;
	r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
	r.err = read(".stderr") + read(".valgrind");
	r.out = read(".stdout");
	unlink(path(".stdout").c_str());
	unlink(path(".stderr").c_str());
	unlink(path(".valgrind").c_str());
	return r;
}

background_run::background_run(const std::string &dir, const std::vector<std::string> &cmd)
{
	int ends[2];
	if (pipe(ends) != 0)
		std::abort();
	pid_ = fork();
	if (pid_ == 0) {
		if (dup2(ends[1], 1) < 0 || chdir(dir.c_str()) != 0)
			_exit(126);
		exec_command(cmd);
	}
	close(ends[1]);
	char ch;
	while (read(ends[0], &ch, 1) == 1 && ch != '\n')
		;
	close(ends[0]);
}

background_run::~background_run()
{
	waitpid(pid_, nullptr, 0);
}
