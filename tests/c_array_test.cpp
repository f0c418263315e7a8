// Tests of the C array export: declaration, entries, separators and lines.
#include "forms/c_array.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_names.h"
#include "test_support.h"

namespace {

struct array_case {
	const char *name;
	std::vector<int> cells;
	uint32_t count;
	const char *array_name;
	std::string expected;
};

void PrintTo(const array_case &c, std::ostream *os)
{
	*os << c.name;
}

const std::string SIXTEEN_EMPTY =
	"0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, "
	"0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff";

const array_case ARRAY_CASES[] = {
	{"count 0", {}, 0, "boot", "flash unsigned char boot[0]=\n{\n};\n"},
	{"count 1", {0}, 1, "boot", "flash unsigned char boot[1]=\n{\n0x00\n};\n"},
	{"count 16", {}, 16, "a", "flash unsigned char a[16]=\n{\n" + SIXTEEN_EMPTY + "\n};\n"},
	{"count 17", {171}, 17, "a",
	 "flash unsigned char a[17]=\n{\n0xab" + SIXTEEN_EMPTY.substr(4) + ", \n0xff\n};\n"},
	{"worked example", {0x0B, 0x03, 0x00, 0x12, 0x34}, 18, "boot",
	 "flash unsigned char boot[18]=\n{\n"
	 "0x0b, 0x03, 0x00, 0x12, 0x34, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, "
	 "0xff, 0xff, \n"
	 "0xff, 0xff\n};\n"},
	{"empty name", {255}, 1, "", "flash unsigned char [1]=\n{\n0xff\n};\n"},
	{"name is not a format", {}, 1, "%s%n x[2]", "flash unsigned char %s%n x[2][1]=\n{\n0xff\n};\n"},
};

class c_array_test : public testing::TestWithParam<array_case> {};

TEST_P(c_array_test, text)
{
	const array_case &c = GetParam();
	scoped_image img;
	captured_output out;
	put_bytes(img.cells(), 0, c.cells);
	EXPECT_EQ(0, write_c_array(out.stream(), img.get(), c.count, c.array_name, 0xFF));
	EXPECT_EQ(c.expected, out.text());
}

INSTANTIATE_TEST_SUITE_P(arrays, c_array_test, testing::ValuesIn(ARRAY_CASES), case_name());

// An array longer than the image: the entries behind it are the byte beyond.
TEST(c_array, entries_behind_the_image_are_the_byte_beyond)
{
	scoped_image img;
	captured_output out;
	write_c_array(out.stream(), img.get(), IMAGE_CELLS + 17, "big", 0x5A);
	std::string text = out.text();
	EXPECT_EQ("0xff, \n0x5a, ", text.substr(text.find("0x5a") - 7, 13));
	EXPECT_EQ("0x5a, \n0x5a\n};\n", text.substr(text.size() - 15));
}

// The default program size: 256 full lines, all but the last ending in ", ".
TEST(c_array, default_size_has_256_full_lines)
{
	scoped_image img;
	for (uint32_t i = 0; i < 4096; i++)
		img.cells()[i] = int(i & 0xFF);
	captured_output out;
	write_c_array(out.stream(), img.get(), 4096, "image", 0xFF);
	std::string text = out.text();
	std::vector<std::string> lines;
	size_t start = 0;
	for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
		lines.push_back(text.substr(start, nl - start));
	ASSERT_EQ(259u, lines.size());
	EXPECT_EQ("flash unsigned char image[4096]=", lines[0]);
	EXPECT_EQ("{", lines[1]);
	EXPECT_EQ("};", lines[258]);
	EXPECT_EQ(start, text.size());
	for (size_t i = 2; i < 258; i++) {
		const std::string &line = lines[i];
		EXPECT_EQ(i < 257 ? 16u * 6 : 16u * 6 - 2, line.size()) << i;
		EXPECT_EQ(i < 257, line.substr(line.size() - 2) == ", ") << i;
	}
	EXPECT_EQ("0xf0, 0xf1", lines[257].substr(0, 10));
	EXPECT_EQ("0xfe, 0xff", lines[257].substr(84));
}

} // namespace
