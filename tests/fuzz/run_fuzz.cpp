// Fuzz target for a whole tarnwick run: options, input and expert-mode data.
//
// The data gives the options and their values, the expert-mode data and the
// input file; the run goes through tarnwick_run, as main does, writing to a
// file in a temporary folder. Besides the sanitizers' checks it asserts that
// the exit status is 0 or 1, that a failed run leaves the output empty or
// absent, and that a successful run writes a C array, Intel HEX or
// S-records that load, or with --binary exactly program_size bytes that
// hold the cells of the Intel HEX output of the same run (the fill byte
// where it has none); that --info reads every image it writes back as
// consistent and as what the options and the program say, with the CRC-32
// of the bytes that --binary writes with the same options, also for chips
// above 64 KiB. Some inputs go to --info as an image of arbitrary bytes
// instead: the run must end with status 0 or 1.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "cli/arg_values.h"
#include "cli/driver.h"
#include "forms/hex_reader.h"
#include "forms/srec_reader.h"
#include "image/crc32.h"
#include "image/header.h"
#include "image/image.h"
#include "info_model.h"
#include "srec_text.h"

static std::string folder;

static void check(bool condition, const char *what)
{
	if (!condition) {
		std::fprintf(stderr, "property violated: %s\n", what);
		std::abort();
	}
}

static void write_file(const std::string &path, const std::string &content)
{
	FILE *f = std::fopen(path.c_str(), "wb");
	check(f != nullptr, "cannot write a fuzz input file");
	std::fwrite(content.data(), 1, content.size(), f);
	std::fclose(f);
}

static std::string read_input_file(const std::string &path, bool *exists)
{
	std::string content;
	FILE *f = std::fopen(path.c_str(), "rb");
	*exists = f != nullptr;
	if (f == nullptr)
		return content;
	char buffer[4096];
	size_t n;
	while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
		content.append(buffer, n);
	std::fclose(f);
	return content;
}

// Reads text into every cell of img, as S-records when its first byte that
// is not white space is S or s, else as Intel HEX, and returns the reader's
// status; *highest is the highest address stored.
static int load_text(const std::string &text, image *img, int verify, uint64_t *highest)
{
	static line_reader reader;
	size_t first = text.find_first_not_of(" \t\n\v\f\r");
	bool srec = first != std::string::npos && (text[first] == 'S' || text[first] == 's');
	FILE *in = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
	read_window w = {img, 0, 0, img->size, verify, 0, 0, "fuzz", 0};
	read_result r;
	line_reader_init(&reader, in);
	int status = (srec ? read_srec : read_hex)(&reader, &w, &r);
	std::fclose(in);
	*highest = r.highest;
	return status;
}

static void check_hex_output(const std::string &text)
{
	image *img = image_alloc(IMAGE_CELLS, ERASED_BYTE);
	uint64_t highest;
	int status = load_text(text, img, 1, &highest);
	image_free(img);
	// Output addresses past FFFFh are written behind address records and so
	// load beyond the image; those do not fit, but the text is well formed.
	check(status == READ_OK || status == READ_DOES_NOT_FIT,
	      "a successful run wrote Intel HEX that does not load");
}

static int run(std::vector<std::string> args)
{
	std::vector<char *> argv;
	for (std::string &a : args)
		argv.push_back(&a[0]);
	argv.push_back(nullptr);
	return tarnwick_run(static_cast<int>(args.size()), argv.data(), 0);
}

// Whether an argument is an option that takes the next one as its value.
static bool takes_value(const std::string &a)
{
	return a == "-a" || a == "-b" || a == "-c" || a == "-e" || a == "-p" || a == "--fill" ||
	       a == "--eeprom-size";
}

// The value given to an option in args, or null.
static const char *value_of(const std::vector<std::string> &args, const char *option)
{
	const char *value = nullptr;
	for (size_t i = 1; i + 1 < args.size(); i++)
		if (args[i] == option)
			value = args[++i].c_str();
		else if (takes_value(args[i]))
			i++;
	return value;
}

// Whether a flag is among the options, and not the value of another one.
static bool has_flag(const std::vector<std::string> &args, const char *flag)
{
	for (size_t i = 1; i < args.size(); i++)
		if (args[i] == flag)
			return true;
		else if (takes_value(args[i]))
			i++;
	return false;
}

// The fill byte of a run: --fill's, else the given default.
static int fill_of(const std::vector<std::string> &args, int fallback)
{
	const char *value = value_of(args, "--fill");
	int fill = value != nullptr ? parse_fill_byte(value) : -1;
	return fill >= 0 ? fill : fallback;
}

// The same run with Intel HEX output, at base address 0 and without a fill
// byte: its cells, filled as the raw binary is, are the raw binary's bytes,
// which cover the EEPROM (the program memory without --eeprom-size).
static void check_raw_binary(const std::vector<std::string> &args, const std::string &raw)
{
	std::vector<std::string> hex_args;
	const char *p = value_of(args, "-p"), *chip = value_of(args, "--eeprom-size");
	size_t size = chip != nullptr ? parse_eeprom_size(chip)
				      : size_t(p != nullptr ? parse_decimal(p) : 4096);
	int fill = fill_of(args, 0xFF);
	for (size_t i = 0; i < args.size(); i++) {
		const std::string &a = args[i];
		bool valued = i > 0 && takes_value(a);
		bool dropped = a == "-a" || a == "-b" || a == "--fill";
		if (!dropped && a != "--binary")
			hex_args.push_back(a);
		if (valued && !dropped)
			hex_args.push_back(args[i + 1]);
		i += valued;
	}
	check(raw.size() == size, "a raw binary is not as long as the EEPROM");
	check(run(hex_args) == 0, "the run fails with Intel HEX output");
	bool exists;
	image *img = image_alloc(uint32_t(size), ERASED_BYTE);
	uint64_t highest;
	check(load_text(read_input_file(hex_args.back(), &exists), img, 1, &highest) == READ_OK,
	      "the Intel HEX output of a raw binary's run does not load");
	for (uint32_t i = 0; i < raw.size(); i++) {
		int cell = image_holds(img, i) ? img->bytes[i] : fill;
		check((unsigned char)raw[i] == cell, "a raw binary differs from the Intel HEX output");
	}
	image_free(img);
}

// The bytes that a file stores, by address (-1 where it stores none).
static std::vector<int> bytes_of(const std::string &path)
{
	image *img = image_alloc(IMAGE_CELLS, ERASED_BYTE);
	bool exists;
	uint64_t highest;
	load_text(read_input_file(path, &exists), img, 0, &highest);
	std::vector<int> bytes;
	for (uint32_t i = 0; i <= highest; i++)
		bytes.push_back(image_cell(img, i));
	image_free(img);
	return bytes;
}

// The same run with the program, and the expert-mode data, rendered as
// S-records of the shape that the data drew: it writes the same image.
static void check_srec_input(std::vector<std::string> args, const std::string &written,
			     uint8_t shape, uint8_t record_size)
{
	const std::string input = args[args.size() - 2];
	for (std::string &a : args) {
		if (a != input && a != folder + "/x.hex")
			continue;
		std::string s19 = a.substr(0, a.size() - 3) + "s19";
		write_file(s19, srec_text(bytes_of(a), 1 + shape % 3, 1 + record_size % 250, shape >> 2));
		a = s19;
	}
	args.back() = folder + "/out.s19.bin";
	bool exists;
	check(run(args) == 0, "the run fails with the program as S-records");
	check(read_input_file(args.back(), &exists) == written,
	      "the program as S-records gives another image");
}

// Runs tarnwick with stdout going into *text.
static int run_captured(const std::vector<std::string> &args, std::string *text)
{
	char *report = nullptr;
	size_t length = 0;
	FILE *saved = stdout;
	stdout = open_memstream(&report, &length);
	int status = run(args);
	std::fclose(stdout);
	stdout = saved;
	text->assign(report, length);
	std::free(report);
	return status;
}

// The conversion's -t, -p, -b, --binary, --fill and --eeprom-size, in the
// forms that reading an image back takes, behind the given mode.
static std::vector<std::string> read_back(const std::vector<std::string> &args, const char *mode)
{
	std::vector<std::string> options = {"tarnwick", mode};
	const char *size = value_of(args, "-p"), *base = value_of(args, "-b");
	uint32_t address = 0;
	if (size != nullptr)
		options.insert(options.end(), {"-p", std::to_string(parse_decimal(size))});
	if (base != nullptr && parse_hex_argument(base, &address) == 0 && address != 0) {
		char text[16];
		std::snprintf(text, sizeof text, "%X", unsigned(address));
		options.insert(options.end(), {"-b", text});
	}
	char fill[16];
	std::snprintf(fill, sizeof fill, "--fill=%02X", unsigned(fill_of(args, 0)));
	if (fill_of(args, -1) >= 0)
		options.push_back(fill);
	for (const char *flag : {"-t", "--binary"})
		if (has_flag(args, flag))
			options.push_back(flag);
	if (value_of(args, "--eeprom-size") != nullptr)
		options.push_back(std::string("--eeprom-size=") + value_of(args, "--eeprom-size"));
	return options;
}

// The CRC-32 of the bytes that the conversion writes with --binary in place
// of its output's form and without -b, as eight upper-case digits.
static std::string binary_crc32(const std::vector<std::string> &args)
{
	std::vector<std::string> raw;
	for (size_t i = 0; i < args.size(); i++) {
		bool valued = i > 0 && takes_value(args[i]);
		if (args[i] != "-a" && args[i] != "-b" && args[i] != "--srec") {
			raw.push_back(args[i]);
			if (valued)
				raw.push_back(args[i + 1]);
		}
		i += valued;
	}
	raw.insert(raw.begin() + 1, "--binary");
	raw.back() = folder + "/out.crc.bin";
	check(run(raw) == 0, "the run fails with --binary");
	bool exists;
	std::string bytes = read_input_file(raw.back(), &exists);
	char text[16];
	std::snprintf(text, sizeof text, "%08X",
		      unsigned(crc32_update(0, reinterpret_cast<const unsigned char *>(bytes.data()),
					    bytes.size())));
	return text;
}

// --info with the conversion's -t, -p, -b, --binary and --fill reads the
// image back without a failed check, and as the model says it must; it
// returns whether the image holds a program that can be told apart.
static bool check_info(const std::vector<std::string> &args, bool binary)
{
	written_image w{bytes_of(args[args.size() - 2]), {}, 3, has_flag(args, "-s"),
			has_flag(args, "-t"), binary ? 0xFF : -1};
	std::vector<std::string> info = read_back(args, "--info");
	const char *crystal = value_of(args, "-c"), *expert = value_of(args, "-e");
	if (crystal != nullptr)
		w.crystal_code = crystal_code_for(parse_decimal(crystal));
	if (expert != nullptr)
		w.expert = bytes_of(expert);
	w.fill = fill_of(args, w.fill);
	info.push_back(args.back());
	std::string text;
	int status = run_captured(info, &text);
	check(parse_report(text)["crc32"] == binary_crc32(args),
	      "--info gives another CRC-32 than that of the bytes --binary writes");
	// A program of fill bytes alone cannot be told from none.
	bool none = expected_report(w)["program"] == "none";
	check(status == none, "--info finds fault with an image that tarnwick wrote");
	check(first_difference(expected_report(w), parse_report(text)).empty(),
	      "--info reads an image otherwise than it was written");
	return !none;
}

// --verify with the conversion's options finds no cell that differs.
static void check_verify(const std::vector<std::string> &args)
{
	std::vector<std::string> verify = read_back(args, "--verify");
	for (size_t i = 1; i < args.size(); i++)
		if (args[i] == "-a" || args[i] == "-b" || args[i] == "-p" || args[i] == "--fill" ||
		    args[i] == "--eeprom-size")
			i++;
		else if (args[i] != "-t" && args[i] != "--binary" && args[i] != "--srec")
			verify.push_back(args[i]);
	check(run(verify) == 0, "--verify finds a cell that differs in the image it lays out");
}

// --diff of the image and the one that the run writes from S-records finds
// no cell that differs, and gives both the CRC-32 of the bytes that
// --binary writes.
static void check_diff(const std::vector<std::string> &args)
{
	std::vector<std::string> diff = read_back(args, "--diff");
	diff.insert(diff.end(), {args.back(), folder + "/out.s19.bin"});
	std::string text;
	check(run_captured(diff, &text) == 0, "--diff finds a cell that differs in an image written twice");
	std::map<std::string, std::string> report = parse_report(text);
	check(report["crc32 a"] == binary_crc32(args) && report["crc32 b"] == report["crc32 a"],
	      "--diff gives another CRC-32 than that of the bytes --binary writes");
}

// The words of a command as a POSIX shell reads them: blanks between
// words, single quotes, and a backslash before a character.
static std::vector<std::string> shell_words(const std::string &command)
{
	std::vector<std::string> words(1);
	bool quoted = false;
	for (size_t i = 0; i < command.size(); i++) {
		char c = command[i];
		if (c == '\'' )
			quoted = !quoted;
		else if (!quoted && c == '\\' && i + 1 < command.size())
			words.back() += command[++i];
		else if (!quoted && c == ' ')
			words.emplace_back();
		else
			words.back() += c;
	}
	return words;
}

// --extract with the conversion's -t, -p, -b, --binary and --fill (and a
// third name for expert-mode data) succeeds, and the command it prints
// writes the same image again.
static void check_extract(const std::vector<std::string> &args)
{
	const std::string &image = args.back();
	std::vector<std::string> extract = read_back(args, "--extract");
	extract.insert(extract.end(), {image, folder + "/p.hex"});
	if (value_of(args, "-e") != nullptr && !has_flag(args, "-t"))
		extract.push_back(folder + "/e.hex");
	std::string text;
	check(run_captured(extract, &text) == 0, "--extract refuses an image that tarnwick wrote");
	size_t at = text.find("command: ");
	check(at != std::string::npos, "--extract prints no command");
	std::string line = text.substr(at + 9, text.find('\n', at) - at - 9);
	bool exists;
	std::string before = read_input_file(image, &exists);
	check(run(shell_words(line)) == 0, "the command that --extract prints fails");
	check(read_input_file(image, &exists) == before, "the command that --extract prints writes "
						   "another image");
}

// The same run with a serial number written over bytes of the program
// that hold one (drawn by shape and value, if there are any such), as
// binary or digits: --info --serial reads the number back, and --verify
// with the same options finds no cell that differs.
static void check_serial(std::vector<std::string> args, uint8_t shape, uint64_t value)
{
	static const char *const FORMATS[] = {"le", "be", "dec", "hex"};
	static const uint32_t WIDEST[] = {8, 8, 19, 16}, BASE[] = {256, 256, 10, 16};
	int format = shape % 4;
	uint32_t width = 1 + (shape >> 2) % WIDEST[format];
	// Behind the length header, reading back takes expert-mode data for the
	// program: the serial number's address is the program's own there.
	if (has_flag(args, "-t") && value_of(args, "-e") != nullptr)
		return;
	std::vector<int> program = bytes_of(args[args.size() - 2]);
	size_t at = program.empty() ? 0 : size_t(value % program.size()), held = 0;
	for (; at < program.size() && held < width; at++)
		held = program[at] >= 0 ? held + 1 : 0;
	if (held < width)
		return;
	// The number cut to the width: below base^width, which 64 bits hold
	// but for 8 bytes and 16 hexadecimal digits.
	uint64_t span = 1;
	bool whole = (BASE[format] == 256 && width == 8) || (BASE[format] == 16 && width == 16);
	for (uint32_t i = 0; i < width && !whole; i++)
		span *= BASE[format];
	uint64_t number = whole ? value : value % span;
	char serial[64], given[48];
	std::snprintf(serial, sizeof serial, "--serial=%zX:%s:%u", at - width, FORMATS[format],
		      unsigned(width));
	std::snprintf(given, sizeof given, "--serial-number=%llu", (unsigned long long)number);
	args.insert(args.begin() + 1, {serial, given});
	args.back() = folder + "/out.serial";
	check(run(args) == 0, "the run fails with a serial number over bytes of the program");
	std::vector<std::string> info = read_back(args, "--info");
	info.insert(info.end(), {serial, args.back()});
	std::string text;
	run_captured(info, &text);
	check(parse_report(text)["serial"] == std::to_string(number),
	      "--info --serial reads another number than the one written");
	check_verify(args);
}

static void remove_folder()
{
	for (const char *name : {"/in.hex", "/x.hex", "/out.hex", "/p.hex", "/e.hex", "/in.s19",
				 "/x.s19", "/out.s19.bin", "/out.crc.bin", "/out.serial"})
		unlink((folder + name).c_str());
	rmdir(folder.c_str());
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
	const char *tmp = std::getenv("TMPDIR");
	std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/tarnwick-fuzz.XXXXXX";
	check(mkdtemp(&pattern[0]) != nullptr, "cannot make a temporary folder");
	folder = pattern;
	std::atexit(remove_folder);
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	FuzzedDataProvider fdp(data, size);
	uint8_t flags = fdp.ConsumeIntegral<uint8_t>();
	uint8_t valued = fdp.ConsumeIntegral<uint8_t>();
	uint8_t shape = fdp.ConsumeIntegral<uint8_t>();
	uint8_t record_size = fdp.ConsumeIntegral<uint8_t>();
	uint8_t chip = fdp.ConsumeIntegral<uint8_t>();
	uint8_t serial_shape = fdp.ConsumeIntegral<uint8_t>();
	uint64_t serial_value = fdp.ConsumeIntegral<uint64_t>();
	std::string input = folder + "/in.hex", expert = folder + "/x.hex";
	std::string output = folder + "/out.hex";
	if (valued & 0x20) {
		write_file(input, fdp.ConsumeRemainingBytesAsString());
		int status = run({"tarnwick", "--info", flags & 0x80 ? "--binary" : "-i",
				  flags & 0x04 ? "-t" : "-i", input});
		check(status == 0 || status == 1, "--info's exit status is neither 0 nor 1");
		return 0;
	}
	std::vector<std::string> args = {"tarnwick"};
	static const char *const VALUED[] = {"-a", "-b", "-c", "-p", "--fill"};
	for (int i = 0; i < 5; i++)
		if (valued & (1 << i))
			args.insert(args.end(), {VALUED[i], fdp.ConsumeRandomLengthString(24)});
	static const char *const FLAGS[] = {"-i", "-s", "-t", "-h"};
	for (int i = 0; i < 4; i++)
		if (flags & (1 << i))
			args.push_back(FLAGS[i]);
	if (flags & 0x10) {
		args.insert(args.end(), {"-e", expert});
		write_file(expert, fdp.ConsumeRandomLengthString(4096));
	}
	// EEPROM sizes smaller and larger than the program memory, above 64 KiB.
	static const char *const CHIPS[] = {"1", "6", "256", "2K", "4096", "8192", "65535", "64K",
					    "65537", "70000", "128K", "200000"};
	if (chip % 2 != 0)
		args.insert(args.end(), {"--eeprom-size", CHIPS[(chip >> 1) % 12]});
	if (valued & 0x40)
		args.push_back("--srec");
	bool binary = (flags & 0x80) != 0;
	if (binary)
		args.push_back("--binary");
	if (flags & 0x20)
		args.push_back("--");
	args.insert(args.end(), {input, output});
	if (flags & 0x40)
		args.push_back(input); // a third file name
	write_file(input, fdp.ConsumeRemainingBytesAsString());
	unlink(output.c_str());

	int status = run(args);

	bool exists;
	std::string written = read_input_file(output, &exists);
	check(status == 0 || status == 1, "exit status is neither 0 nor 1");
	if (status != 0)
		check(written.empty(), "a failed run left output behind");
	bool c_array = written.compare(0, 20, "flash unsigned char ") == 0;
	if (status == 0 && exists)
		check_srec_input(args, written, shape, record_size);
	if (status == 0 && exists && !c_array) {
		check_verify(args);
		check_diff(args);
		if (check_info(args, binary))
			check_extract(args);
		check_serial(args, serial_shape, serial_value);
	}
	if (status == 0 && exists && binary)
		check_raw_binary(args, written); // rewrites the output as Intel HEX
	else if (status == 0 && exists && !c_array)
		check_hex_output(written);
	return 0;
}
