// The layout of an image: where its parts lie, the fit rule, the builder and its inverse.
#ifndef TARNWICK_LAYOUT_H
#define TARNWICK_LAYOUT_H

#include <cstdint>

#include "image/header.h"
#include "image/image.h"
#include "image/image_info.h"

// Highest address that expert-mode data may use, and the most cells it
// takes.
constexpr uint32_t MAX_EXPERT_ADDRESS = 0xFB;
constexpr uint32_t MAX_EXPERT_CELLS = MAX_EXPERT_ADDRESS + 1;

// Where the parts of an image lie: the header in cells 0 to expert_first -
// 1 (the boot header, or the length header), the expert-mode data in cells
// expert_first to program_first - 1 (none when the two are equal), the
// program in cells program_first to program_end - 1.
struct image_layout {
	int length_header;
	uint32_t expert_first;
	uint32_t program_first;
	uint32_t program_end;
};

// The layout of a conversion: behind the header, expert_cells cells of
// expert-mode data, then the program, which is read into its cells from
// program_first on; program_end is the cell behind the program's highest
// address, program_top (0 also for a program of one byte at address 0).
image_layout conversion_layout(int length_header, uint32_t expert_cells, uint32_t program_top);

// The fit rule: the program's last cell lies below the program memory
// size, and behind the length header below the size less one, as the rule
// counts three header cells whatever the header.
bool layout_fits(const image_layout *l, int64_t program_size);

// The chip's fit rule: the last cell that the image uses, header and
// expert-mode data included (two header cells behind the length header),
// lies below the EEPROM's size.
bool layout_fits_chip(const image_layout *l, uint32_t eeprom_size);

// The builder: writes the header of an image whose parts lie as l says, no
// other cell. The boot header: the crystal code (its low three bits) with
// bit 3 set unless slow_clock, the program's first cell (where the
// contents begin) and the block of the program's last cell; the length
// header: the number of cells from cell 2 to the program's last, low byte
// first.
void build_boot_image(image *img, unsigned crystal_code, int slow_clock, const image_layout *l);

// The inverse: finds the parts of img, an image read back whose facts f
// passed check_image, and checks that a conversion lays them out again as
// they are, adding a finding for the first reason why not. The program
// reaches from the start cell (cell 2 behind the length header) to the
// last cell in use and, for a boot header with a fill byte in play, at
// least to the first cell of the block that header cell 2 names; behind
// the length header exactly the cells that the length counts. The cells
// between the boot header and the start cell are expert-mode data.
// Returns the number of findings.
int find_layout(const image *img, const image_facts *f, const info_request *request,
		image_layout *l, image_findings *found);

#endif
