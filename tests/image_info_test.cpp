// Tests of reading an image back: every image that tarnwick writes reads
// back as consistent and as what it was written with.
#include "image/image_info.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/driver.h"
#include "forms/hex_writer.h"
#include "failing_memory.h"
#include "test_support.h"
#include "info_model.h"

namespace {

// Runs tarnwick in this process; returns its exit status and its stdout.
int run(std::vector<std::string> args, std::string *out)
{
	args.insert(args.begin(), "tarnwick");
	std::vector<char *> argv;
	for (std::string &a : args)
		argv.push_back(&a[0]);
	argv.push_back(nullptr);
	testing::internal::CaptureStdout();
	testing::internal::CaptureStderr();
	int status = tarnwick_run(static_cast<int>(args.size()), argv.data(), 0);
	*out = testing::internal::GetCapturedStdout();
	std::string err = testing::internal::GetCapturedStderr();
	if (status != 0)
		*out += err;
	return status;
}

// Random bytes at count random addresses below span, -1 elsewhere.
std::vector<int> random_bytes(std::mt19937 &random, int span, int count)
{
	std::vector<int> bytes(span, -1);
	for (int i = 0; i < count; i++)
		bytes[random() % span] = int(random() % 256);
	bytes[span - 1] = int(random() % 256);
	return bytes;
}

void write_hex_file(const std::string &path, const std::vector<int> &bytes)
{
	scoped_image img;
	put_bytes(img.get(), 0, bytes);
	FILE *f = std::fopen(path.c_str(), "w");
	const image_output o = {img.get(), 0, static_cast<uint32_t>(bytes.size()), 0, 0, nullptr};
	write_hex(f, &o);
	std::fclose(f);
}

TEST(info_property, images_read_back_as_written)
{
	static const char *const MHZ[] = {"4", "8", "12", "16", "20"};
	std::mt19937 random(20261209);
	char folder[] = "/tmp/tarnwick-info.XXXXXX";
	ASSERT_NE(nullptr, mkdtemp(folder));
	std::string in = std::string(folder) + "/in.hex", expert = std::string(folder) + "/x.hex";
	std::string image = std::string(folder) + "/image";
	for (int round = 0; round < 300; round++) {
		written_image w{random_bytes(random, 1 + random() % 700, random() % 40), {},
				int(random() % 5), int(random() % 2), int(random() % 2), -1};
		std::vector<std::string> shape = {"-p", std::to_string(1024 + random() % 64512)};
		if (w.length_header)
			shape.push_back("-t");
		if (random() % 2)
			shape.insert(shape.end(), {"-b", std::to_string(random() % 0x10000) + "0"});
		bool raw = random() % 3 == 0;
		if (raw)
			shape.push_back("--binary");
		if (random() % 3 == 0)
			w.fill = w.program[random() % w.program.size()] & 0xFF;
		char fill[16];
		std::snprintf(fill, sizeof fill, "--fill=%02X", unsigned(w.fill));
		if (w.fill >= 0)
			shape.push_back(fill);
		std::vector<std::string> convert = {"-c", MHZ[w.crystal_code], in, image};
		if (w.slow_clock)
			convert.push_back("-s");
		if (random() % 3 == 0) {
			w.expert = random_bytes(random, 1 + random() % 0xFB, 8);
			write_hex_file(expert, w.expert);
			convert.insert(convert.end(), {"-e", expert});
		}
		write_hex_file(in, w.program);
		convert.insert(convert.end(), shape.begin(), shape.end());
		std::string out;
		ASSERT_EQ(0, run(convert, &out)) << out;
		shape.insert(shape.end(), {"--info", image});
		if (raw && w.fill < 0)
			w.fill = 0xFF;
		// A program of fill bytes alone cannot be told from none.
		ASSERT_EQ(expected_report(w)["program"] == "none", run(shape, &out)) << out;
		EXPECT_EQ("", first_difference(expected_report(w), parse_report(out))) << out;
	}
	for (const std::string &path : {in, expert, image})
		unlink(path.c_str());
	rmdir(folder);
}

// When memory for the command runs out, the run fails after writing the
// program: the command needs the last allocation that a run makes.
TEST(extract_run, fails_when_memory_for_the_command_runs_out)
{
	char folder[] = "/tmp/tarnwick-oom.XXXXXX";
	ASSERT_NE(nullptr, mkdtemp(folder));
	std::string image = std::string(folder) + "/e.hex", program = std::string(folder) + "/p.hex";
	FILE *f = std::fopen(image.c_str(), "w");
	std::fputs(":060000000B0300020000EA\n", f);
	std::fclose(f);
	std::string out;
	int allowed = 0, status;
	for (; (fail_allocations_after(allowed), status = run({"--extract", image, program}, &out)) != 0;
	     allowed++)
		fail_allocations_after(-1);
	EXPECT_NE(std::string::npos, out.find("command: ")) << out;
	fail_allocations_after(allowed - 1);
	EXPECT_EQ(1, run({"--extract", image, program}, &out));
	fail_allocations_after(-1);
	EXPECT_NE(std::string::npos, out.find("ERROR: Out of memory\n")) << out;
	EXPECT_EQ(std::string::npos, out.find("command: ")) << out;
	for (const std::string &path : {image, program})
		unlink(path.c_str());
	rmdir(folder);
}

} // namespace
