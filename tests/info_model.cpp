// What --info must report on an image that tarnwick wrote: a model of the
// layout of its own, for the property test and the fuzz target.
#include "info_model.h"

#include <sstream>

namespace {

const char *const CRYSTALS[] = {"4 MHz", "8 MHz", "12 MHz", "16 MHz", "20 MHz"};

// The highest address that holds a byte, or -1.
int top_of(const std::vector<int> &bytes)
{
	int top = static_cast<int>(bytes.size()) - 1;
	while (top >= 0 && bytes[top] < 0)
		top--;
	return top;
}

// The cells of the image: the header, the expert-mode data behind it (from
// cell 3, or 2 with the length header) and the program behind that, from
// start on.
std::vector<int> cells_of(const written_image &w, int *start)
{
	int e = top_of(w.expert), p = top_of(w.program);
	int header = w.length_header ? 2 : 3;
	*start = header + e + 1; // e is -1 without expert-mode data
	std::vector<int> cells(65536, -1);
	for (int a = 0; a <= e; a++)
		cells[header + a] = w.expert[a];
	for (int a = 0; a <= p; a++)
		cells[*start + a] = w.program[a];
	int last = *start + p;
	if (w.length_header) {
		cells[0] = (last - 1) & 0xFF;
		cells[1] = ((last - 1) >> 8) & 0xFF;
	} else {
		cells[0] = w.crystal_code | (w.slow_clock ? 0 : 8);
		cells[1] = *start;
		cells[2] = last >> 8;
	}
	return cells;
}

} // namespace

std::map<std::string, std::string> expected_report(const written_image &w)
{
	int start;
	std::vector<int> cells = cells_of(w, &start);
	int last = 65535;
	while (last >= 0 && (cells[last] < 0 || cells[last] == w.fill))
		last--;
	int first = w.length_header ? 2 : start;
	std::string program = last < first ? "none" : "cells " + std::to_string(first) + " to " +
							  std::to_string(last);
	if (w.length_header)
		return {{"length", std::to_string(cells[0] | cells[1] << 8)}, {"program", program}};
	return {{"crystal", CRYSTALS[w.crystal_code]},
		{"eeprom clock", w.slow_clock ? "500 kHz" : "1 MHz and higher"},
		{"start cell", std::to_string(start)},
		{"program", program}};
}

std::map<std::string, std::string> parse_report(const std::string &text)
{
	std::map<std::string, std::string> report;
	std::istringstream lines(text);
	std::string line;
	while (std::getline(lines, line)) {
		size_t colon = line.find(": ");
		if (colon != std::string::npos)
			report[line.substr(0, colon)] = line.substr(colon + 2);
	}
	return report;
}

std::string first_difference(const std::map<std::string, std::string> &expected,
			     const std::map<std::string, std::string> &report)
{
	for (const auto &key : expected) {
		auto found = report.find(key.first);
		if (found == report.end() || found->second != key.second)
			return key.first;
	}
	return "";
}
