// The conversion: a program read as Intel HEX or S-record, written as an EEPROM image.
#include "forms/forms.h"
#include "modes/patch_checks.h"
#include "modes/program_image.h"
#include "modes/modes.h"
#include "modes/serial_number.h"
#include "platform/files.h"
#include "platform/platform.h"
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
	    (!opts->has_serial || !refuse_serial_files(opts, f->program, f->expert)) &&
	    (f->image = open_reported(opts->image_file, FORMS[opts->image_form].open_mode)) != nullptr)
		return 0;
	close_input(f->expert);
	close_input(f->program);
	return 1;
}

// Every form covers the cells that the plan's image covers: the raw bytes
// and the C array each of them, records those that hold a byte, and with a
// fill byte each of them too, the cells without one as the fill byte.
static image_output output_of(const run_options *opts, const image *img)
{
	return image_output{img, 0, plan_covered(&opts->plan), opts->plan.fill != NO_FILL,
			    opts->base_address, opts->array_name};
}

// No output address of records may pass FFFFFFFFh.
static int check_addresses(const run_options *opts, const image *img)
{
	const image_output o = output_of(opts, img);
	if (output_fits(opts->image_form, &o))
		return 0;
	diag_error("Output addresses exceed FFFFFFFFh");
	return 1;
}

static int write_image(const run_options *opts, FILE *out, const image *img)
{
	const image_output o = output_of(opts, img);
	return check_addresses(opts, img) != 0 || FORMS[opts->image_form].write(out, &o) != WRITE_OK;
}

// Lays out the program with its patches; with --serial, checks first that
// the image can be written, and gets the serial number.
static int prepare(const run_options *opts, const convert_files *f, image *img, serial_run *s)
{
	image_layout l;
	if (lay_out_program(opts, f->expert, f->program, img, 0, &l) != 0 ||
	    (has_patches(opts) && check_patches(opts, img, &l) != 0) ||
	    (opts->has_serial && (check_addresses(opts, img) != 0 || get_serial_number(opts, s) != 0)))
		return 1;
	apply_board_data(img, &l, opts->patches, opts->patch_count,
			 opts->has_serial ? &opts->serial : nullptr, s->number);
	return 0;
}

// With a log, an image that is a regular file is written beside it and put
// in its place only behind its line in the log, so that a run that stops
// between the two leaves no image whose number the log lacks: returns 1
// with o prepared for that, else 0 (the image is written in place, its line
// behind it).
static int stage_image(const run_options *opts, staged_output *o)
{
	*o = staged_output{opts->image_file, FORMS[opts->image_form].open_mode[1] == 'b', nullptr,
			   0, nullptr, nullptr};
	if (opts->serial_log == nullptr || stage_outputs(o, 1, nullptr) != 0)
		return 0;
	if (o->kind == OUTPUT_BESIDE)
		return 1;
	finish_staged(o, 1, 1);
	return 0;
}

// Writes the staged image, adds its line to the log, and puts it in place.
static int write_staged(const run_options *opts, staged_output *o, const image *img,
			serial_run *s)
{
	FILE *out = open_staged(o);
	int status = out == nullptr ? 1 : close_staged(o, write_image(opts, out, img));
	if (status == 0)
		status = log_serial(opts, s, img, FORMS[opts->image_form].name);
	return finish_staged(o, 1, status);
}

int run_convert(const run_options *opts)
{
	convert_files f;
	if (open_files(opts, &f) != 0)
		return 1;
	image *img = plan_image(&opts->plan);
	serial_run s = {};
	int prepared = 1;
	if (img == nullptr)
		diag_error("Out of memory");
	else
		prepared = prepare(opts, &f, img, &s);
	close_input(f.expert);
	close_input(f.program);
	staged_output o;
	int staged = prepared == 0 && stage_image(opts, &o);
	int status = prepared != 0 ? 1 : staged ? 0 : write_image(opts, f.image, img);
	// The image is left empty after a failure, and while a staged one is
	// written.
	status = close_reported(f.image, opts->image_file, status);
	if (staged)
		status = status == 0 ? write_staged(opts, &o, img, &s) : finish_staged(&o, 1, status);
	else if (prepared == 0 && status == 0 && opts->serial_log != nullptr)
		status = log_serial(opts, &s, img, FORMS[opts->image_form].name);
	if (prepared == 0 && opts->has_serial)
		status = end_serial(opts, &s, status);
	image_free(img);
	return status;
}
