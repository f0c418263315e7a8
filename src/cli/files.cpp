// Opening and closing the files of a run, each failure reported by the file's name.
#include "cli/files.h"

#include "cli/platform.h"
#include "report/diag.h"

FILE *open_reported(const char *name, const char *mode)
{
	FILE *stream = open_file(name, mode);
	if (stream != nullptr && is_directory(stream)) {
		std::fclose(stream);
		stream = nullptr;
	}
	if (stream == nullptr)
		diag_error("Can't open '%s'", name);
	return stream;
}

int refuse_input_as_output(const char *output, FILE *a, FILE *b)
{
	if (!is_same_file(output, a) && !is_same_file(output, b))
		return 0;
	diag_error("Output file '%s' is also an input file", output);
	return 1;
}

int close_reported(FILE *out, const char *name, int status)
{
	int failed = std::ferror(out) != 0;
	failed |= close_output(out, status == 0 && !failed);
	if (failed != 0 && status == 0) {
		diag_error("Can't write '%s'", name);
		return 1;
	}
	return status;
}

void close_input(FILE *stream)
{
	if (stream != nullptr)
		std::fclose(stream);
}
