// The run of an end-to-end row: exit status, stderr, the output file and stdout together.
#include "e2e_rows.h"

void PrintTo(const e2e_case &c, std::ostream *os)
{
	*os << c.name;
}

TEST_P(e2e_test, status_stderr_and_output)
{
	const e2e_case &c = GetParam();
	if (windows_binary() && (c.flags & (RUN_STREAMS_CLOSED | RUN_STDOUT_CLOSED | LINUX_ONLY)))
		GTEST_SKIP() << "under wine a program whose standard streams are closed ends with "
				"exit status 0 at its first write to one; /proc is Linux's";
	if ((c.flags & NEEDS_FAULTS) && !faults_injectable())
		GTEST_SKIP() << "the fault library is preloaded into a Linux binary alone";
	bool faults = faults_injectable() && !c.faults.empty();
	scratch_dir dir;
	for (const auto &f : c.files)
		dir.write(f.first, f.second);
	tool_run r = dir.run(c.args, c.flags & ~(LINUX_ONLY | NEEDS_FAULTS), 0,
			     faults ? c.faults : std::vector<std::string>{});
	if ((c.flags & RUN_UNPRIVILEGED) && (r.status == 126 || r.status == 127))
		GTEST_SKIP() << "cannot drop privileges, or run the binary without them";
	// "-": the run prints nothing on stderr but what follows, not even the
	// banner.
	std::string err = c.flags & RUN_STREAMS_CLOSED ? ""
			  : c.err[0] == '-'	       ? c.err.substr(1)
						       : BANNER + c.err;
	if (windows_binary() && c.windows_err != nullptr)
		err = BANNER + c.windows_err + USAGE;
	// What tarnwick wrote, as opposed to a file it left alone.
	bool written = c.status == 0 && c.out != KEEP && c.out != ABSENT;
	EXPECT_EQ(c.status, r.status);
	EXPECT_EQ(as_written(with_program_name(err)), r.err);
	EXPECT_EQ(written && !(c.flags & RAW_OUTPUT) ? as_written(c.out) : c.out, dir.read("out.hex"));
	EXPECT_EQ(as_written(windows_binary() && !c.windows_out.empty() ? c.windows_out : c.std_out),
		  r.out);
	EXPECT_TRUE(dir.staged_names().empty());
	if (c.checked != nullptr && (faults || c.faults.empty())) {
		EXPECT_EQ(as_written(c.checked_holds), dir.read(c.checked));
	}
}
