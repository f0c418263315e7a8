// Tests of option scanning and of the argument conversions.
#include "cli/arg_values.h"
#include "cli/options.h"
#include "image/header.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct scan_case {
	std::vector<std::string> args;
	bool posixly_correct;
	int result;
	int crystal_code;
	int32_t program_size;
	uint32_t base_address;
	std::string flags; // letters of the flag options that ended up set
	const char *input;
	const char *output;
	std::string stderr_start;
};

void PrintTo(const scan_case &c, std::ostream *os)
{
	for (const std::string &a : c.args)
		*os << "[" << a << "]";
}

const char *USAGE_START = "usage: tarnwick";

const scan_case SCAN_CASES[] = {
	{{"in", "out"}, false, SCAN_CONTINUE, 3, 4096, 0, "", "in", "out", ""},
	{{"-c", "8", "-s", "in", "out"}, false, SCAN_CONTINUE, 1, 4096, 0, "s", "in", "out", ""},
	{{"in", "-c8", "out", "-it"}, false, SCAN_CONTINUE, 1, 4096, 0, "it", "in", "out", ""},
	{{"in", "out", "-c", "8"}, true, SCAN_ERROR, 3, 4096, 0, "", nullptr, nullptr, USAGE_START},
	{{"in", "out", "-c", "8"}, false, SCAN_CONTINUE, 1, 4096, 0, "", "in", "out", ""},
	{{"-c", "16MHz", "a", "b"}, false, SCAN_CONTINUE, 3, 4096, 0, "", "a", "b", ""},
	{{"-c", "8", "-c", "20", "a", "b"}, false, SCAN_CONTINUE, 4, 4096, 0, "", "a", "b", ""},
	{{"-c", "0x10", "a", "b"}, false, SCAN_ERROR, 3, 4096, 0, "", nullptr, nullptr,
	 "ERROR: Invalid crystal frequency\n"},
	{{"-c", "10", "-h"}, false, SCAN_ERROR, 3, 4096, 0, "", nullptr, nullptr,
	 "ERROR: Invalid crystal frequency\n"},
	{{"-h", "-c", "10"}, false, SCAN_USAGE, 3, 4096, 0, "", nullptr, nullptr, USAGE_START},
	{{"-b", "8000", "a", "b"}, false, SCAN_CONTINUE, 3, 4096, 0x8000, "", "a", "b", ""},
	{{"-b", "0x8000", "a", "b"}, false, SCAN_CONTINUE, 3, 4096, 0x8000, "", "a", "b", ""},
	{{"-b8000h", "a", "b"}, false, SCAN_CONTINUE, 3, 4096, 0x8000, "", "a", "b", ""},
	{{"-b", "zz", "a", "b"}, false, SCAN_CONTINUE, 3, 4096, 0, "", "a", "b", ""},
	{{"-b", "10", "-b", "zz", "a", "b"}, false, SCAN_CONTINUE, 3, 4096, 0x10, "", "a", "b", ""},
	{{"-b", "-1", "a", "b"}, false, SCAN_CONTINUE, 3, 4096, 0xFFFFFFFF, "", "a", "b", ""},
	{{"-p", "0", "a", "b"}, false, SCAN_CONTINUE, 3, 0, 0, "", "a", "b", ""},
	{{"-p", "-5", "a", "b"}, false, SCAN_CONTINUE, 3, -5, 0, "", "a", "b", ""},
	{{"-p", "k", "a", "b"}, false, SCAN_CONTINUE, 3, 0, 0, "", "a", "b", ""},
	{{"-p", "65536", "a", "b"}, false, SCAN_CONTINUE, 3, 65536, 0, "", "a", "b", ""},
	{{"-p", "65537", "-h"}, false, SCAN_ERROR, 3, 4096, 0, "", nullptr, nullptr,
	 "ERROR: Program memory size must not exceed 65536 bytes\n"},
	{{"-p", "99999999999", "a", "b"}, false, SCAN_ERROR, 3, 4096, 0, "", nullptr, nullptr,
	 "ERROR: Program memory size must not exceed 65536 bytes\n"},
	{{"--", "-in", "-out"}, false, SCAN_CONTINUE, 3, 4096, 0, "", "-in", "-out", ""},
	{{"-", "out"}, false, SCAN_CONTINUE, 3, 4096, 0, "", "-", "out", ""},
	{{"-a", "", "-e", "x.hex", "a", "b"}, false, SCAN_CONTINUE, 3, 4096, 0, "ae", "a", "b", ""},
	{{"in"}, false, SCAN_ERROR, 3, 4096, 0, "", nullptr, nullptr, USAGE_START},
	{{"a", "b", "c"}, false, SCAN_ERROR, 3, 4096, 0, "", nullptr, nullptr, USAGE_START},
	{{"-x", "a", "b"}, false, SCAN_ERROR, 3, 4096, 0, "", nullptr, nullptr, "tarnwick: invalid option"},
	{{"a", "b", "-p"}, false, SCAN_ERROR, 3, 4096, 0, "", nullptr, nullptr, "tarnwick: option requires"},
};

std::string set_flags(const run_options &o)
{
	std::string s;
	if (o.array_name != nullptr)
		s += 'a';
	if (o.expert_file != nullptr)
		s += 'e';
	if (!o.verify_checksums)
		s += 'i';
	if (o.slow_clock)
		s += 's';
	if (o.length_header)
		s += 't';
	return s;
}

class scan_test : public testing::TestWithParam<scan_case> {};

TEST_P(scan_test, fields_and_result)
{
	const scan_case &c = GetParam();
	std::vector<std::string> args = c.args;
	args.insert(args.begin(), "tarnwick");
	std::vector<char *> argv;
	for (std::string &a : args)
		argv.push_back(&a[0]);
	argv.push_back(nullptr);
	if (c.posixly_correct)
		setenv("POSIXLY_CORRECT", "1", 1);
	run_options o;
	testing::internal::CaptureStderr();
	int result = scan_options(int(args.size()), argv.data(), &o);
	release_run_options(&o);
	std::string messages = testing::internal::GetCapturedStderr();
	unsetenv("POSIXLY_CORRECT");

	EXPECT_EQ(c.result, result);
	EXPECT_EQ(c.stderr_start, messages.substr(0, c.stderr_start.size()));
	if (result != SCAN_CONTINUE)
		return;
	EXPECT_EQ(c.crystal_code, o.crystal_code);
	EXPECT_EQ(c.program_size, o.program_size);
	EXPECT_EQ(c.base_address, o.base_address);
	EXPECT_EQ(c.flags, set_flags(o));
	EXPECT_STREQ(c.input, o.program_file);
	EXPECT_STREQ(c.output, o.image_file);
}

INSTANTIATE_TEST_SUITE_P(command_lines, scan_test, testing::ValuesIn(SCAN_CASES));

TEST(parse_decimal, reads_like_atoi_and_holds_at_the_ends)
{
	const struct {
		const char *text;
		int value;
	} cases[] = {
		{"16", 16},          {"  +12x", 12},       {"-7", -7},
		{"0x10", 0},         {"", 0},              {"MHz", 0},
		{"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"-99999999999", INT_MIN},
		{"4294971392", INT_MAX},
	};
	for (const auto &c : cases)
		EXPECT_EQ(c.value, parse_decimal(c.text)) << c.text;
}

TEST(parse_hex_argument, reads_like_scanf_x_and_holds_at_the_top)
{
	const struct {
		const char *text;
		int result;
		uint32_t value;
	} cases[] = {
		{"8000", 0, 0x8000},       {" 0x8000", 0, 0x8000},     {"8000h", 0, 0x8000},
		{"abCD", 0, 0xABCD},       {"-10", 0, 0xFFFFFFF0},     {"0xz", 0, 0},
		{"FFFFFFFF", 0, 0xFFFFFFFF}, {"000000001", 0, 1},       {"100000000", 0, 0xFFFFFFFF},
		{"-100000000", 0, 0xFFFFFFFF}, {"zz", 1, 7},            {"", 1, 7},
	};
	for (const auto &c : cases) {
		uint32_t value = 7;
		EXPECT_EQ(c.result, parse_hex_argument(c.text, &value)) << c.text;
		EXPECT_EQ(c.value, value) << c.text;
	}
}

TEST(parse_fill_byte, takes_one_or_two_digits_with_one_mark_at_most)
{
	const struct {
		const char *text;
		int value;
	} cases[] = {
		{"FF", 0xFF}, {"0x5a", 0x5A}, {"0XA", 0x0A}, {"0h", 0},   {"5", 5},
		{"0x", -1},   {"0x-1", -1},   {"f f", -1},  {"5g", -1},  {"100", -1},
		{"", -1},     {"0x5h", -1},   {"h", -1},    {" 5", -1},  {"+5", -1},
	};
	for (const auto &c : cases)
		EXPECT_EQ(c.value, parse_fill_byte(c.text)) << c.text;
}

TEST(parse_eeprom_size, takes_bytes_or_kibibytes_up_to_16_mib)
{
	const struct {
		const char *text;
		uint32_t value;
	} cases[] = {
		{"32768", 32768}, {"32K", 32768},      {"128k", 131072}, {"1", 1},   {"16384K", 16777216},
		{"16777216", 16777216}, {"16777217", 0}, {"16385K", 0}, {"0", 0},   {"0K", 0},
		{"-1", 0},        {"+1", 0},          {" 1", 0},        {"1 K", 0}, {"K", 0},
		{"", 0},          {"32KB", 0},        {"99999999999999999999", 0},
	};
	for (const auto &c : cases)
		EXPECT_EQ(c.value, parse_eeprom_size(c.text)) << c.text;
}

TEST(crystal_code_for, maps_the_five_frequencies)
{
	const int frequencies[] = {4, 8, 12, 16, 20};
	for (int code = 0; code < 5; code++)
		EXPECT_EQ(code, crystal_code_for(frequencies[code]));
	for (int other : {0, 3, 5, 10, 24, -4})
		EXPECT_EQ(-1, crystal_code_for(other)) << other;
}

} // namespace
