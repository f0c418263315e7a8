// S-record text of a program's bytes, in the shapes that tools write, for the fuzz targets.
#include "srec_text.h"

#include <cctype>
#include <cstdio>

// One record: S, the type, the count, the address of width bytes, the data
// and the checksum.
static std::string record(int type, unsigned address, unsigned width,
			  const std::vector<unsigned> &data)
{
	char text[16];
	unsigned count = width + unsigned(data.size()) + 1, sum = count;
	std::snprintf(text, sizeof text, "S%d%02X", type, count);
	std::string line = text;
	for (unsigned k = width; k-- > 0;) {
		unsigned byte = (address >> (8 * k)) & 0xFF;
		std::snprintf(text, sizeof text, "%02X", byte);
		line += text;
		sum += byte;
	}
	for (unsigned byte : data) {
		std::snprintf(text, sizeof text, "%02X", byte);
		line += text;
		sum += byte;
	}
	std::snprintf(text, sizeof text, "%02X", ~sum & 0xFF);
	return line + text;
}

std::string srec_text(const std::vector<int> &bytes, int type, unsigned record_size, int shape)
{
	const unsigned width = unsigned(type) + 1;
	std::vector<std::string> lines;
	if (shape & SREC_HEADER)
		lines.push_back(record(0, 0, 2, {'h', 'd', 'r'}));
	unsigned records = 0;
	for (size_t i = 0; i < bytes.size();) {
		std::vector<unsigned> data;
		size_t first = i;
		for (; i < bytes.size() && bytes[i] >= 0 && data.size() < record_size; i++)
			data.push_back(unsigned(bytes[i]));
		if (data.empty()) {
			i++;
			continue;
		}
		lines.push_back(record(type, unsigned(first), width, data));
		records++;
	}
	if (shape & SREC_COUNT)
		lines.push_back(records > 0xFFFF ? record(6, records, 3, {}) : record(5, records, 2, {}));
	if (!(shape & SREC_NO_END))
		lines.push_back(record(10 - type, 0, width, {}));
	std::string text;
	for (std::string &line : lines) {
		if (shape & SREC_LOWER_CASE)
			for (char &c : line)
				c = char(std::tolower(static_cast<unsigned char>(c)));
		text += line + (shape & SREC_CRLF ? "\r\n" : "\n");
	}
	return text;
}
