// --extract: the program and expert-mode data taken out of an image read back.
#include <cstdlib>
#include <cstring>

#include "cli/files.h"
#include "cli/modes.h"
#include "cli/platform.h"
#include "cli/read_image.h"
#include "hex/hex_write.h"
#include "image/unpack.h"
#include "report/diag.h"
#include "report/report.h"

// Characters that a POSIX shell takes as they are in a word.
static const char SHELL_SAFE[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
				 "0123456789_@%+=:,./-";

// Appends text to command, in single quotes where a shell needs them.
static char *put_word(char *p, const char *text)
{
	*p++ = ' ';
	if (*text != '\0' && text[std::strspn(text, SHELL_SAFE)] == '\0')
		return std::strcpy(p, text) + std::strlen(text);
	*p++ = '\'';
	for (; *text != '\0'; text++)
		if (*text == '\'')
			p = std::strcpy(p, "'\\''") + 4;
		else
			*p++ = *text;
	*p++ = '\'';
	return p;
}

// The options of the conversion that rebuilds the image, as they differ
// from the defaults, into a buffer of at least 64 characters.
static char *put_options(char *p, const run_options *opts, const image *img)
{
	boot_header h = decode_boot_header(img->cells);
	if (!opts->length_header && h.crystal_code != DEFAULT_CRYSTAL_CODE)
		p += std::sprintf(p, " -c %d", CRYSTAL_MHZ[h.crystal_code]);
	if (!opts->length_header && h.fast_clock == 0)
		p += std::sprintf(p, " -s");
	if (opts->length_header)
		p += std::sprintf(p, " -t");
	if (opts->program_size != DEFAULT_PROGRAM_SIZE)
		p += std::sprintf(p, " -p %d", int(opts->program_size));
	if (opts->image_form == FORM_HEX && opts->base_address != 0)
		p += std::sprintf(p, " -b %X", unsigned(opts->base_address));
	if (opts->image_form == FORM_RAW)
		p += std::sprintf(p, " --binary");
	int fill = fill_of(opts);
	if (fill != NO_FILL && !(opts->image_form == FORM_RAW && fill == ERASED_BYTE))
		p += std::sprintf(p, " --fill=%02X", unsigned(fill));
	return p;
}

// Puts "tarnwick [options] [-e expert] [--] program image" into the report;
// returns 1 when there is no memory for it.
static int put_command(report *r, const run_options *opts, const image *img)
{
	const char *names[] = {opts->expert_file, opts->program_file, opts->image_file};
	size_t size = 128;
	for (const char *name : names)
		size += name != nullptr ? 4 * std::strlen(name) + 4 : 0;
	char *command = static_cast<char *>(std::malloc(size));
	if (command == nullptr) {
		diag_error("Out of memory");
		return 1;
	}
	char *p = put_options(std::strcpy(command, "tarnwick") + 8, opts, img);
	if (opts->expert_file != nullptr)
		p = put_word(std::strcpy(p, " -e") + 3, opts->expert_file);
	if (opts->program_file[0] == '-' || opts->image_file[0] == '-')
		p = std::strcpy(p, " --") + 3;
	p = put_word(put_word(p, opts->program_file), opts->image_file);
	*p = '\0';
	report_text(r, "command", command);
	std::free(command);
	return 0;
}

// A third file name exactly when the image holds expert-mode data, which
// behind the length header cannot be told from the program.
static int check_third_name(const run_options *opts, const image_parts *parts)
{
	bool has_data = parts->expert_end > parts->expert_first;
	if (opts->length_header && opts->expert_file != nullptr)
		diag_error("Behind the length header expert-mode data cannot be told from the "
			   "program: give no third file name");
	else if (has_data && opts->expert_file == nullptr)
		diag_error("The image holds expert-mode data in cells %u to %u: give a file name "
			   "for it",
			   unsigned(parts->expert_first), unsigned(parts->expert_end - 1));
	else if (!has_data && opts->expert_file != nullptr)
		diag_error("The image holds no expert-mode data: give no third file name");
	else
		return 0;
	return 1;
}

// A conversion writes a raw image of exactly the program memory size.
static int check_raw_length(const run_options *opts, uint32_t raw_length)
{
	if (opts->image_form != FORM_RAW || int64_t(raw_length) == opts->program_size)
		return 0;
	diag_error("'%s' holds %u bytes, not the %d of the program memory (-p)", opts->image_file,
		   unsigned(raw_length), int(opts->program_size));
	return 1;
}

// Reads the image and checks that it can be taken apart and rebuilt.
static int take_apart(const run_options *opts, report *r, image *img, image_parts *parts)
{
	FILE *stream = open_reported(opts->image_file, "rb");
	uint32_t raw_length = 0;
	int failed = stream == nullptr || read_image(opts, stream, img, &raw_length) != 0;
	close_input(stream);
	info_request request = info_request_of(opts);
	return failed || report_image_info(r, img, &request) != 0 ||
	       check_raw_length(opts, raw_length) != 0 || unpack_image(img, &request, parts) != 0 ||
	       check_third_name(opts, parts) != 0;
}

// The two outputs must be two files.
static int refuse_one_file(const run_options *opts)
{
	if (opts->expert_file == nullptr)
		return 0;
	FILE *existing = open_file(opts->program_file, "rb");
	int same = std::strcmp(opts->expert_file, opts->program_file) == 0 ||
		   is_same_file(opts->expert_file, existing);
	close_input(existing);
	if (same)
		diag_error("Output files '%s' and '%s' are one file", opts->program_file,
			   opts->expert_file);
	return same;
}

// Neither output may be the image, nor the two outputs one file; nothing
// is opened for writing before these checks have passed.
static int check_outputs(const run_options *opts)
{
	FILE *image_stream = open_reported(opts->image_file, "rb");
	int failed = image_stream == nullptr ||
		     refuse_input_as_output(opts->program_file, image_stream, nullptr) ||
		     (opts->expert_file != nullptr &&
		      refuse_input_as_output(opts->expert_file, image_stream, nullptr)) ||
		     refuse_one_file(opts);
	close_input(image_stream);
	return failed;
}

// Two names of a file that did not exist may still name one file, which
// only shows once the first has been created.
static int refuse_created_twin(const run_options *opts, FILE *program)
{
	if (!is_same_file(opts->expert_file, program))
		return 0;
	diag_error("Output files '%s' and '%s' are one file", opts->program_file, opts->expert_file);
	return 1;
}

// Writes cells[first .. end) of img to out as Intel HEX, address 0 at cell
// first, and reports by name when it could not be written completely.
static int write_part(FILE *out, const char *name, const image *img, uint32_t first,
		      uint32_t end)
{
	write_hex_image(out, img->cells + first, 0, end - first);
	if (std::fflush(out) == 0 && std::ferror(out) == 0)
		return 0;
	diag_error("Can't write '%s'", name);
	return 1;
}

// Opens both outputs before writing either, and keeps them only when both
// were written completely: after any failure both are left empty.
static int write_parts(const run_options *opts, const image_parts *parts, const image *img)
{
	if (check_outputs(opts) != 0)
		return 1;
	FILE *program = open_reported(opts->program_file, "wt"), *expert = nullptr;
	int failed = program == nullptr;
	if (!failed && opts->expert_file != nullptr)
		failed = refuse_created_twin(opts, program) ||
			 (expert = open_reported(opts->expert_file, "wt")) == nullptr;
	if (!failed) {
		failed = write_part(program, opts->program_file, img, parts->program_first,
				    parts->program_end);
		if (expert != nullptr)
			failed |= write_part(expert, opts->expert_file, img, parts->expert_first,
					     parts->expert_end);
	}
	if (program != nullptr)
		failed = close_reported(program, opts->program_file, failed);
	if (expert != nullptr)
		failed = close_reported(expert, opts->expert_file, failed);
	return failed;
}

int run_extract(const run_options *opts)
{
	report r;
	report_begin(&r, stdout, opts->json);
	image *img = image_alloc();
	image_parts parts;
	int status = 1;
	if (img == nullptr)
		diag_error("Out of memory");
	// The report must have reached stdout before any file is written.
	else if (take_apart(opts, &r, img, &parts) == 0 && std::fflush(stdout) == 0 &&
		 std::ferror(stdout) == 0 && write_parts(opts, &parts, img) == 0)
		status = put_command(&r, opts, img);
	report_end(&r);
	image_free(img);
	return status;
}
