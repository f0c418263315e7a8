// Helpers shared by the unit tests: in-memory streams and image set-up.
#include "test_support.h"

#include <cstdlib>

FILE *stream_of(const std::string &text)
{
	FILE *f = std::tmpfile();
	std::fwrite(text.data(), 1, text.size(), f);
	std::rewind(f);
	return f;
}

captured_output::captured_output() : stream_(open_memstream(&buffer_, &size_)) {}

captured_output::~captured_output()
{
	if (stream_ != nullptr)
		std::fclose(stream_);
	std::free(buffer_);
}

std::string captured_output::text()
{
	if (stream_ != nullptr) {
		std::fclose(stream_);
		stream_ = nullptr;
	}
	return std::string(buffer_, size_);
}

int read_text(file_reader read, const std::string &text, const read_window &w, read_result *r)
{
	FILE *f = stream_of(text);
	line_reader *in = static_cast<line_reader *>(std::malloc(sizeof(line_reader)));
	line_reader_init(in, f);
	int status = read(in, &w, r);
	std::free(in);
	std::fclose(f);
	return status;
}

void put_bytes(image *img, uint32_t first, const std::vector<int> &bytes)
{
	for (size_t i = 0; i < bytes.size(); i++)
		if (bytes[i] >= 0)
			image_put(img, first + uint32_t(i), uint8_t(bytes[i]));
}
