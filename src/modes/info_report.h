// The report on an image read back: its facts as report keys, a message for each finding.
#ifndef TARNWICK_INFO_REPORT_H
#define TARNWICK_INFO_REPORT_H

#include "image/patches.h"
#include "image/image_info.h"
#include "image/image_map.h"
#include "report/report.h"

// Puts the facts of an image read in the given form (FORM_) into r, a key
// a fact: format, header, then crystal, eeprom clock, start cell, last
// block and expert data (boot header) or length (length header), then
// program, used and crc32, and serial with the request's serial; unknown
// (null) where the cells give no value; with with_map, the map of the
// image last. Then checks the image (and the serial number) and writes a
// message for each finding, after the report so far has reached the
// terminal. Returns 0 when every check passes, else 1; *f holds the
// facts.
int report_image(report *r, int form, const image *img, const info_request *request, int with_map,
		 image_facts *f);

// Puts the map of img by the plan's rule of the cells in use into r: "map"
// with a row of the blocks of every 32, each row its first cell (four
// hexadecimal digits at least, as many as the last row needs) and the
// characters of its blocks, to the plan's reach and the last cell in use
// at least. With differing (a cell set of the image's cells, or null) for
// a comparison, whose legend adds 'X', and which reaches the last block
// that differs too.
void report_map(report *r, const image *img, const chip_plan *plan, const uint64_t *differing);

// Puts key ("serial"), the serial number read back from img for a program
// that begins in cell start (-1: not known), into r, or unknown; returns
// the finding of reading it.
board_finding put_serial(report *r, const char *key, const image *img, int64_t start,
			 const serial_spec *serial);

// Writes one ERROR line for each finding, in order, in the words of the
// options that a user gives; returns 1 when there is one, else 0.
int report_findings(const image_findings *found);

#endif
