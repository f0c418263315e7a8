// Laying out a program's image, for a conversion and for --verify alike.
#include "cli/lay_out.h"

#include <cstring>

#include "cli/read_file.h"
#include "image/layout.h"
#include "report/diag.h"

// Reads a file into img at its own addresses, in a window of size cells.
static int read_part(const run_options *opts, FILE *stream, const char *name, image *img,
		     uint32_t size, int line_feed, read_result *r)
{
	read_window w = {img->cells, 0, size, opts->verify_checksums,
			 line_feed ? MISFIT_MEMORY_LINE : MISFIT_MEMORY, 0, name};
	int form;
	return read_input(stream, &w, 0, r, &form) == READ_OK ? 0 : 1;
}

// Reads the expert-mode data, addresses 00h to FBh, into *count cells of
// expert, and leaves img empty again for the program.
static int read_expert_data(const run_options *opts, FILE *stream, image *img, int line_feed,
			    image_cell *expert, uint32_t *count)
{
	read_result r;
	if (read_part(opts, stream, opts->expert_file, img, IMAGE_CELLS, line_feed, &r) != 0)
		return 1;
	if (r.highest > MAX_EXPERT_ADDRESS) {
		diag_error("Expert mode data bytes must lie in the address range 00h to FBh");
		return 1;
	}
	*count = uint32_t(r.highest) + 1;
	std::memcpy(expert, img->cells, *count * sizeof(image_cell));
	image_clear(img->cells, *count);
	return 0;
}

int lay_out(const run_options *opts, FILE *expert, FILE *program, image *img, int line_feed)
{
	image_cell expert_cells[MAX_EXPERT_CELLS];
	uint32_t expert_count = 0;
	read_result r;
	if (expert != nullptr &&
	    read_expert_data(opts, expert, img, line_feed, expert_cells, &expert_count) != 0)
		return 1;
	// The program's addresses count as if it began right behind the data.
	if (read_part(opts, program, opts->program_file, img, IMAGE_CELLS - expert_count, line_feed,
		      &r) != 0)
		return 1;
	image_layout l = conversion_layout(opts->length_header, expert_count, uint32_t(r.highest));
	if (!layout_fits(&l, opts->program_size)) {
		diag_error("Hex-file contents does not fit into program memory");
		return 1;
	}
	lay_out_image(img, &l, uint32_t(r.lowest), expert != nullptr ? expert_cells : nullptr,
		      unsigned(opts->crystal_code), opts->slow_clock);
	return 0;
}
