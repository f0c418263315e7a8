// End-to-end rows of --picture: the SVG read back by its shapes, its legend and its row labels.
#include <map>
#include <regex>

#include "e2e_rows.h"

namespace {

// What a picture is read back as: its blocks of each kind in the grid
// ("fill 4090, header 3, program 3"), the counts of its legend, its first
// and last row labels with the number of rows ("0000 0FC0 64"), the grid.
struct picture_reading {
	std::string blocks, legend, labels, grid;
};

// The part of the picture in the group of the id.
std::string group(const std::string &svg, const std::string &id)
{
	size_t begin = svg.find("<g id=\"" + id + "\""), end = svg.find("</g>", begin);
	return begin == std::string::npos || end == std::string::npos ? "" : svg.substr(begin, end - begin);
}

// "kind n, kind n": the numbers of the expression's second group in text,
// each divided by per, summed by its first, the kinds in their names' order.
std::string tally(const std::string &text, const std::regex &e, uint64_t per)
{
	std::map<std::string, uint64_t> sums;
	for (std::sregex_iterator m(text.begin(), text.end(), e), end; m != end; ++m)
		sums[(*m)[1]] += std::stoull((*m)[2]) / per;
	std::string out;
	for (const auto &s : sums)
		out += (out.empty() ? "" : ", ") + s.first + " " + std::to_string(s.second);
	return out;
}

picture_reading read_picture(const std::string &svg)
{
	static const std::regex RECT("<rect class=\"(\\w+)\" x=\"\\d+\" y=\"\\d+\" width=\"(\\d+)\"");
	static const std::regex LEGEND("<rect class=\"(\\w+)\"[^>]*></rect><text[^>]*>[^<]*: (\\d+) cells?</text>");
	static const std::regex LABEL("text-anchor=\"end\">([0-9A-F]+)</text>");
	picture_reading p = {"", "", "", group(svg, "grid")};
	p.blocks = tally(p.grid, RECT, 10);
	p.legend = tally(group(svg, "legend"), LEGEND, 1);
	std::vector<std::string> labels;
	for (std::sregex_iterator m(p.grid.begin(), p.grid.end(), LABEL), end; m != end; ++m)
		labels.push_back((*m)[1]);
	if (!labels.empty())
		p.labels = labels.front() + " " + labels.back() + " " + std::to_string(labels.size());
	return p;
}

// A run with --picture=p.svg behind the row's mode, and what the
// picture must show: its blocks, legend and row labels as read_picture
// gives them, and cells that must each be named with their bytes by the
// tooltip of a block drawn as differing.
struct picture_case {
	const char *name;
	std::vector<std::pair<std::string, std::string>> files;
	std::vector<std::string> args;
	int status = 0;
	std::string blocks, legend, labels;
	std::vector<uint64_t> differing = {};
	std::vector<std::string> faults = {};
};

void PrintTo(const picture_case &c, std::ostream *os)
{
	*os << c.name;
}

// A 16 MiB chip, as Intel HEX: IMAGE, and IMAGE with bytes in the middle and
// at the end of the chip.
const std::string CHIP = "--eeprom-size=16384K";
const std::string FAR_BYTES = IMAGE + ":0200000400807A\n:0100000055AA\n:0200000400FFFB\n:01FFFF0055AC\n";
// A raw read-out of 12 bytes behind -p 8: a byte in use at cell 10.
const std::string STRAY_12 = RAW_8 + std::string("\xFF\xFF\x55\xFF", 4);

const picture_case PICTURE_ROWS[] = {
	{.name = "info of a small image", .files = {{"a.hex", IMAGE}}, .args = {"--info", "a.hex"},
	 .blocks = "fill 4090, header 3, program 3", .legend = "fill 4090, header 3, program 3",
	 .labels = "0000 0FC0 64"},
	{.name = "info of a stray byte and a serial number",
	 .files = {{"a.bin", STRAY_12}}, .args = {"--info", "--binary", "-p", "8", "--serial=0:le:2", "a.bin"},
	 .status = 1, .blocks = "fill 249, header 3, program 1, serial 2, stray 1",
	 .legend = "fill 249, header 3, program 1, serial 2, stray 1", .labels = "0000 00C0 4"},
	{.name = "extract of expert-mode data", .files = {{"a.hex", EXPERT_IMAGE}},
	 .args = {"--extract", "-p", "256", "a.hex", "p.hex", "e.hex"},
	 .blocks = "expert 2, fill 248, header 3, program 3", .legend = "expert 2, fill 248, header 3, program 3",
	 .labels = "0000 00C0 4"},
	{.name = "verify of fixed bytes and a cell that differs",
	 .files = {{"in.hex", ":03000000020000FB\n"}, {"a.hex", ":060000000B030002AA0040\n:01001000559A\n"}},
	 .args = {"--verify", "-p", "256", "--set=1:AA", "in.hex", "a.hex"}, .status = 1,
	 .blocks = "differing 1, fill 249, header 3, program 2, set 1",
	 .legend = "differing 1, fill 249, header 3, program 2, set 1", .labels = "0000 00C0 4", .differing = {16}},
	{.name = "diff of cells far apart in a 16 MiB chip", .files = {{"a.hex", IMAGE}, {"b.hex", FAR_BYTES}},
	 .args = {"--diff", CHIP, "a.hex", "b.hex"}, .status = 1,
	 .blocks = "differing 2, fill 4093, header 1",
	 .legend = "differing 2, fill 16777208, header 3, program 3", .labels = "000000 FC0000 64",
	 .differing = {8388608, 16777215}},
	{.name = "diff of a run of differing cells, each block named", .files = {{"a.bin", ERASED_4K},
	 {"b.bin", std::string(100, '\xFF') + std::string(100, '\x11') + ERASED_4K.substr(200)}},
	 .args = {"--diff", "--binary", "a.bin", "b.bin"}, .status = 1, .blocks = "differing 100, expert 152, fill 3841, header 3",
	 .legend = "differing 100, expert 152, fill 3841, header 3", .labels = "0000 0FC0 64", .differing = {100, 150, 199}},
	{.name = "update of a chip that will not take a page", .files = {{"in.hex", IMAGE}, {"chip", ERASED_4K}},
	 .args = {"--update", "--page-size=8", "in.hex", "chip"}, .status = 1,
	 .blocks = "differing 9, fill 4087", .legend = "differing 9, fill 4087", .labels = "0000 0FC0 64",
	 .differing = {0, 1, 8}, .faults = {"TARNWICK_CHIP_PROTECT=1"}},
};

class picture_test : public testing::TestWithParam<picture_case> {};

// The row's picture twice, in two folders: the same bytes, written in
// binary, read back as the row says, and a document that xmllint reads
// where it is installed.
TEST_P(picture_test, shows_each_kind_where_it_is)
{
	const picture_case &c = GetParam();
	if (!c.faults.empty() && !faults_injectable())
		GTEST_SKIP() << "the fault library is preloaded into a Linux binary alone";
	std::string svg[2];
	for (std::string &s : svg) {
		scratch_dir dir;
		for (const auto &f : c.files)
			dir.write(f.first, f.second);
		std::vector<std::string> args = c.args;
		args.insert(args.begin() + 1, "--picture=p.svg");
		EXPECT_EQ(c.status, dir.run(args, 0, 0, c.faults).status);
		s = dir.read("p.svg");
		if (!windows_binary() && !under_valgrind()) {
			EXPECT_EQ(0, dir.run_command({"sh", "-c", "! command -v xmllint || xmllint --noout p.svg"}).status);
		}
	}
	EXPECT_EQ(svg[0], svg[1]);
	EXPECT_EQ(std::string::npos, svg[0].find('\r'));
	picture_reading p = read_picture(svg[0]);
	EXPECT_EQ(c.blocks, p.blocks);
	EXPECT_EQ(c.legend, p.legend);
	EXPECT_EQ(c.labels, p.labels);
	for (uint64_t cell : c.differing)
		EXPECT_NE(std::string::npos, p.grid.find("\ncell " + std::to_string(cell) + ": "))
			<< "no differing block names cell " << cell;
}
INSTANTIATE_TEST_SUITE_P(picture, picture_test, testing::ValuesIn(PICTURE_ROWS), case_name());

const e2e_case PICTURE_REFUSALS[] = {
	{.name = "picture in a conversion", .files = {{"in.hex", IMAGE}}, .args = {"--picture=p.svg", "in.hex", "out.hex"},
	 .status = 1, .err = "ERROR: Option --picture needs --info, --verify, --extract, --diff or --update\n"},
	{.name = "picture of the image itself", .files = {{"a.bin", RAW_8}},
	 .args = {"--info", "--binary", "--picture=a.bin", "a.bin"}, .status = 1,
	 .err = "ERROR: Output file 'a.bin' is also an input file\n", .checked = "a.bin", .checked_holds = RAW_8},
	{.name = "picture onto a file that extract writes", .files = {{"a.hex", IMAGE}},
	 .args = {"--extract", "--picture=p.hex", "a.hex", "p.hex"}, .status = 1,
	 .err = "ERROR: Output files 'p.hex' and 'p.hex' are one file\n"},
	{.name = "picture onto the standard output", .files = {{"a.hex", IMAGE}},
	 .args = {"--info", "--picture=/dev/stdout", "a.hex"}, .status = 1,
	 .err = "ERROR: Output file '/dev/stdout' is also the standard output\n", .flags = LINUX_ONLY},
	{.name = "picture in a missing folder", .files = {{"a.hex", IMAGE}},
	 .args = {"--info", "--picture=no/p.svg", "a.hex"}, .status = 1, .err = "ERROR: Can't open 'no/p.svg'\n"},
	{.name = "picture of a run that fails before its report", .args = {"--info", "--picture=p.svg", "a.hex"},
	 .status = 1, .err = "ERROR: Can't open 'a.hex'\n", .checked = "p.svg", .checked_holds = ABSENT},
	{.name = "picture larger than the disk takes", .files = {{"a.hex", IMAGE}},
	 .args = {"--info", "--picture=p.svg", "a.hex"}, .status = 1, .err = "ERROR: Can't write 'p.svg'\n",
	 .flags = RUN_FILE_SIZE_LIMIT, .std_out = HEX_REPORT + "crc32: 7AB31BAA\n", .checked = "p.svg",
	 .checked_holds = ABSENT},
};
INSTANTIATE_TEST_SUITE_P(picture_refusals, e2e_test, testing::ValuesIn(PICTURE_REFUSALS), case_name());

} // namespace
