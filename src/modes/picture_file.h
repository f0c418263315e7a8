// The picture of a run's image: its file checked before the run, its cells' kinds told by the run's options, and the file written beside the report.
#ifndef TARNWICK_PICTURE_FILE_H
#define TARNWICK_PICTURE_FILE_H

#include <cstdint>

#include "forms/picture.h"
#include "image/image_info.h"
#include "image/layout.h"
#include "modes/run_options.h"

// With --picture, the picture's file may be none of the run's other files,
// and must be one that can be written. Returns 0, or 1 after reporting.
int check_picture_file(const run_options *opts);

// The picture of img (from plan_image of plan), read in form from the file
// name, of the covered cells and their CRC-32, with the kinds of its cells
// by the run's options: the header's cells, the program from cell start
// on (-1: not known), its serial number and, with patches, the fixed bytes
// of --set. Nothing is compared yet.
picture_request picture_of(const run_options *opts, const chip_plan *plan, const char *name,
			   int form, const image *img, uint32_t covered, uint32_t crc, int64_t start,
			   int patches);

// Writes the picture to the file of --picture, under another name first
// and renamed once complete. Returns 0, or 1 after reporting.
int write_picture_file(const run_options *opts, const picture_request *r);

// With --picture, draws the image that --info or --extract read back in
// form, raw_length raw bytes of it (0: records), by the chip of plan and
// the facts of it. Returns 0, or 1 after reporting.
int draw_image_read(const run_options *opts, const chip_plan *plan, const image *img, int form,
		    uint32_t raw_length, const image_facts *f);

// The picture of img, read in form from the run's image file, compared
// with the image that the program lays out as l says: its header's cells,
// program, serial number and fixed bytes are the layout's; the cells that
// differ are in differing, each told by describe with context.
picture_request picture_of_layout(const run_options *opts, int form, const image *img,
				  uint32_t covered, uint32_t crc, const image_layout *l,
				  const uint64_t *differing, cell_describer describe,
				  const void *context);

#endif
