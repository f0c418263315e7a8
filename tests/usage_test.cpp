// Tests of the version text and banner on platforms without a version resource.
#include "cli/usage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(query_file_version, copies_at_most_capacity_less_two_characters)
{
	const struct {
		size_t capacity;
		const char *expected;
	} cases[] = {
		{1024, "2. 1 .0 .0"}, {12, "2. 1 .0 .0"}, {11, "2. 1 .0 ."},
		{5, "2. "},         {2, ""},           {1, "unchanged"},
		{0, "unchanged"},
	};
	for (const auto &c : cases) {
		char buffer[1024] = "unchanged";
		query_file_version(buffer, c.capacity);
		EXPECT_STREQ(c.expected, buffer) << c.capacity;
	}
}

TEST(print_version_banner, leaves_out_the_blanks)
{
	testing::internal::CaptureStderr();
	print_version_banner();
	EXPECT_EQ("tarnwick version 2.1.0.0\n", testing::internal::GetCapturedStderr());
}

} // namespace
