// S-record text of a program's bytes, in the shapes that tools write, for the fuzz targets.
#ifndef TARNWICK_SREC_TEXT_H
#define TARNWICK_SREC_TEXT_H

#include <string>
#include <vector>

// How the text is shaped.
enum {
	SREC_HEADER = 1,     // an S0 header record first
	SREC_COUNT = 2,      // an S5 (or S6) record counting the data records before the end
	SREC_CRLF = 4,       // CR LF line ends
	SREC_LOWER_CASE = 8, // lower-case letters and digits
	SREC_NO_END = 16,    // no termination record
};

// The bytes (-1 where there is none) as S-records of data type 1, 2 or 3,
// each holding at most record_size (1 to 250) consecutive bytes.
std::string srec_text(const std::vector<int> &bytes, int type, unsigned record_size, int shape);

#endif
