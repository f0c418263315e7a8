// The report on an image read back: its facts as report keys, a message for each finding.
#ifndef TARNWICK_INFO_REPORT_H
#define TARNWICK_INFO_REPORT_H

#include "image/image_info.h"
#include "report/report.h"

// Puts the facts of an image read in the given form (INPUT_) into r, a key
// a fact: format, header, then crystal, eeprom clock, start cell, last
// block and expert data (boot header) or length (length header), then
// program, used and crc32; unknown (null) where the cells give no value.
// Then checks the image and writes a message for each finding, after the
// keys have reached the terminal. Returns 0 when every check passes, else
// 1; *f holds the facts.
int report_image(report *r, int form, const image *img, const info_request *request,
		 image_facts *f);

// Writes one ERROR line for each finding, in order, in the words of the
// options that a user gives; returns 1 when there is one, else 0.
int report_findings(const image_findings *found);

#endif
