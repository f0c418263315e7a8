// Helpers shared by the unit tests: in-memory streams and image set-up.
#ifndef TARNWICK_TEST_SUPPORT_H
#define TARNWICK_TEST_SUPPORT_H

#include <cstdio>
#include <string>
#include <vector>

#include "forms/reader.h"
#include "image/image.h"

// A stream that reads the given text.
FILE *stream_of(const std::string &text);

// Collects what is written to a stream; text() closes it and returns it.
class captured_output {
public:
	captured_output();
	~captured_output();
	FILE *stream() { return stream_; }
	std::string text();

private:
	FILE *stream_;
	char *buffer_ = nullptr;
	size_t size_ = 0;
};

// A heap image of IMAGE_CELLS cells (or size), every cell empty and holding
// empty, freed when it goes out of scope.
class scoped_image {
public:
	explicit scoped_image(uint32_t size = IMAGE_CELLS, uint8_t empty = ERASED_BYTE)
		: img_(image_alloc(size, empty)) {}
	~scoped_image() { image_free(img_); }
	image *get() { return img_; }
	int cell(uint32_t i) const { return image_cell(img_, i); }

private:
	image *img_;
};

// Reads text with the reader into the window, as read_input does without
// telling the form; returns the reader's status.
int read_text(file_reader read, const std::string &text, const read_window &w, read_result *r);

// Stores bytes into consecutive cells from first on; -1 leaves a cell as it
// is.
void put_bytes(image *img, uint32_t first, const std::vector<int> &bytes);

#endif
