// What the three read-back modes share: the report, the images, reading the image.
#include "modes/read_back.h"

#include "platform/files.h"
#include "modes/info_report.h"
#include "modes/read_file.h"
#include "report/diag.h"
#include "report/memory.h"

#include <cstdlib>

int run_read_back(const run_options *opts, int with_layout, read_back_mode mode)
{
	read_back b = {{}, image_alloc(), with_layout ? image_alloc() : nullptr, nullptr};
	bool tail = opts->eeprom_size > IMAGE_CELLS;
	if (tail)
		b.tail = static_cast<chip_tail *>(run_realloc(nullptr, sizeof(chip_tail)));
	report_begin(&b.r, stdout, opts->json);
	int status = 1;
	if (b.img == nullptr || (with_layout && b.layout == nullptr) || (tail && b.tail == nullptr)) {
		diag_error("Out of memory");
	} else {
		// --verify takes the byte that a conversion leaves in an empty
		// cell for no byte in use; --info and --extract the fill byte.
		if (tail)
			chip_tail_init(b.tail, opts->mode == MODE_VERIFY ? opts->chip_fill : opts->fill);
		status = mode(opts, &b);
	}
	report_end(&b.r);
	image_free(b.img);
	image_free(b.layout);
	std::free(b.tail);
	return status;
}

// The window of an image: the EEPROM's cells (IMAGE_CELLS without
// --eeprom-size) from the -b address on, up to FFFFFFFFh at the latest;
// from address 0 on for raw bytes. The cells from IMAGE_CELLS on go to the
// tail.
static read_window image_window(const run_options *opts, read_back *b)
{
	bool raw = opts->image_form == FORM_RAW;
	uint64_t first = raw ? 0 : opts->base_address;
	uint64_t room = (uint64_t(1) << 32) - first;
	uint64_t cells = opts->eeprom_size != 0 ? opts->eeprom_size : IMAGE_CELLS;
	uint32_t size = uint32_t(room < cells ? room : cells);
	return read_window{b->img->cells, first, size, size < IMAGE_CELLS ? size : IMAGE_CELLS,
			   opts->verify_checksums,
			   raw && opts->eeprom_size != 0 ? MISFIT_CHIP : MISFIT_ADDRESS, 0,
			   opts->image_file, b->tail != nullptr ? chip_tail_note : nullptr, b->tail};
}

// Without -b, the image may lie anywhere: name where it begins.
static void name_origin(const run_options *opts, FILE *stream, int form)
{
	uint64_t lowest;
	image_findings found = {0, {}};
	if (opts->base_address == 0 && probe_lowest_address(stream, form, &lowest) == 0 &&
	    origin_is_suspect(lowest))
		add_finding(&found, FOUND_ORIGIN, int64_t(lowest));
	report_findings(&found);
}

int read_image(const run_options *opts, read_back *b, int *form, uint32_t *raw_length)
{
	FILE *stream = open_reported(opts->image_file, "rb");
	if (stream == nullptr)
		return 1;
	read_window w = image_window(opts, b);
	read_result r;
	int status = read_input(stream, &w, opts->image_form == FORM_RAW, &r, form);
	if (status == READ_DOES_NOT_FIT)
		name_origin(opts, stream, *form);
	*raw_length = status == READ_OK && *form == INPUT_RAW ? uint32_t(r.highest) + 1 : 0;
	close_input(stream);
	return status == READ_OK ? 0 : 1;
}

info_request info_request_of(const run_options *opts, uint32_t chip_size)
{
	bool raw = opts->image_form == FORM_RAW;
	return info_request{raw, opts->fill, opts->chip_fill, opts->length_header,
			    opts->program_size, chip_size, raw ? 0 : opts->base_address};
}
