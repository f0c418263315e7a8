// In-process throughput of the Intel HEX loader and writer, in bytes of
// Intel HEX text per second, on the full 64 KiB image.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "forms/hex_reader.h"
#include "forms/hex_writer.h"
#include "image/image.h"

// The full image: 65,533 bytes in cells 0 to 65,532.
static image *full_image()
{
	image *img = image_alloc(IMAGE_CELLS, ERASED_BYTE);
	for (uint32_t i = 0; i < 65533; i++)
		image_put(img, i, static_cast<uint8_t>(i * 7 + 5));
	return img;
}

static image_output whole(const image *img)
{
	return image_output{img, 0, IMAGE_CELLS, 0, 0, nullptr};
}

// The image as Intel HEX text, written by the writer itself.
static std::string full_text(const image *img)
{
	char *text = nullptr;
	size_t length = 0;
	FILE *out = open_memstream(&text, &length);
	const image_output o = whole(img);
	write_hex(out, &o);
	std::fclose(out);
	std::string s(text, length);
	std::free(text);
	return s;
}

static void bm_load_hex_file(benchmark::State &state)
{
	image *img = full_image();
	std::string text = full_text(img);
	static line_reader reader;
	read_window w = {img, 0, 0, IMAGE_CELLS, 1, 0, 0, "full"};
	for (auto _ : state) {
		FILE *in = fmemopen(&text[0], text.size(), "r");
		read_result r;
		line_reader_init(&reader, in);
		int status = read_hex(&reader, &w, &r);
		std::fclose(in);
		if (status != READ_OK || r.highest != 65532)
			state.SkipWithError("the image did not load");
		benchmark::DoNotOptimize(img->bytes[r.highest]);
	}
	state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
	image_free(img);
}
BENCHMARK(bm_load_hex_file);

static void bm_write_hex_image(benchmark::State &state)
{
	image *img = full_image();
	size_t size = full_text(img).size();
	FILE *sink = std::fopen("/dev/null", "w");
	const image_output o = whole(img);
	for (auto _ : state)
		write_hex(sink, &o);
	std::fclose(sink);
	state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
	image_free(img);
}
BENCHMARK(bm_write_hex_image);

BENCHMARK_MAIN();
