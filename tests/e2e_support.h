// Running the built tarnwick binary in a temporary folder, for end-to-end tests.
#ifndef TARNWICK_E2E_SUPPORT_H
#define TARNWICK_E2E_SUPPORT_H

#include <string>
#include <vector>

// What a run left: its exit status and everything it wrote to stderr and
// to stdout.
struct tool_run {
	int status;
	std::string err;
	std::string out;
};

// How a run is started, as flags.
enum {
	RUN_POSIXLY_CORRECT = 1, // with POSIXLY_CORRECT set
	RUN_UNPRIVILEGED = 2,    // as user and group 65534 when the tests run as root
	RUN_STREAMS_CLOSED = 4,  // with standard input and standard error closed
	RUN_FILE_SIZE_LIMIT = 8, // under a file size limit of FILE_SIZE_LIMIT bytes
	RUN_STDOUT_CLOSED = 16,  // with standard output closed
};

// The file size limit of RUN_FILE_SIZE_LIMIT.
constexpr long FILE_SIZE_LIMIT = 4096;

// Whether runs go through valgrind's memcheck (TARNWICK_VALGRIND is set).
bool under_valgrind();

// Whether faults can be injected into the binary under test: a Linux
// binary, not under valgrind.
bool faults_injectable();

// Whether the binary under test is the Windows executable (its name ends in
// .exe), which runs under wine.
bool windows_binary();

// The text as the binary writes it: on Windows each "\n" becomes "\r\n".
std::string as_written(const std::string &text);

// The text with each "<PROG>" replaced by the program name that the option
// scanner's messages begin with: "tarnwick", or on Windows the executable's
// full path as wine gives it.
std::string with_program_name(const std::string &text);

// A fresh temporary folder, removed with its contents when it goes.
class scratch_dir {
public:
	scratch_dir();
	~scratch_dir();
	std::string path(const std::string &name) const { return dir_ + "/" + name; }
	void write(const std::string &name, const std::string &content) const;
	// The names in the folder that a run may have left behind: those of the
	// new files that --extract puts in place.
	std::vector<std::string> staged_names() const;
	// The file's bytes, or "<absent>" when there is no such file.
	std::string read(const std::string &name) const;
	// Runs tarnwick (argv[0] "tarnwick") with the folder as working
	// directory, started as the RUN_ flags say, with an address space of
	// at most address_space_kib KiB when that is not 0, and with the
	// "NAME=VALUE" settings of faults in its environment and the fault
	// library preloaded when there are any (see fault_inject.c). Under
	// valgrind, whatever memcheck reports is appended to the run's stderr.
	tool_run run(const std::vector<std::string> &args, int flags = 0,
		     long address_space_kib = 0, const std::vector<std::string> &faults = {}) const;
	// Runs another command in the folder, where "tarnwick" is the binary
	// under test.
	tool_run run_command(const std::vector<std::string> &cmd) const;

private:
	std::string dir_;
	tool_run execute(const std::vector<std::string> &cmd, int flags, long address_space_kib,
			 const std::vector<std::string> &faults) const;
};

// A command started in a folder in the background, that has written its
// first line; the command is waited for when this goes.
class background_run {
public:
	background_run(const std::string &dir, const std::vector<std::string> &cmd);
	~background_run();

private:
	int pid_;
};

// Intel HEX text of data records of 16 bytes (the last one holding the
// rest) that hold the bytes from address 0 on, behind extended linear
// address records from 64 KiB on; with a stride (coprime to the number of
// records) record k * stride (modulo their number) comes k-th.
std::string records_of(const std::string &bytes, unsigned stride = 1);

// The same of the bytes 00h, 01h, ... (the low byte of each address) from
// address 0 to count - 1.
std::string records_of(unsigned count);

// The banner line, "tarnwick version " and the build's version (as the
// project sets it, without blanks) and a newline.
std::string version_banner();

// Path of the binary under test, from TARNWICK_BINARY or the build.
std::string tarnwick_binary();

#endif
