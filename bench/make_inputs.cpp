// Writes the benchmark inputs: Intel HEX files of known shape and size.
//
// Usage: make_inputs DIR
//   DIR/full.hex   65,533 bytes at addresses 0 to 65,532, 16-byte records
//   DIR/prog4k.hex a typical 4 KiB program: 4,093 bytes at 0 to 4,092
//   DIR/big.hex    about 100 MB: the full image's records over and over
//   DIR/full.srec  the full image's bytes as S1 records of 16 bytes and S9
#include <cstdio>
#include <string>

// Appends the records of `count` bytes from address 0 on, 16 a record,
// and the end-of-file record.
static std::string image_records(unsigned count)
{
	std::string text;
	char line[64];
	for (unsigned address = 0; address < count; address += 16) {
		unsigned n = count - address < 16 ? count - address : 16;
		unsigned sum = n + (address >> 8) + (address & 0xFF);
		int used = std::snprintf(line, sizeof line, ":%02X%04X00", n, address);
		for (unsigned i = 0; i < n; i++) {
			unsigned byte = (address * 7 + i * 13 + 5) & 0xFF;
			sum += byte;
			used += std::snprintf(line + used, sizeof line - used, "%02X", byte);
		}
		std::snprintf(line + used, sizeof line - used, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
		text += line;
	}
	return text;
}

// The same bytes as S1 records of 16 bytes, then S9.
static std::string srec_records(unsigned count)
{
	std::string text;
	char line[64];
	for (unsigned address = 0; address < count; address += 16) {
		unsigned n = count - address < 16 ? count - address : 16;
		unsigned sum = (n + 3) + (address >> 8) + (address & 0xFF);
		int used = std::snprintf(line, sizeof line, "S1%02X%04X", n + 3, address);
		for (unsigned i = 0; i < n; i++) {
			unsigned byte = (address * 7 + i * 13 + 5) & 0xFF;
			sum += byte;
			used += std::snprintf(line + used, sizeof line - used, "%02X", byte);
		}
		std::snprintf(line + used, sizeof line - used, "%02X\n", ~sum & 0xFF);
		text += line;
	}
	return text + "S9030000FC\n";
}

static bool write_file(const std::string &path, const std::string &text, size_t copies)
{
	FILE *f = std::fopen(path.c_str(), "wb");
	if (f == nullptr)
		return false;
	bool ok = true;
	for (size_t i = 0; i < copies && ok; i++)
		ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
	ok = std::fputs(":00000001FF\n", f) >= 0 && ok;
	return std::fclose(f) == 0 && ok;
}

static bool write_text(const std::string &path, const std::string &text)
{
	FILE *f = std::fopen(path.c_str(), "wb");
	if (f == nullptr)
		return false;
	bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
	return std::fclose(f) == 0 && ok;
}

int main(int argc, char **argv)
{
	if (argc != 2) {
		std::fputs("usage: make_inputs DIR\n", stderr);
		return 1;
	}
	std::string dir = argv[1];
	std::string full = image_records(65533);
	size_t big_copies = (100u * 1000 * 1000) / full.size();
	if (!write_file(dir + "/full.hex", full, 1) ||
	    !write_file(dir + "/prog4k.hex", image_records(4093), 1) ||
	    !write_file(dir + "/big.hex", full, big_copies) ||
	    !write_text(dir + "/full.srec", srec_records(65533))) {
		std::fprintf(stderr, "make_inputs: cannot write the inputs in '%s'\n", dir.c_str());
		return 1;
	}
	return 0;
}
