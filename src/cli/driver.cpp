// The course of one tarnwick run, from the command line to the exit status.
#include "cli/driver.h"

#include <cstdio>
#include <cstring>

#include "cli/platform.h"
#include "cli/run_options.h"
#include "cli/usage.h"
#include "hex/hex_read.h"
#include "hex/hex_write.h"
#include "image/boot_image.h"
#include "image/c_array.h"
#include "image/image.h"
#include "image/image_info.h"
#include "image/raw_binary.h"
#include "image/raw_read.h"

// Highest address that expert-mode data may use.
constexpr uint32_t MAX_EXPERT_ADDRESS = 0xFB;

// Cell from which the boot header leaves expert-mode data in place.
constexpr uint32_t BOOT_HEADER_CELLS = 3;

struct run_streams {
	FILE *expert;
	FILE *input;
	FILE *output;
};

// Highest addresses stored from the expert-mode data (E) and from the
// program (P), each counted from the first cell it was loaded into.
struct load_extent {
	uint32_t expert_top;
	uint32_t program_top;
};

static void close_inputs(run_streams *streams)
{
	if (streams->expert != nullptr)
		std::fclose(streams->expert);
	if (streams->input != nullptr)
		std::fclose(streams->input);
	streams->expert = nullptr;
	streams->input = nullptr;
}

// Opens a file and reports the failure by name. A directory cannot be read
// as a file: it is refused here, before the output is opened.
static FILE *open_reported(const char *name, const char *mode)
{
	FILE *stream = open_file(name, mode);
	if (stream != nullptr && is_directory(stream)) {
		std::fclose(stream);
		stream = nullptr;
	}
	if (stream == nullptr)
		std::fprintf(stderr, "ERROR: Can't open '%s'\n", name);
	return stream;
}

// Opens the expert-mode data file, the input and the output, in that order.
// The inputs are read as bytes, their line ends being the loader's business,
// so that a file loads the same on every platform. The output is refused
// before it is opened, so that nothing is changed on disk, when it is one of
// the inputs.
static int open_streams(const run_options *opts, run_streams *streams)
{
	*streams = run_streams{nullptr, nullptr, nullptr};
	if (opts->expert_file != nullptr &&
	    (streams->expert = open_reported(opts->expert_file, "rb")) == nullptr)
		return 1;
	if ((streams->input = open_reported(opts->input_file, "rb")) == nullptr) {
		close_inputs(streams);
		return 1;
	}
	if (is_same_file(opts->output_file, streams->input) ||
	    is_same_file(opts->output_file, streams->expert)) {
		std::fprintf(stderr, "ERROR: Output file '%s' is also an input file\n",
			     opts->output_file);
		close_inputs(streams);
		return 1;
	}
	const char *mode = opts->output_format == OUTPUT_BINARY ? "wb" : "wt";
	if ((streams->output = open_reported(opts->output_file, mode)) == nullptr) {
		close_inputs(streams);
		return 1;
	}
	return 0;
}

// Loads one file into cells[first ..] and reports a read error, and a file
// that stores no byte, by name.
static int load_reported(FILE *stream, const char *name, image *img,
			 uint32_t first, int verify_checksums, uint32_t *top)
{
	*top = 0;
	int status = load_hex_file(stream, img->cells + first, verify_checksums,
				   IMAGE_CELLS - first, top);
	if (status == HEX_READ_ERROR)
		std::fprintf(stderr, "ERROR: Can't read '%s'\n", name);
	if (status != HEX_OK)
		return 1;
	// *top stays 0 both without a byte and with one at address 0 alone.
	if (*top == 0 && img->cells[first] == EMPTY_CELL) {
		std::fprintf(stderr, "ERROR: No data in '%s'\n", name);
		return 1;
	}
	return 0;
}

static int load_expert_data(const run_options *opts, FILE *stream, image *img,
			    uint32_t *expert_top)
{
	if (load_reported(stream, opts->expert_file, img, 0,
			  opts->verify_checksums, expert_top) != 0)
		return 1;
	if (*expert_top > MAX_EXPERT_ADDRESS) {
		std::fputs("ERROR: Expert mode data bytes must lie in the address "
			   "range 00h to FBh\n",
			   stderr);
		return 1;
	}
	header_offset = static_cast<uint8_t>(*expert_top + 4);
	return 0;
}

// Loads the expert-mode data, if any, into cells 0 to E and the program
// right behind it, from cell E + 1 (from cell 0 without expert-mode data).
static int load_inputs(const run_options *opts, run_streams *streams,
		       image *img, load_extent *extent)
{
	uint32_t first = 0;

	extent->expert_top = 0;
	if (opts->expert_file != nullptr) {
		if (load_expert_data(opts, streams->expert, img,
				     &extent->expert_top) != 0)
			return 1;
		first = extent->expert_top + 1;
	}
	return load_reported(streams->input, opts->input_file, img, first,
			     opts->verify_checksums, &extent->program_top);
}

// The program's highest byte lands in cell header_offset + P, which must lie
// below the program memory size.
static int check_fit(const run_options *opts, const load_extent *extent)
{
	if (int64_t(header_offset) + extent->program_top <
	    int64_t(opts->program_size))
		return 0;
	std::fputs("ERROR: Hex-file contents does not fit into program memory\n",
		   stderr);
	return 1;
}

// With the boot header and expert-mode data, the data goes to cells 3 to
// E + 3, the cells that the move leaves in place, and the program to
// header_offset = E + 4 onwards. The data is set aside and the program moved
// down to cell 0, so that the builder's move puts it in its place; the data
// then replaces the stale cells that the move left behind.
static void build_expert_boot_image(const run_options *opts, image *img,
				    const load_extent *extent)
{
	uint32_t expert_cells = extent->expert_top + 1;
	image_cell saved[MAX_EXPERT_ADDRESS + 1];

	std::memcpy(saved, img->cells, expert_cells * sizeof(image_cell));
	std::memmove(img->cells, img->cells + expert_cells,
		     (IMAGE_CELLS - expert_cells) * sizeof(image_cell));
	image_clear(img->cells + IMAGE_CELLS - expert_cells, expert_cells);
	build_boot_image(img, static_cast<unsigned>(opts->crystal_code),
			 opts->slow_clock, 0, extent->program_top);
	std::memcpy(img->cells + BOOT_HEADER_CELLS, saved,
		    expert_cells * sizeof(image_cell));
}

// Lays out the image behind its header. With the length header the data and
// the program move up together, and the length counts both.
static void lay_out_image(const run_options *opts, image *img,
			  const load_extent *extent)
{
	uint32_t highest = extent->program_top;

	if (opts->expert_file != nullptr && !opts->length_header) {
		build_expert_boot_image(opts, img, extent);
		return;
	}
	if (opts->expert_file != nullptr)
		highest += extent->expert_top + 1;
	build_boot_image(img, static_cast<unsigned>(opts->crystal_code),
			 opts->slow_clock, opts->length_header, highest);
}

// The C array and the raw binary cover the program memory; the Intel HEX
// output every cell that holds a byte, at base_address onwards. With a fill
// byte, every cell of the program memory holds one; the raw binary puts its
// fill byte (FFh, the erased value, by default) into each empty cell itself.
static int write_image(const run_options *opts, FILE *out, image *img)
{
	uint32_t size = static_cast<uint32_t>(opts->program_size);
	if (opts->output_format == OUTPUT_BINARY) {
		int fill = opts->fill_byte == NO_FILL ? 0xFF : opts->fill_byte;
		write_raw_binary(out, img, size, static_cast<uint8_t>(fill));
		return 0;
	}
	if (opts->fill_byte != NO_FILL)
		image_fill(img->cells, size, static_cast<uint8_t>(opts->fill_byte));
	if (opts->output_format == OUTPUT_C_ARRAY) {
		write_c_array(out, img, size, opts->array_name);
		return 0;
	}
	if (check_hex_address_range(img->cells, opts->base_address,
				    IMAGE_CELLS) != 0) {
		std::fputs("ERROR: Output addresses exceed FFFFFFFFh\n", stderr);
		return 1;
	}
	write_hex_image(out, img->cells, opts->base_address, IMAGE_CELLS);
	return 0;
}

static int convert(const run_options *opts, run_streams *streams, image *img)
{
	load_extent extent;

	if (load_inputs(opts, streams, img, &extent) != 0 ||
	    check_fit(opts, &extent) != 0)
		return 1;
	lay_out_image(opts, img, &extent);
	return write_image(opts, streams->output, img);
}

static void report_stdout_failure()
{
	std::fputs("ERROR: Can't write to the standard output\n", stderr);
}

// What was printed on stdout (--help, --version, a report) must have reached
// it, which a standard output closed at the start never does.
static int finish_stdout(int status, int stdout_closed)
{
	if (stdout_closed || std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
		report_stdout_failure();
		return 1;
	}
	return status;
}

// Reads the image of --info into img: raw bytes, or Intel HEX whose cell 0
// lies at the -b address. Reports what fails.
static int read_image(const run_options *opts, FILE *stream, image *img)
{
	int status;
	bool unreadable;
	if (opts->output_format == OUTPUT_BINARY) {
		status = read_raw_binary(stream, img);
		unreadable = status == RAW_READ_ERROR;
		if (status == RAW_READ_TOO_LONG)
			std::fprintf(stderr, "ERROR: '%s' is longer than 65536 bytes, the largest image\n",
				     opts->input_file);
	} else {
		uint32_t highest = 0;
		status = load_hex_image(stream, img->cells, opts->base_address,
					opts->verify_checksums, &highest);
		unreadable = status == HEX_READ_ERROR;
		// Without -b, the image may lie anywhere: name where it begins.
		uint64_t lowest;
		if (status == HEX_DOES_NOT_FIT && opts->base_address == 0 &&
		    hex_lowest_address(stream, &lowest) == 0)
			check_image_origin(lowest);
	}
	if (unreadable)
		std::fprintf(stderr, "ERROR: Can't read '%s'\n", opts->input_file);
	if (status == 0 && image_used_end(img->cells, IMAGE_CELLS) == 0) {
		std::fprintf(stderr, "ERROR: No data in '%s'\n", opts->input_file);
		return 1;
	}
	return status == 0 ? 0 : 1; // RAW_READ_OK and HEX_OK
}

// --info: reads the image back, reports on stdout what it holds and checks
// it; 1 when it cannot be read or a check fails.
static int inspect(const run_options *opts)
{
	FILE *stream = open_reported(opts->input_file, "rb");
	if (stream == nullptr)
		return 1;
	image *img = image_alloc();
	int status = 1;
	if (img == nullptr)
		std::fputs("ERROR: Out of memory\n", stderr);
	else if (read_image(opts, stream, img) == 0) {
		bool raw = opts->output_format == OUTPUT_BINARY;
		int fill = opts->fill_byte == NO_FILL && raw ? 0xFF : opts->fill_byte;
		info_request request = {raw, fill, opts->length_header, opts->program_size,
					raw ? 0 : opts->base_address};
		status = report_image_info(stdout, img, &request);
	}
	image_free(img);
	std::fclose(stream);
	return status;
}

// Closes every stream. A run that has succeeded so far fails when the
// output could not be written completely; after any failure the output is
// left empty.
static int close_streams(const run_options *opts, run_streams *streams,
			 int status)
{
	close_inputs(streams);
	int failed = std::ferror(streams->output) != 0;
	failed |= close_output(streams->output, status == 0 && !failed);
	if (failed != 0 && status == 0) {
		std::fprintf(stderr, "ERROR: Can't write '%s'\n", opts->output_file);
		return 1;
	}
	return status;
}

int tarnwick_run(int argc, char **argv, int stdout_closed)
{
	run_options opts;
	run_streams streams;

	// --version: the banner alone, on stdout, whatever else the command
	// line holds.
	if (asks_for_version(argc, argv)) {
		print_version_line(stdout);
		return finish_stdout(0, stdout_closed);
	}
	print_version_banner();
	int scan = scan_options(argc, argv, &opts);
	if (scan == SCAN_HELP)
		return finish_stdout(0, stdout_closed);
	if (scan != SCAN_CONTINUE)
		return scan == SCAN_USAGE ? 0 : 1;
	if (opts.info && stdout_closed) {
		report_stdout_failure();
		return 1;
	}
	if (opts.info)
		return finish_stdout(inspect(&opts), 0);
	header_offset = 3;
	if (open_streams(&opts, &streams) != 0)
		return 1;
	image *img = image_alloc();
	if (img == nullptr) {
		std::fputs("ERROR: Out of memory\n", stderr);
		close_streams(&opts, &streams, 1);
		return 1;
	}
	int status = convert(&opts, &streams, img);
	image_free(img);
	return close_streams(&opts, &streams, status);
}
