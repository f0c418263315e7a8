// Tests of the platform's handling of output names.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// A link that the system follows although its text names no file, such as
// the standard output of a pipe, is written through in place.
TEST(output_target, stops_at_a_link_that_the_system_follows_alone)
{
	int ends[2];
	ASSERT_EQ(0, pipe(ends));
	std::string name = "/proc/self/fd/" + std::to_string(ends[1]);
	char *target = output_target(name.c_str());
	EXPECT_EQ(name, target);
	EXPECT_EQ(OUTPUT_DEVICE, output_kind(target));
	std::free(target);
	close(ends[0]);
	close(ends[1]);
}

} // namespace
