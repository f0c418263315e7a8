// Tests of the line reader: pieces of at most 999 characters, across blocks.
#include "forms/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

// The pieces of a text as fgets with a 1000-character buffer returns them.
std::vector<std::string> fgets_pieces(const std::string &text)
{
	std::vector<std::string> pieces;
	FILE *f = stream_of(text);
	char buffer[LINE_PIECE_MAX + 1];
	while (std::fgets(buffer, sizeof buffer, f) != nullptr)
		pieces.push_back(buffer);
	std::fclose(f);
	return pieces;
}

std::vector<std::string> reader_pieces(const std::string &text)
{
	std::vector<std::string> pieces;
	FILE *f = stream_of(text);
	static line_reader reader;
	line_reader_init(&reader, f);
	const char *window;
	size_t length;
	while ((window = line_reader_window(&reader, &length)) != nullptr) {
		size_t n = line_piece_end(window, length, window);
		pieces.emplace_back(window, n);
		line_reader_advance(&reader, n);
	}
	EXPECT_EQ(0, reader.failed);
	std::fclose(f);
	return pieces;
}

std::string lines_of(size_t count, size_t width)
{
	std::string text;
	for (size_t i = 0; i < count; i++)
		text += std::string(width - 1, char('a' + i % 26)) + "\n";
	return text;
}

TEST(line_reader, pieces_match_fgets)
{
	const std::string texts[] = {
		"",
		"no newline",
		"\n\n\n",
		"one\r\ntwo\r\n",
		std::string(999, 'x') + "\n",
		std::string(998, 'x') + "\n",
		std::string(1000, 'x'),
		std::string(2500, 'y') + "\nshort\n",
		lines_of(2000, 44),                  // crosses the 64 KiB block
		lines_of(300, 990),                  // long lines across blocks
		lines_of(70, 1000),                  // every line split in two
		std::string(LINE_READ_BLOCK - 3, 'z') + "\nabcdef\n",
	};
	for (const std::string &text : texts) {
		std::vector<std::string> expected = fgets_pieces(text);
		EXPECT_EQ(expected, reader_pieces(text)) << "text of " << text.size() << " bytes";
	}
}

TEST(line_reader, pieces_may_hold_nul_bytes)
{
	std::string text = std::string("a\0b\n", 4) + "c";
	std::vector<std::string> expected = {std::string("a\0b\n", 4), "c"};
	EXPECT_EQ(expected, reader_pieces(text));
}

TEST(line_reader, read_error_stops_with_failed)
{
	FILE *dir = std::fopen(".", "r");
	ASSERT_NE(nullptr, dir);
	static line_reader reader;
	line_reader_init(&reader, dir);
	size_t length;
	EXPECT_EQ(nullptr, line_reader_window(&reader, &length));
	EXPECT_EQ(1, reader.failed);
	std::fclose(dir);
}

} // namespace
