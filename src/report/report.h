// A report of facts as "key: value" lines or as one JSON object on one line.
#ifndef TARNWICK_REPORT_H
#define TARNWICK_REPORT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "report/text_buffer.h"

// A report under way: where it goes (a stream, or null: text kept in
// memory), its form, and the keys written so far.
struct report {
	FILE *out;
	int json;
	int keys;
	int items;        // of the list under way
	text_buffer kept; // a report kept in memory
};

// Starts a report on out: text lines, or with json non-zero one JSON object.
void report_begin(report *r, FILE *out, int json);

// Starts a report of one JSON object kept in memory (a line of a log).
void report_begin_in_memory(report *r);

// Ends a report kept in memory: closes the object, with no "errors", and
// ends the line. Returns the text, which the caller frees, and *length its
// length; null when memory ran out.
char *report_end_in_memory(report *r, size_t *length);

// One key with a text value; key is written with blanks ("start cell"),
// which JSON turns into underscores ("start_cell"). A null value is
// "unknown" in text and null in JSON.
void report_text(report *r, const char *key, const char *value);

// The same with a number; a negative value is "unknown" / null. Text prints
// it in decimal; JSON as a JSON number.
void report_number(report *r, const char *key, int64_t value);

// The same with a number of 64 bits, which is never unknown.
void report_unsigned(report *r, const char *key, uint64_t value);

// A key with a list of text lines: in text "key: legend", then each item on
// a line of its own behind two blanks; in JSON the key and an array of the
// items as strings, without the legend. Begin it, add the items, end it.
void report_list_begin(report *r, const char *key, const char *legend);
void report_list_item(report *r, const char *text);
void report_list_end(report *r);

// Numbers that each name a thing of one kind: in text a line "key: n"
// each, in JSON one array of them under json_key.
void report_numbers(report *r, const char *key, const char *json_key, const uint32_t *values,
		    size_t count);

// Ends the report: text flushes out; JSON adds "errors": an array of the
// sink's kept lines (diag_line 0 .. diag_count-1) as JSON strings, closes the
// object and ends the line. An object with no keys has "errors" alone:
// {"errors":[...]}. The caller checks out for write errors.
void report_end(report *r);

// Writes text as a JSON string, quotes included, that is always valid JSON:
// '"' and '\' escaped, control characters as \n, \t, \r, \b, \f or \u00XX,
// valid UTF-8 sequences as they are, and every other byte (one that is not
// part of a valid UTF-8 sequence) as U+FFFD, the replacement character.
void json_string(FILE *out, const char *text);

#endif
