// Reading a file of a run into a window of cells, a byte outside the window reported in the run's words.
#ifndef TARNWICK_INPUT_FILE_H
#define TARNWICK_INPUT_FILE_H

#include <cstdio>

#include "forms/reader.h"

// How a byte outside the window is reported.
enum {
	MISFIT_MEMORY = 0,  // a conversion's program or expert-mode data: "Hex file contents does
			    // not fit into available memory", without a line feed
	MISFIT_MEMORY_LINE, // the same, with a line feed (--verify's layout)
	MISFIT_IMAGE,       // an image read back: the address, its line and the window's
			    // addresses; a raw image by its length and the window's size
};

// Reads stream into the window as read_input does (forms.h), and reports a
// byte outside the window as misfit says; a record that runs past
// FFFFFFFFh is reported as such in every case. Returns READ_OK or the
// read's failure.
int read_input_file(FILE *stream, const read_window *w, int binary, int misfit, read_result *r,
	      int *form);

#endif
