// Taking an image apart: the builder's inverse, for --extract.
#ifndef TARNWICK_UNPACK_H
#define TARNWICK_UNPACK_H

#include <cstdint>

#include "image/image.h"
#include "image/image_info.h"

// Where the parts of an image lie: the program in cells program_first to
// program_end - 1, the expert-mode data in cells expert_first to
// expert_end - 1 (none when the two are equal).
struct image_parts {
	uint32_t program_first;
	uint32_t program_end;
	uint32_t expert_first;
	uint32_t expert_end;
};

// Finds the parts of img, read as request says, an image that has passed
// report_image_info's checks: the program from the start cell (cell 2
// behind the length header) to the last cell in use, and for a boot header
// at least to the first cell of the block that header cell 2 names (where a
// fill byte may hide the program's end); behind the length header exactly
// the cells the length counts. The cells between the boot header and the
// start cell are expert-mode data. Then checks that a conversion lays the
// parts out again as they are; reports each reason why not through the
// error sink and returns 1, else returns 0.
int unpack_image(const image *img, const info_request *request, image_parts *parts);

#endif
