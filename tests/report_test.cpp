// Tests of the error sink and of the report in text and in JSON.
#include "report/diag.h"
#include "report/report.h"

#include <gtest/gtest.h>

#include <string>

#include "failing_memory.h"
#include "test_support.h"

namespace {

// U+FFFD in UTF-8, which stands for each byte that begins no sequence.
#define R "\xEF\xBF\xBD"

TEST(json_string, escapes_what_is_not_valid_utf8)
{
	const struct {
		const char *value, *json;
	} cases[] = {
		{"Intel HEX ~\x7F", "\"Intel HEX ~\x7F\""},
		{"say \"hi\"", "\"say \\\"hi\\\"\""},
		{"a\\b", "\"a\\\\b\""},
		{"\n\t\r\b\f\x01\x1F", "\"\\n\\t\\r\\b\\f\\u0001\\u001F\""},
		{"\xC3\xA9 \xED\x9F\xBF \xE2\x82\xAC", "\"\xC3\xA9 \xED\x9F\xBF \xE2\x82\xAC\""},
		{"\xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF", "\"\xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF\""},
		{"\x80" "a", "\"" R "a\""},
		{"a\xE2\x82", "\"a" R R "\""},
		{"\xC3.hex", "\"" R ".hex\""},
		{"\xC0\x80", "\"" R R "\""},
		{"\xE0\x80\xAF", "\"" R R R "\""},
		{"\xED\xA0\x80", "\"" R R R "\""},
		{"\xF4\x90\x80\x80", "\"" R R R R "\""},
		{"\xF5\xFF", "\"" R R "\""},
		{"\xC1\x8F", "\"" R R "\""},
		{"\xF0\x8F\x80\x80", "\"" R R R R "\""},
	};
	for (const auto &c : cases) {
		captured_output out;
		json_string(out.stream(), c.value);
		EXPECT_EQ(c.json, out.text()) << c.json;
	}
}

TEST(report, text_and_json_of_the_same_facts)
{
	const struct {
		int json, with_keys;
		const char *expected;
	} cases[] = {
		{0, 1, "format: Intel HEX\nname: unknown\nstart cell: 3\nlength: unknown\n"},
		{1, 1, "{\"format\":\"Intel HEX\",\"name\":null,\"start_cell\":3,\"length\":null,"
		       "\"errors\":[\"one\",\"two \\\"2\\\"\"]}\n"},
		{1, 0, "{\"errors\":[\"one\",\"two \\\"2\\\"\"]}\n"},
	};
	testing::internal::CaptureStderr();
	diag_reset(1);
	diag_error("one");
	diag_error("two \"%d\"", 2);
	testing::internal::GetCapturedStderr();
	for (const auto &c : cases) {
		captured_output out;
		report r;
		report_begin(&r, out.stream(), c.json);
		if (c.with_keys) {
			report_text(&r, "format", "Intel HEX");
			report_text(&r, "name", nullptr);
			report_number(&r, "start cell", 3);
			report_number(&r, "length", -1);
		}
		report_end(&r);
		EXPECT_EQ(c.expected, out.text());
	}
	diag_reset(0);
	captured_output out;
	report r;
	report_begin(&r, out.stream(), 1);
	report_end(&r);
	EXPECT_EQ("{\"errors\":[]}\n", out.text());
}

TEST(diag, writes_every_line_and_keeps_them_only_when_asked)
{
	const std::string long_name(5000, 'n');
	testing::internal::CaptureStderr();
	diag_reset(0);
	diag_error("not kept");
	diag_reset(1);
	diag_error("Cannot open %s", long_name.c_str());
	diag_error_unended("no line feed");
	for (int i = 0; i < 20000; i++)
		diag_error(i == 9000 ? "%4095d" : "Checksum error on line %d", i);
	std::string err = testing::internal::GetCapturedStderr();
	EXPECT_EQ(0u, err.find("ERROR: not kept\nERROR: Cannot open " + long_name +
			       "\nERROR: no line feedERROR: Checksum error on line 0\n"));
	ASSERT_EQ(20002, diag_count());
	EXPECT_EQ("Cannot open " + long_name, diag_line(0));
	EXPECT_STREQ("no line feed", diag_line(1));
	EXPECT_EQ(std::string(4091, ' ') + "9000", diag_line(9002));
	EXPECT_STREQ("Checksum error on line 9001", diag_line(9003));
	EXPECT_STREQ("Checksum error on line 19999", diag_line(20001));
	EXPECT_EQ(nullptr, diag_line(20002));
	diag_release();
	EXPECT_EQ(0, diag_count());
}

// Without memory, a long line is written all the same, and the lines that
// could not be kept are counted.
TEST(diag, writes_without_memory_and_counts_what_it_could_not_keep)
{
	const std::string long_name(600, 'n');
	testing::internal::CaptureStderr();
	diag_reset(1);
	fail_allocations_after(0);
	diag_error("Cannot open %s", long_name.c_str());
	diag_error("short");
	fail_allocations_after(-1);
	EXPECT_EQ("ERROR: Cannot open " + long_name + "\nERROR: short\n",
		  testing::internal::GetCapturedStderr());
	ASSERT_EQ(1, diag_count());
	EXPECT_STREQ("2 more errors were not kept: out of memory", diag_line(0));
	diag_release();
}

} // namespace
