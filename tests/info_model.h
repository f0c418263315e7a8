// What --info must report on an image that tarnwick wrote: a model of the
// layout of its own, for the property test and the fuzz target.
#ifndef TARNWICK_INFO_MODEL_H
#define TARNWICK_INFO_MODEL_H

#include <map>
#include <string>
#include <vector>

// A conversion: the program's and the expert-mode data's bytes by address
// (-1 where a file stores none), and the options that shape the header.
struct written_image {
	std::vector<int> program;
	std::vector<int> expert; // empty without -e
	int crystal_code;        // 0 to 4
	int slow_clock;
	int length_header;
	int fill; // the fill byte in play (--fill, or FFh for --binary), or -1
};

// The report keys that the options and the program decide, with the values
// that --info must give: crystal, eeprom clock, start cell and program for
// the boot header, length and program for the length header.
std::map<std::string, std::string> expected_report(const written_image &w);

// The "key: value" lines of a report.
std::map<std::string, std::string> parse_report(const std::string &text);

// The first key of expected whose value differs in report, or "" when
// every one agrees.
std::string first_difference(const std::map<std::string, std::string> &expected,
			     const std::map<std::string, std::string> &report);

#endif
