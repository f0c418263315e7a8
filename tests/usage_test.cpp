// Tests of the version text and banner on platforms without a version resource.
#include "cli/usage.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The version text as the build gives it to the executable.
const std::string VERSION = TARNWICK_FILE_VERSION;

TEST(query_file_version, copies_at_most_capacity_less_two_characters)
{
	const size_t n = VERSION.size();
	const struct {
		size_t capacity;
		std::string expected;
	} cases[] = {
		{1024, VERSION}, {n + 2, VERSION}, {n + 1, VERSION.substr(0, n - 1)},
		{5, VERSION.substr(0, 3)}, {2, ""}, {1, "unchanged"},
		{0, "unchanged"},
	};
	for (const auto &c : cases) {
		char buffer[1024] = "unchanged";
		query_file_version(buffer, c.capacity);
		EXPECT_EQ(c.expected, buffer) << c.capacity;
	}
}

TEST(print_version_banner, leaves_out_the_blanks)
{
	testing::internal::CaptureStderr();
	print_version_banner();
	EXPECT_EQ("tarnwick version " TARNWICK_BANNER_VERSION "\n",
		  testing::internal::GetCapturedStderr());
}

} // namespace
