// The conversion: a program read as Intel HEX or S-record, written as an EEPROM image.
#include "platform/files.h"
#include "modes/lay_out.h"
#include "modes/modes.h"
#include "forms/hex_write.h"
#include "forms/c_array.h"
#include "forms/raw_binary.h"
#include "report/diag.h"

// The files of a conversion: expert-mode data (with -e), program, image.
struct convert_files {
	FILE *expert;
	FILE *program;
	FILE *image;
};

// Opens the inputs first. The output is refused before it is opened, so
// that nothing is changed on disk, when it is one of the inputs.
static int open_files(const run_options *opts, convert_files *f)
{
	f->image = nullptr;
	if (open_inputs(opts, &f->expert, &f->program) != 0)
		return 1;
	if (!refuse_input_as_output(opts->image_file, f->program, f->expert) &&
	    (f->image = open_reported(opts->image_file,
				      opts->image_form == FORM_RAW ? "wb" : "wt")) != nullptr)
		return 0;
	close_input(f->expert);
	close_input(f->program);
	return 1;
}

// The C array and the raw binary cover the EEPROM with --eeprom-size, else
// the program memory; the Intel HEX output every cell that holds a byte,
// at base_address onwards. With a fill byte, every cell they cover holds
// one, those from IMAGE_CELLS on too; the raw binary puts its fill byte
// into each empty cell itself.
static int write_image(const run_options *opts, FILE *out, image *img)
{
	uint32_t size = opts->eeprom_size != 0 ? opts->eeprom_size : uint32_t(opts->program_size);
	uint32_t held = size < IMAGE_CELLS ? size : IMAGE_CELLS;
	int fill = opts->fill;
	if (opts->image_form == FORM_RAW) {
		write_raw_binary(out, img, size, static_cast<uint8_t>(fill));
		return 0;
	}
	if (fill != NO_FILL)
		image_fill(img->cells, held, static_cast<uint8_t>(fill));
	if (opts->image_form == FORM_C_ARRAY) {
		write_c_array(out, img, size, opts->array_name, opts->chip_fill);
		return 0;
	}
	// Without a fill byte, the cells that hold one, wherever they lie.
	uint32_t end = fill != NO_FILL ? size : image_used_end(img->cells, IMAGE_CELLS);
	if (check_hex_address_range(opts->base_address, end) != 0) {
		diag_error("Output addresses exceed FFFFFFFFh");
		return 1;
	}
	write_hex_filled(out, img->cells, opts->base_address, fill != NO_FILL ? held : end, end,
			 uint8_t(fill));
	return 0;
}

int run_convert(const run_options *opts)
{
	convert_files f;
	if (open_files(opts, &f) != 0)
		return 1;
	image *img = image_alloc();
	int status = 1;
	if (img == nullptr)
		diag_error("Out of memory");
	else if (lay_out(opts, f.expert, f.program, img, 0) == 0)
		status = write_image(opts, f.image, img);
	image_free(img);
	close_input(f.expert);
	close_input(f.program);
	return close_reported(f.image, opts->image_file, status);
}
