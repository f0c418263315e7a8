// The rows of the tests of the text readers: a text, and what reading it into a window gives.
#ifndef TARNWICK_READER_ROWS_H
#define TARNWICK_READER_ROWS_H

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "forms/reader.h"
#include "test_support.h"

struct read_case {
	const char *name;
	file_reader read;
	std::string text;
	int status;
	std::vector<std::pair<uint32_t, int>> stored;
	std::string messages;
	int verify = 1;
	uint32_t size = IMAGE_CELLS; // of the window, from address 0
};

inline void PrintTo(const read_case &c, std::ostream *os)
{
	*os << c.name;
}

inline std::string padded(const std::string &record, size_t width)
{
	return record + std::string(width - record.size(), ' ');
}

inline const std::string BAD = "ERROR: Invalid Intel hex format on line ";
inline const std::string BAD_S = "ERROR: Invalid S-record format on line ";
inline const std::string SUM = "ERROR: Checksum error on line ";
// A byte outside the window, which the reader leaves to its caller to
// report: where it lies, as the test writes it.
inline std::string outside(const char *address, int line)
{
	return std::string("outside ") + address + " on line " + std::to_string(line);
}
inline const std::vector<std::pair<uint32_t, int>> BYTES_020000 = {{0, 2}, {1, 0}, {2, 0}};

// Reads each row's text with its reader and checks the status, the
// messages and the cells stored.
class read_test : public testing::TestWithParam<read_case> {};

#endif
