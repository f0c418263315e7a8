// Laying out a program's image, for a conversion and for --verify alike.
#include "modes/program_image.h"

#include "image/layout.h"
#include "modes/input_file.h"
#include "platform/files.h"
#include "report/diag.h"

int open_inputs(const run_options *opts, FILE **expert, FILE **program)
{
	*expert = nullptr;
	if (opts->expert_file != nullptr &&
	    (*expert = open_reported(opts->expert_file, "rb")) == nullptr)
		return 1;
	if ((*program = open_reported(opts->program_file, "rb")) != nullptr)
		return 0;
	close_input(*expert);
	*expert = nullptr;
	return 1;
}

// Reads a file into a window of size cells from image cell cell on, at its
// own addresses.
static int read_part(const run_options *opts, FILE *stream, const char *name, image *img,
		     uint32_t cell, uint32_t size, int line_feed, read_result *r)
{
	read_window w = {img, cell, 0, size, opts->verify_checksums, 0, 0, name, 0};
	int form;
	return read_input_file(stream, &w, 0, line_feed ? MISFIT_MEMORY_LINE : MISFIT_MEMORY, r, &form) ==
			       READ_OK
		       ? 0
		       : 1;
}

// Reads the expert-mode data, addresses 00h to FBh, into the cells behind
// the header, first on; *count is the number of cells it takes.
static int read_expert_data(const run_options *opts, FILE *stream, image *img, uint32_t first,
			    int line_feed, uint32_t *count)
{
	read_result r;
	if (read_part(opts, stream, opts->expert_file, img, first, IMAGE_CELLS, line_feed, &r) != 0)
		return 1;
	if (r.highest > MAX_EXPERT_ADDRESS) {
		diag_error("Expert mode data bytes must lie in the address range 00h to FBh");
		return 1;
	}
	*count = uint32_t(r.highest) + 1;
	return 0;
}

// The fit into the program memory, and into the EEPROM when its size is
// known.
static int check_fit(const run_options *opts, const image_layout *l)
{
	const chip_plan *p = &opts->plan;
	if (!layout_fits(l, p->program_size)) {
		diag_error("Hex-file contents does not fit into program memory");
		return 1;
	}
	if (p->chip_size != 0 && !layout_fits_chip(l, p->chip_size)) {
		diag_error("Hex-file contents does not fit into the EEPROM of %u %s",
			   unsigned(p->chip_size), bytes_word(p->chip_size));
		return 1;
	}
	return 0;
}

int lay_out_program(const run_options *opts, FILE *expert, FILE *program, image *img, int line_feed,
	    image_layout *l)
{
	uint32_t expert_count = 0;
	read_result r;
	*l = conversion_layout(opts->length_header, 0, 0);
	if (expert != nullptr &&
	    read_expert_data(opts, expert, img, l->expert_first, line_feed, &expert_count) != 0)
		return 1;
	// The program is read right behind the header and the data, its
	// addresses counted from there; a byte beyond the last cell of the
	// image lands among the spare cells, and the fit check refuses it.
	*l = conversion_layout(opts->length_header, expert_count, 0);
	if (read_part(opts, program, opts->program_file, img, l->program_first,
		      IMAGE_CELLS - expert_count, line_feed, &r) != 0)
		return 1;
	*l = conversion_layout(opts->length_header, expert_count, uint32_t(r.highest));
	if (check_fit(opts, l) != 0)
		return 1;
	build_boot_image(img, unsigned(opts->crystal_code), opts->slow_clock, l);
	return 0;
}
