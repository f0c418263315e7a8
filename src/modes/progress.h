// The progress of a long write on a terminal: a line redrawn in place, ended before any message.
#ifndef TARNWICK_PROGRESS_H
#define TARNWICK_PROGRESS_H

#include <cstdint>
#include <cstdio>

// A progress line under way: where it goes (null: nowhere), what it counts,
// and when it began and was drawn last.
struct progress {
	FILE *out;
	uint32_t total;
	uint64_t started_ms;
	uint64_t drawn_ms;
	int drawn;
};

// Starts a line for total pages: on stderr when that is a
// terminal and the pages are more than few, else nowhere.
void progress_begin(progress *p, uint32_t total);

// Counts more pages to write: pages written again.
void progress_more(progress *p, uint32_t more);

// Draws the line anew for done pages of bytes bytes, at most a few times a
// second and at the last page.
void progress_step(progress *p, uint32_t done, uint64_t bytes);

// Ends the line with a line feed, if one was drawn.
void progress_end(progress *p);

#endif
