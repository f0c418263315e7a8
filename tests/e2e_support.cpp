// Running the built tarnwick binary in a temporary folder, for end-to-end tests.
#include "e2e_support.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

std::string tarnwick_binary()
{
	const char *env = std::getenv("TARNWICK_BINARY");
	return env != nullptr ? env : TARNWICK_BUILT_BINARY;
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

std::string scratch_dir::read(const std::string &name) const
{
	std::ifstream in(path(name), std::ios::binary);
	if (!in)
		return "<absent>";
	std::ostringstream s;
	s << in.rdbuf();
	return s.str();
}

tool_run scratch_dir::run(const std::vector<std::string> &args, bool posixly_correct) const
{
	std::string err_path = dir_ + "/.stderr";
	std::string binary = tarnwick_binary();
	pid_t pid = fork();
	if (pid == 0) {
		std::vector<char *> argv;
		argv.push_back(const_cast<char *>("tarnwick"));
		for (const std::string &a : args)
			argv.push_back(const_cast<char *>(a.c_str()));
		argv.push_back(nullptr);
		int fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		if (fd < 0 || dup2(fd, 2) < 0 || chdir(dir_.c_str()) != 0)
			_exit(126);
		if (posixly_correct)
			setenv("POSIXLY_CORRECT", "1", 1);
		else
			unsetenv("POSIXLY_CORRECT");
		execv(binary.c_str(), argv.data());
		_exit(127);
	}
	int wstatus = 0;
	waitpid(pid, &wstatus, 0);
	tool_run r;
	r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
	r.err = read(".stderr");
	unlink(err_path.c_str());
	return r;
}
