// Opening, closing and putting in place the files of a run, each failure reported by the file's name.
#include "platform/files.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
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

static void release_staged(staged_output *outputs, int n)
{
	for (int i = 0; i < n; i++) {
		std::free(outputs[i].target);
		std::free(outputs[i].temp);
		outputs[i].target = outputs[i].temp = nullptr;
	}
}

// The checks of one output, in order; 1 after reporting the one that fails.
static int check_staged(staged_output *outputs, int i, FILE *input)
{
	staged_output *o = &outputs[i];
	o->temp = nullptr;
	o->stream = nullptr;
	if (refuse_input_as_output(o->name, input, nullptr))
		return 1;
	if ((o->target = output_target(o->name)) == nullptr) {
		diag_error("Out of memory");
		return 1;
	}
	if (i == 1 && (std::strcmp(outputs[0].name, o->name) == 0 ||
		       names_one_file(outputs[0].target, o->target))) {
		diag_error("Output files '%s' and '%s' are one file", outputs[0].name, o->name);
		return 1;
	}
	return 0;
}

int stage_outputs(staged_output *outputs, int n, FILE *input)
{
	for (int i = 0; i < n; i++)
		outputs[i].target = nullptr;
	for (int i = 0; i < n; i++)
		if (check_staged(outputs, i, input) != 0) {
			release_staged(outputs, n);
			return 1;
		}
	for (int i = 0; i < n; i++)
		if ((outputs[i].kind = output_kind(outputs[i].target)) == OUTPUT_CANNOT_OPEN) {
			diag_error("Can't open '%s'", outputs[i].name);
			release_staged(outputs, n);
			return 1;
		}
	return 0;
}

FILE *open_staged(staged_output *o)
{
	if (o->kind != OUTPUT_BESIDE)
		return o->stream = open_reported(o->name, o->binary ? "wb" : "wt");
	if ((o->stream = create_beside(o->target, &o->temp, o->binary)) == nullptr)
		diag_error("Can't open '%s'", o->name);
	return o->stream;
}

int close_staged(staged_output *o, int status)
{
	FILE *stream = o->stream;
	o->stream = nullptr;
	if (o->kind != OUTPUT_BESIDE)
		return close_reported(stream, o->name, status);
	// The new file is on the disk before it takes the output's place.
	int failed = std::fflush(stream) != 0 || std::ferror(stream) != 0 || sync_file(stream) != 0;
	failed |= std::fclose(stream) != 0;
	if (failed && status == 0) {
		diag_error("Can't write '%s'", o->name);
		return 1;
	}
	return status;
}

int finish_staged(staged_output *outputs, int n, int status)
{
	for (int i = 0; i < n && status == 0; i++)
		if (outputs[i].temp != nullptr && replace_file(outputs[i].temp, outputs[i].target) != 0) {
			diag_error("Can't write '%s'", outputs[i].name);
			status = 1;
		} else if (outputs[i].temp != nullptr) {
			std::free(outputs[i].temp);
			outputs[i].temp = nullptr;
		}
	for (int i = 0; i < n; i++)
		if (outputs[i].temp != nullptr)
			remove_file(outputs[i].temp);
	release_staged(outputs, n);
	return status;
}
