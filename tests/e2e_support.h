// Running the built tarnwick binary in a temporary folder, for end-to-end tests.
#ifndef TARNWICK_E2E_SUPPORT_H
#define TARNWICK_E2E_SUPPORT_H

#include <string>
#include <vector>

// What a run left: its exit status and everything it wrote to stderr.
struct tool_run {
	int status;
	std::string err;
};

// A fresh temporary folder, removed with its contents when it goes.
class scratch_dir {
public:
	scratch_dir();
	~scratch_dir();
	std::string path(const std::string &name) const { return dir_ + "/" + name; }
	void write(const std::string &name, const std::string &content) const;
	// The file's bytes, or "<absent>" when there is no such file.
	std::string read(const std::string &name) const;
	// Runs tarnwick (argv[0] "tarnwick") with the folder as working
	// directory; with posixly_correct, POSIXLY_CORRECT is set for it.
	tool_run run(const std::vector<std::string> &args,
		     bool posixly_correct = false) const;

private:
	std::string dir_;
};

// Path of the binary under test, from TARNWICK_BINARY or the build.
std::string tarnwick_binary();

#endif
