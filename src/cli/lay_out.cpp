// Laying out a program's image, for a conversion and for --verify alike.
#include "cli/lay_out.h"

#include "hex/hex_read.h"
#include "image/boot_image.h"
#include "report/diag.h"

// Highest address that expert-mode data may use.
constexpr uint32_t MAX_EXPERT_ADDRESS = 0xFB;

// Loads one file into img from cell first on, its addresses counted from
// there and below limit, and reports a read error, and a file that stores
// no byte, by name. *top becomes the highest address.
static int load_reported(FILE *stream, const char *name, image *img, uint32_t first,
			 uint32_t limit, int verify_checksums, uint32_t *top)
{
	*top = 0;
	int status = load_hex_placed(stream, img->cells + first, IMAGE_CELLS - first,
				     verify_checksums, limit, top);
	if (status == HEX_READ_ERROR)
		diag_error("Can't read '%s'", name);
	if (status != HEX_OK)
		return 1;
	// *top stays 0 both without a byte and with one at address 0 alone.
	if (*top == 0 && img->cells[first] == EMPTY_CELL) {
		diag_error("No data in '%s'", name);
		return 1;
	}
	return 0;
}

// The expert-mode data goes right behind the header: its address a to cell
// a + 3 (a + 2 behind the length header). The program begins behind it, in
// the cell E + 4 that header_offset names, whatever the header.
static int load_expert_data(const run_options *opts, FILE *stream, image *img, uint32_t first,
			    uint32_t *expert_top)
{
	if (load_reported(stream, opts->expert_file, img, first, IMAGE_CELLS,
			  opts->verify_checksums, expert_top) != 0)
		return 1;
	if (*expert_top > MAX_EXPERT_ADDRESS) {
		diag_error("Expert mode data bytes must lie in the address range 00h to FBh");
		return 1;
	}
	header_offset = static_cast<uint8_t>(*expert_top + 4);
	return 0;
}

int lay_out(const run_options *opts, FILE *expert, FILE *program, image *img)
{
	uint32_t first = opts->length_header ? LENGTH_HEADER_CELLS : BOOT_HEADER_CELLS;
	uint32_t expert_top = 0, program_top = 0, expert_cells = 0;

	header_offset = BOOT_HEADER_CELLS;
	if (expert != nullptr) {
		if (load_expert_data(opts, expert, img, first, &expert_top) != 0)
			return 1;
		expert_cells = expert_top + 1;
	}
	// The program's addresses count as if it began right behind the data.
	if (load_reported(program, opts->program_file, img, first + expert_cells,
			  IMAGE_CELLS - expert_cells, opts->verify_checksums, &program_top) != 0)
		return 1;
	// The program's highest byte lands in cell header_offset + P, which
	// must lie below the program memory size (with the length header too).
	if (int64_t(header_offset) + program_top >= int64_t(opts->program_size)) {
		diag_error("Hex-file contents does not fit into program memory");
		return 1;
	}
	// The length counts the data and the program.
	uint32_t highest = opts->length_header ? expert_cells + program_top : program_top;
	build_boot_image(img, static_cast<unsigned>(opts->crystal_code), opts->slow_clock,
			 opts->length_header, highest);
	return 0;
}
