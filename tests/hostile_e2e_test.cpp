// Hostile end-to-end runs: each fails with one message and harms no file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "e2e_support.h"
#include "test_names.h"

namespace {

const std::string BANNER = version_banner();
const std::string PROGRAM = ":03000000020000FB\n:00000001FF\n";
const std::string KEEP = "keep me\n";

// Bytes of a fixed pseudo-random sequence, starting with a byte that no
// record or white space starts with.
std::string random_bytes(size_t n, uint32_t seed)
{
	std::string s(1, '\xA5');
	while (s.size() < n) {
		seed = seed * 1664525u + 1013904223u;
		s.push_back(static_cast<char>(seed >> 24));
	}
	return s;
}

void plain(const scratch_dir &dir)
{
	dir.write("in.hex", PROGRAM);
	dir.write("out.hex", KEEP);
}

void links_to_input(const scratch_dir &dir)
{
	plain(dir);
	symlink("in.hex", dir.path("sym.hex").c_str());
	link(dir.path("in.hex").c_str(), dir.path("hard.hex").c_str());
}

void unreadable_input(const scratch_dir &dir)
{
	plain(dir);
	chmod(dir.path("in.hex").c_str(), 0);
}

void random_files(const scratch_dir &dir)
{
	plain(dir);
	dir.write("random.bin", random_bytes(65536, 7));
	mkdir(dir.path("folder").c_str(), 0755);
}

const std::string EXPERT_IMAGE = ":080000000B0500E0E102000025\n";

void dangling_links(const scratch_dir &dir)
{
	dir.write("e.hex", EXPERT_IMAGE);
	symlink("missing.hex", dir.path("l1").c_str());
	symlink("./missing.hex", dir.path("l2").c_str());
}

// A file that cannot be written, in a folder where files can be made.
void read_only_output(const scratch_dir &dir)
{
	dir.write("e.hex", EXPERT_IMAGE);
	dir.write("ro.hex", KEEP);
	chmod(dir.path("ro.hex").c_str(), 0444);
	chmod(dir.path(".").c_str(), 0777);
}

// A file that can be written in a folder where no file can be made (for
// the unprivileged user).
void file_in_closed_folder(const scratch_dir &dir)
{
	dir.write("e.hex", EXPERT_IMAGE);
	dir.write("inside.hex", KEEP);
	chmod(dir.path("inside.hex").c_str(), 0666);
}

// A counter with a second name, and a FIFO that no one reads.
void counter_and_fifo(const scratch_dir &dir)
{
	dir.write("in.hex", ":0A00000002000000000000000000F4\n");
	dir.write("c", "41\n");
	link(dir.path("c").c_str(), dir.path("cB").c_str());
	mkfifo(dir.path("fifo").c_str(), 0644);
	symlink("l", dir.path("c.lock").c_str());
}

struct hostile_case {
	const char *name;
	void (*setup)(const scratch_dir &);
	std::vector<std::string> args;
	int flags;
	std::string message;
	const char *checked; // a file that must end empty or as it was
	std::string content; // what it must hold then
};

// Not a RUN_ flag: the case runs on Linux alone (Windows follows no link
// to a file that does not exist).
constexpr int LINUX_ONLY = 0x200;

void PrintTo(const hostile_case &c, std::ostream *os)
{
	*os << c.name;
}

const hostile_case CASES[] = {
	{"input is a directory", random_files, {"folder", "out.hex"}, 0,
	 "ERROR: Can't open 'folder'\n", "out.hex", KEEP},
	{"expert file is a directory", random_files, {"-e", "folder", "in.hex", "out.hex"}, 0,
	 "ERROR: Can't open 'folder'\n", "out.hex", KEEP},
	{"output is a directory", random_files, {"in.hex", "folder"}, 0,
	 "ERROR: Can't open 'folder'\n", "in.hex", PROGRAM},
	{"unreadable input", unreadable_input, {"in.hex", "out.hex"}, RUN_UNPRIVILEGED,
	 "ERROR: Can't open 'in.hex'\n", "out.hex", KEEP},
	{"output is /dev/full", plain, {"in.hex", "/dev/full"}, 0,
	 "ERROR: Can't write '/dev/full'\n", "in.hex", PROGRAM},
	{"output is the input", plain, {"in.hex", "./in.hex"}, 0,
	 "ERROR: Output file './in.hex' is also an input file\n", "in.hex", PROGRAM},
	{"output links to the input", links_to_input, {"in.hex", "sym.hex"}, 0,
	 "ERROR: Output file 'sym.hex' is also an input file\n", "in.hex", PROGRAM},
	{"output is a hard link of the input", links_to_input, {"in.hex", "hard.hex"}, 0,
	 "ERROR: Output file 'hard.hex' is also an input file\n", "hard.hex", PROGRAM},
	{"output is the expert file", plain, {"-e", "out.hex", "in.hex", "out.hex"}, 0,
	 "ERROR: Output file 'out.hex' is also an input file\n", "out.hex", KEEP},
	{"input of random bytes", random_files, {"random.bin", "out.hex"}, 0,
	 "ERROR: Invalid Intel hex format on line 1\n", "out.hex", ""},
	{"expert file of random bytes", random_files, {"-e", "random.bin", "in.hex", "out.hex"}, 0,
	 "ERROR: Invalid Intel hex format on line 1\n", "out.hex", ""},
	{"extract into two links to one missing file", dangling_links, {"--extract", "e.hex", "l1", "l2"},
	 LINUX_ONLY, "ERROR: Output files 'l1' and 'l2' are one file\n", "missing.hex", "<absent>"},
	{"extract into a device before a file written in place", file_in_closed_folder,
	 {"--extract", "e.hex", "inside.hex", "/dev/full"}, RUN_UNPRIVILEGED | LINUX_ONLY,
	 "ERROR: Can't write '/dev/full'\n", "inside.hex", KEEP},
	{"extract into a read-only file", read_only_output, {"--extract", "e.hex", "new.hex", "ro.hex"},
	 RUN_UNPRIVILEGED, "ERROR: Can't open 'ro.hex'\n", "new.hex", "<absent>"},
	{"counter with two names", counter_and_fifo, {"--serial=2:dec:4", "--serial-counter=cB", "in.hex", "out.hex"},
	 0, "ERROR: Counter file 'cB' has 2 names: give a file with one\n", "c", "41\n"},
	{"log that is a FIFO without a reader", counter_and_fifo, {"--serial=2:dec:4", "--serial-counter=c",
	 "--serial-log=fifo", "in.hex", "out.hex"}, LINUX_ONLY, "ERROR: Log 'fifo' has no reader\n", "c", "41\n"},
	{"lock file that is a link to the log", counter_and_fifo, {"--serial=2:dec:4", "--serial-counter=c",
	 "--serial-log=l", "in.hex", "out.hex"}, LINUX_ONLY, "ERROR: Output files 'l' and 'c.lock' are one file\n",
	 "l", "<absent>"},
};

class hostile_test : public testing::TestWithParam<hostile_case> {};

TEST_P(hostile_test, fails_with_one_message_and_harms_nothing)
{
	const hostile_case &c = GetParam();
	if ((c.flags & (RUN_UNPRIVILEGED | LINUX_ONLY)) && windows_binary())
		GTEST_SKIP() << "wine's prefix belongs to the user who runs the tests, and Windows "
				"follows no link to a missing file";
	scratch_dir dir;
	c.setup(dir);
	tool_run r = dir.run(c.args, c.flags & ~LINUX_ONLY);
	if ((c.flags & RUN_UNPRIVILEGED) && (r.status == 126 || r.status == 127))
		GTEST_SKIP() << "cannot drop privileges, or run the binary without them";
	if ((c.flags & RUN_UNPRIVILEGED) && getuid() != 0 && access(dir.path("in.hex").c_str(), R_OK) == 0)
		GTEST_SKIP() << "this user can read a file of mode 000";
	EXPECT_EQ(1, r.status);
	EXPECT_EQ(as_written(BANNER + c.message), r.err);
	EXPECT_EQ(c.content, dir.read(c.checked));
	EXPECT_TRUE(dir.staged_names().empty());
}

// --extract replaces a file with one of the same permission bits (which
// Windows files do not have), and writes through a link, which stays a
// link to the same file.
TEST(extract_outputs, keep_their_permissions_and_links)
{
	scratch_dir dir;
	dir.write("e.hex", EXPERT_IMAGE);
	dir.write("target.hex", KEEP);
	dir.write("p.hex", KEEP);
	chmod(dir.path("p.hex").c_str(), 0640);
	symlink("target.hex", dir.path("link.hex").c_str());
	EXPECT_EQ(0, dir.run({"--extract", "e.hex", "p.hex", "link.hex"}).status);
	struct stat st;
	ASSERT_EQ(0, stat(dir.path("p.hex").c_str(), &st));
	EXPECT_TRUE(windows_binary() || (st.st_mode & 07777) == 0640);
	EXPECT_EQ(as_written(":03000000020000FB\n:00000001FF\n"), dir.read("p.hex"));
	ASSERT_EQ(0, lstat(dir.path("link.hex").c_str(), &st));
	EXPECT_TRUE(S_ISLNK(st.st_mode));
	EXPECT_EQ(as_written(":02000000E0E13D\n:00000001FF\n"), dir.read("target.hex"));
}

INSTANTIATE_TEST_SUITE_P(hostile, hostile_test, testing::ValuesIn(CASES), case_name());

// About 100 MB of valid records, the same program over and over: it loads
// and converts to what one copy converts to.
TEST(large_input, hundred_megabytes_convert_like_one_copy)
{
	if (under_valgrind())
		GTEST_SKIP() << "too slow under valgrind";
	scratch_dir dir;
	std::string copy;
	for (int line = 0; line < 256; line++) {
		char record[64];
		unsigned address = 16u * line, sum = 16 + (address >> 8) + (address & 0xFF);
		int n = std::snprintf(record, sizeof record, ":10%04X00", address);
		for (int i = 0; i < 16; i++) {
			unsigned byte = (line * 7 + i * 13) & 0xFF;
			sum += byte;
			n += std::snprintf(record + n, sizeof record - n, "%02X", byte);
		}
		std::snprintf(record + n, sizeof record - n, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
		copy += record;
	}
	std::string big;
	big.reserve(100u << 20);
	while (big.size() + copy.size() <= (100u << 20))
		big += copy;
	dir.write("one.hex", copy);
	dir.write("big.hex", big);
	ASSERT_EQ(0, dir.run({"-p", "65536", "one.hex", "one.out"}).status);
	tool_run r = dir.run({"-p", "65536", "big.hex", "big.out"});
	EXPECT_EQ(0, r.status);
	EXPECT_EQ(as_written(BANNER), r.err);
	std::string expected = dir.read("one.out");
	EXPECT_EQ(expected.size(), dir.read("big.out").size());
	EXPECT_TRUE(expected == dir.read("big.out"));
}

// A FIFO whose reader goes away before the image is written: a write error
// like any other, not a death by SIGPIPE. The image is larger than the pipe
// holds, so that some of it is written after the reader has gone.
TEST(write_errors, fifo_without_a_reader)
{
	if (windows_binary())
		GTEST_SKIP() << "wine's server opens a FIFO for reading and writing, so it never "
				"loses its reader";
	scratch_dir dir;
	dir.write("in.hex", records_of(0xFFF0)); // more than the pipe holds
	ASSERT_EQ(0, mkfifo(dir.path("fifo").c_str(), 0644));
	// The writer's open waits for this reader, which then leaves.
	std::thread reader([&dir] { close(open(dir.path("fifo").c_str(), O_RDONLY)); });
	tool_run r = dir.run({"-p", "65536", "in.hex", "fifo"});
	reader.join();
	EXPECT_EQ(1, r.status);
	EXPECT_EQ(BANNER + "ERROR: Can't write 'fifo'\n", r.err);
}

// Under an address space too small for the image, the run says so. The
// largest limit at which a conversion fails is found by bisection: there
// the image is the allocation that is refused.
TEST(out_of_memory, image_allocation_fails_with_a_message)
{
	if (under_valgrind() || windows_binary())
		GTEST_SKIP() << "valgrind and wine need address space of their own";
	scratch_dir dir;
	plain(dir);
	// The image of the largest chip is the run's largest allocation.
	const std::vector<std::string> args = {"--eeprom-size=16384K", "in.hex", "out.hex"};
	long fails = 1024, works = 256 * 1024; // KiB
	if (dir.run(args, 0, works).status != 0)
		GTEST_SKIP() << "this build needs more than " << works << " KiB (a sanitizer build)";
	while (works - fails > 16) {
		long middle = (fails + works) / 2;
		(dir.run(args, 0, middle).status == 0 ? works : fails) = middle;
	}
	tool_run r = dir.run(args, 0, fails);
	EXPECT_EQ(1, r.status);
	EXPECT_EQ(BANNER + "ERROR: Out of memory\n", r.err);
	EXPECT_EQ("", dir.read("out.hex"));
}

} // namespace
