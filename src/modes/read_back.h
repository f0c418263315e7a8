// What the read-back modes share: the report, the images, reading an image, the differences named.
#ifndef TARNWICK_READ_BACK_H
#define TARNWICK_READ_BACK_H

#include <cstdint>

#include "image/image.h"
#include "image/image_info.h"
#include "modes/run_options.h"
#include "report/report.h"

// What a read-back mode works on: its report, the image read back (the
// plan's image of the chip, from read_image), and a second image: the one
// that the program lays out (of IMAGE_CELLS cells), or a second image read
// back (from read_image); null until there is one.
struct read_back {
	report r;
	image *img;
	image *other;
};

// The second image of a read-back mode: none or one read back, or a
// layout.
enum { OTHER_NONE, OTHER_LAYOUT };

// One read-back mode; returns the exit status.
typedef int (*read_back_mode)(const run_options *opts, read_back *b);

// Begins the report on stdout (text or JSON), allocates the layout when
// other says so, runs mode, or reports "Out of memory", ends the report and
// frees the images. Returns the mode's exit status, or 1.
int run_read_back(const run_options *opts, int other, read_back_mode mode);

// Reads the image file name into *img, the plan's image, which it
// allocates: raw bytes with --binary (a large file mapped where it can),
// else records whose cell 0 lies at -b, every byte into the cells of the
// chip (65536 cells without --eeprom-size). A byte outside the image read
// without -b is followed by the address to give to -b when the image
// begins at 100h or above. *form is the form it was read in, *raw_length
// the number of raw bytes read (0 for records). Returns 0, or 1 after
// reporting a failure; *img is to be freed either way.
int read_image(const run_options *opts, const char *name, image **img, int *form,
	       uint32_t *raw_length);

// Allocates an empty cell set of cells cells; null after reporting "Out of
// memory". Free it with std::free.
uint64_t *new_cell_set(uint32_t cells);

// Differing cells that a comparison names, one a line; the rest are
// counted.
constexpr uint32_t NAMED_DIFFERENCES = 10;

// Reports the cells that differ beyond the named ones: "1 more cell
// differs", "N more cells differ", for count cells that differ in all.
void report_more_differences(uint32_t count);

// The cells that an image read back covers, as its CRC-32 counts them: the
// plan's, and for raw bytes every byte of the file, raw_length of them.
uint32_t covered_cells(const chip_plan *plan, uint32_t raw_length);

// How the image of a run, raw_length raw bytes or records (0), is read and
// checked, by the chip of plan.
info_request info_request_of(const run_options *opts, const chip_plan *plan, uint32_t raw_length);

#endif
