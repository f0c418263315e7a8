// Tests of the C array export: declaration, entries, separators and lines.
#include "forms/c_array_writer.h"

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
	put_bytes(img.get(), 0, c.cells);
	const image_output o = {img.get(), 0, c.count, 0, 0, c.array_name};
	EXPECT_EQ(WRITE_OK, write_c_array(out.stream(), &o));
	EXPECT_EQ(c.expected, out.text());
}

INSTANTIATE_TEST_SUITE_P(arrays, c_array_test, testing::ValuesIn(ARRAY_CASES), case_name());

// An array of a chip beyond 64 KiB: a cell without a byte is the image's
// empty byte there too.
TEST(c_array, empty_cells_beyond_64_KiB_are_the_empty_byte)
{
	scoped_image img(IMAGE_CELLS + 17, 0x5A);
	image_put(img.get(), IMAGE_CELLS - 1, 0xFF);
	captured_output out;
	const image_output o = {img.get(), 0, IMAGE_CELLS + 17, 0, 0, "big"};
	write_c_array(out.stream(), &o);
	std::string text = out.text();
	EXPECT_EQ("0xff, \n0x5a, ", text.substr(text.find("0xff"), 13));
	EXPECT_EQ("0x5a, \n0x5a\n};\n", text.substr(text.size() - 15));
}

// The default program size: 256 full lines, all but the last ending in ", ".
TEST(c_array, default_size_has_256_full_lines)
{
	scoped_image img;
	for (uint32_t i = 0; i < 4096; i++)
		image_put(img.get(), i, uint8_t(i));
	captured_output out;
	const image_output o = {img.get(), 0, 4096, 0, 0, "image"};
	write_c_array(out.stream(), &o);
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
