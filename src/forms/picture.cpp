// An SVG picture of an image's cells: a title line, an overview bar to scale, a grid of blocks and a legend.
#include "forms/picture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/image_map.h"
#include "platform/memory.h"
#include "report/diag.h"

// The drawing, in pixels: the column of row labels, the grid's blocks and
// width, the overview bar, the scale under it, the lines of the legend.
constexpr uint32_t LABEL_WIDTH = 64;
constexpr uint32_t BLOCK_PIXELS = 10;
constexpr uint32_t GRID_WIDTH = PICTURE_ROW_BLOCKS * BLOCK_PIXELS;
constexpr uint32_t PICTURE_WIDTH = LABEL_WIDTH + GRID_WIDTH + 16;
constexpr uint32_t TITLE_BASELINE = 18;
constexpr uint32_t TITLE_LINE = 15;
constexpr uint32_t BAR_TOP = TITLE_BASELINE + TITLE_LINE + 12;
constexpr uint32_t BAR_HEIGHT = 16;
constexpr uint32_t SCALE_BASELINE = BAR_TOP + BAR_HEIGHT + 16;
constexpr uint32_t SCALE_MARKS = 4;
constexpr uint32_t GRID_TOP = SCALE_BASELINE + 14;
constexpr uint32_t LEGEND_LINE = 18;
constexpr uint32_t SWATCH = 12;

// The narrowest mark of a cell of a point-like kind on the bar.
constexpr uint32_t MARK_PIXELS = 3;

// The kinds drawn as marks on the bar, wherever they are, and as regions.
constexpr unsigned POINT_KINDS = 1u << KIND_DIFFERING | 1u << KIND_SERIAL | 1u << KIND_STRAY;
constexpr unsigned REGION_KINDS = ((1u << KIND_COUNT) - 1) & ~POINT_KINDS;

// The picture's text on its way to the file, gathered so that it is
// written in large pieces.
struct svg_out {
	FILE *file;
	size_t used;
	char text[8192];
};

static void put_bytes(svg_out *o, const char *s, size_t n)
{
	if (o->used + n > sizeof o->text) {
		std::fwrite(o->text, 1, o->used, o->file);
		o->used = 0;
	}
	if (n > sizeof o->text) {
		std::fwrite(s, 1, n, o->file);
		return;
	}
	std::memcpy(o->text + o->used, s, n);
	o->used += n;
}

// A text of the program's own, its length known when built.
template <size_t N> static void put(svg_out *o, const char (&s)[N])
{
	put_bytes(o, s, N - 1);
}

static void put_str(svg_out *o, const char *s)
{
	put_bytes(o, s, std::strlen(s));
}

// A number in hexadecimal (capitals) of at least digits digits.
static void put_hex(svg_out *o, uint32_t value, int digits)
{
	char text[16];
	int n = 0;
	do {
		text[sizeof text - ++n] = "0123456789ABCDEF"[value & 15];
		value >>= 4;
	} while (value != 0 || n < digits);
	put_bytes(o, text + sizeof text - n, size_t(n));
}

static void put_dec(svg_out *o, uint32_t value)
{
	char text[16];
	int n = 0;
	do {
		text[sizeof text - ++n] = char('0' + value % 10);
		value /= 10;
	} while (value != 0);
	put_bytes(o, text + sizeof text - n, size_t(n));
}

// An attribute of a number: ` name="value"`.
static void put_attribute(svg_out *o, const char *name, uint32_t value)
{
	put(o, " ");
	put_str(o, name);
	put(o, "=\"");
	put_dec(o, value);
	put(o, "\"");
}

// The start of a rectangle of a kind, open for its tooltip.
static void put_rect(svg_out *o, int kind, uint32_t x, uint32_t y, uint32_t width, uint32_t height)
{
	put(o, "<rect class=\"");
	put_str(o, CELL_KINDS[kind].name);
	put(o, "\"");
	put_attribute(o, "x", x);
	put_attribute(o, "y", y);
	put_attribute(o, "width", width);
	put_attribute(o, "height", height);
	put(o, ">");
}

// Text at x, y: its start, lined up as anchor says ("start": none).
static void put_text_at(svg_out *o, uint32_t x, uint32_t y, const char *anchor)
{
	put(o, "<text");
	put_attribute(o, "x", x);
	put_attribute(o, "y", y);
	if (std::strcmp(anchor, "start") != 0) {
		put(o, " text-anchor=\"");
		put_str(o, anchor);
		put(o, "\"");
	}
	put(o, ">");
}

// The cells of each kind in a block or a run of blocks.
struct kind_counts {
	uint32_t n[KIND_COUNT];
};

// The grid: the cells it reaches, the cells of a block, its blocks and
// rows; the kinds that each block holds (a bit each); the kind of each row
// whose cells are all of one kind (else -1), and the counts of each block
// of the other rows; the counts of them all.
struct picture_grid {
	uint32_t cells;
	uint32_t block;
	uint32_t blocks;
	uint32_t rows;
	uint8_t *kinds;
	int8_t *row_kind;
	kind_counts *counts;
	kind_counts total;
};

uint32_t picture_block_cells(uint32_t cells)
{
	uint32_t block = 1;
	while ((uint64_t(cells) + block - 1) / block > PICTURE_MOST_BLOCKS)
		block *= 2;
	return block;
}

// The most telling kind of mask, or -1 for none.
static int first_kind(unsigned mask)
{
	return mask == 0 ? -1 : __builtin_ctz(mask);
}

static void add_counts(kind_counts *sum, const kind_counts *c)
{
	for (int k = 0; k < KIND_COUNT; k++)
		sum->n[k] += c->n[k];
}

static uint32_t block_end(const picture_grid *g, uint32_t b)
{
	uint64_t end = uint64_t(b + 1) * g->block;
	return end < g->cells ? uint32_t(end) : g->cells;
}

// The counts of blocks first to end - 1, row by row.
static kind_counts counts_of(const picture_grid *g, uint32_t first, uint32_t end)
{
	kind_counts sum = {};
	for (uint32_t b = first; b < end;) {
		uint32_t row = b / PICTURE_ROW_BLOCKS, row_end = (row + 1) * PICTURE_ROW_BLOCKS;
		row_end = row_end < end ? row_end : end;
		if (g->row_kind[row] >= 0)
			sum.n[g->row_kind[row]] += block_end(g, row_end - 1) - b * g->block;
		for (; b < row_end && g->row_kind[row] < 0; b++)
			add_counts(&sum, &g->counts[b]);
		b = row_end;
	}
	return sum;
}

static uint8_t kinds_of(const kind_counts *c)
{
	uint8_t mask = 0;
	for (int k = 0; k < KIND_COUNT; k++)
		mask = uint8_t(mask | (c->n[k] != 0) << k);
	return mask;
}

// Counts blocks first to end - 1, whose kinds their use alone tells, by
// the cells in use of each: program below the program memory's end, stray
// from it on; a block across that end is counted on its own.
static void count_by_use(const picture_request *r, picture_grid *g, uint32_t first, uint32_t end)
{
	uint32_t used[PICTURE_ROW_BLOCKS], program = r->cells.plan->program_size;
	count_in_use_blocks(r->cells.img, r->cells.plan, first * g->block, block_end(g, end - 1), g->block,
			    used);
	for (uint32_t b = first; b < end; b++) {
		uint32_t cell = b * g->block, stop = block_end(g, b);
		kind_counts *c = &g->counts[b];
		if (cell < program && stop > program) {
			count_kinds(&r->cells, cell, stop, c->n);
		} else {
			*c = kind_counts{};
			c->n[stop <= program ? KIND_PROGRAM : KIND_STRAY] = used[b - first];
			c->n[KIND_FILL] = stop - cell - used[b - first];
		}
		g->kinds[b] = kinds_of(c);
	}
}

// Counts the blocks of row row: a row of cells of one kind at once, else
// block by block.
static void count_row(const picture_request *r, picture_grid *g, uint32_t row)
{
	uint32_t first = row * PICTURE_ROW_BLOCKS;
	uint32_t end = first + PICTURE_ROW_BLOCKS < g->blocks ? first + PICTURE_ROW_BLOCKS : g->blocks;
	kind_counts whole;
	count_kinds(&r->cells, first * g->block, block_end(g, end - 1), whole.n);
	add_counts(&g->total, &whole);
	int only = first_kind(kinds_of(&whole));
	bool one_kind = whole.n[only] == block_end(g, end - 1) - first * g->block;
	g->row_kind[row] = int8_t(one_kind ? only : -1);
	if (one_kind)
		std::memset(g->kinds + first, 1 << only, end - first);
	bool by_use = !one_kind && told_by_use(&r->cells, first * g->block, block_end(g, end - 1));
	if (by_use)
		count_by_use(r, g, first, end);
	for (uint32_t b = first; b < end && !one_kind && !by_use; b++) {
		count_kinds(&r->cells, b * g->block, block_end(g, b), g->counts[b].n);
		g->kinds[b] = kinds_of(&g->counts[b]);
	}
}

// Lays out the grid over the cells that the image's map reaches, and
// counts the kinds of its blocks.
static int plan_grid(const picture_request *r, picture_grid *g)
{
	const image *img = r->cells.img;
	uint64_t reach = uint64_t(map_blocks(img, r->cells.plan, r->cells.differing)) * MAP_BLOCK_CELLS;
	// The grid ends with the chip, where a block of the map reaches beyond.
	g->cells = reach < map_cells(img, r->cells.plan) ? uint32_t(reach) : map_cells(img, r->cells.plan);
	g->block = picture_block_cells(g->cells);
	g->blocks = (g->cells + g->block - 1) / g->block;
	g->rows = (g->blocks + PICTURE_ROW_BLOCKS - 1) / PICTURE_ROW_BLOCKS;
	size_t size = (sizeof(kind_counts) + 1) * size_t(g->blocks) + g->rows;
	g->counts = static_cast<kind_counts *>(run_realloc(nullptr, size));
	if (g->counts == nullptr) {
		diag_error("Out of memory");
		return 1;
	}
	g->kinds = reinterpret_cast<uint8_t *>(g->counts + g->blocks);
	g->row_kind = reinterpret_cast<int8_t *>(g->kinds + g->blocks);
	std::memset(&g->total, 0, sizeof g->total);
	for (uint32_t row = 0; row < g->rows; row++)
		count_row(r, g, row);
	return 0;
}

// The length of the UTF-8 sequence at s that XML takes, or 0 for a byte
// that begins none.
static int utf8_length(const unsigned char *s)
{
	unsigned c = s[0];
	if (c >= 0x20 && c < 0x80)
		return 1;
	int n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
	unsigned low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
	unsigned high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
	for (int k = 1; k < n; k++, low = 0x80, high = 0xBF)
		if (s[k] < low || s[k] > high)
			return 0;
	// U+FFFE and U+FFFF are no characters of XML.
	if (n == 3 && c == 0xEF && s[1] == 0xBF && s[2] >= 0xBE)
		return 0;
	return n;
}

// Writes text as XML character data: markup characters as references, a
// byte that is no character of XML as U+FFFD.
static void put_xml_text(svg_out *o, const char *text)
{
	const unsigned char *s = reinterpret_cast<const unsigned char *>(text);
	while (*s != '\0') {
		int n = utf8_length(s);
		if (n == 0) {
			put(o, "\xEF\xBF\xBD");
		} else if (n == 1 && std::strchr("&<>\"'", *s) != nullptr) {
			put(o, "&#");
			put_dec(o, *s);
			put(o, ";");
		} else {
			put_bytes(o, reinterpret_cast<const char *>(s), size_t(n));
		}
		s += n == 0 ? 1 : n;
	}
}

// The last part of a file's name, behind its folders on either system.
static const char *last_part(const char *name)
{
	const char *part = name;
	for (const char *c = name; *c != '\0'; c++)
		if (*c == '/' || *c == '\\')
			part = c + 1;
	return part;
}

static void put_head(svg_out *o, const picture_request *r, uint32_t height)
{
	put(o, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"");
	put_attribute(o, "width", PICTURE_WIDTH);
	put_attribute(o, "height", height);
	put(o, " viewBox=\"0 0 ");
	put_dec(o, PICTURE_WIDTH);
	put(o, " ");
	put_dec(o, height);
	put(o, "\" font-family=\"monospace\" font-size=\"11\">\n<title>");
	put_xml_text(o, last_part(r->name));
	put(o, "</title>\n<style>\nrect{shape-rendering:crispEdges}\n");
	for (const cell_kind_row &k : CELL_KINDS) {
		put(o, ".");
		put_str(o, k.name);
		put(o, "{fill:");
		put_str(o, k.id == KIND_DIFFERING ? "url(#hatch)" : k.colour);
		put(o, "}\n");
	}
	// Differing cells are hatched as well, so that they stay apart in grey.
	put(o, ".scale{stroke:#000000}\n</style>\n<defs><pattern id=\"hatch\" width=\"4\" height=\"4\" "
	       "patternUnits=\"userSpaceOnUse\"><rect width=\"4\" height=\"4\" fill=\"");
	put_str(o, CELL_KINDS[KIND_DIFFERING].colour);
	put(o, "\"/><path d=\"M0 4L4 0\" stroke=\"#000000\" stroke-width=\"1.5\"/></pattern></defs>\n");
}

// The title line: the file's name, its form, the cells it covers and
// their CRC-32, and what it was compared with.
// The characters of UTF-8 text: its bytes but those that continue one.
static size_t characters(const char *text)
{
	size_t n = 0;
	for (const char *c = text; *c != '\0'; c++)
		n += (*c & 0xC0) != 0x80;
	return n;
}

// Width in pixels of a character of the title's font, at most.
constexpr uint32_t TITLE_CHARACTER = 7;

// A line of the title at baseline y: before, the last part of name, and
// after; a line too long for the picture is squeezed into its width.
static void put_title_line(svg_out *o, uint32_t y, const char *before, const char *name,
			   const char *after)
{
	uint32_t room = PICTURE_WIDTH - 16;
	size_t length = characters(before) + characters(last_part(name)) + characters(after);
	put(o, "<text x=\"8\"");
	put_attribute(o, "y", y);
	if (length * TITLE_CHARACTER > room) {
		put_attribute(o, "textLength", room);
		put(o, " lengthAdjust=\"spacingAndGlyphs\"");
	}
	put(o, " font-weight=\"bold\">");
	put_str(o, before);
	put_xml_text(o, last_part(name));
	put_str(o, after);
	put(o, "</text>\n");
}

// The title: the file's name, its form, the cells it covers and their
// CRC-32; under it, what it was compared with.
static void put_title(svg_out *o, const picture_request *r)
{
	char facts[96];
	std::snprintf(facts, sizeof facts, ": %s, %lu %s, crc32 %08lX", r->form,
		      static_cast<unsigned long>(r->covered), r->covered == 1 ? "byte" : "bytes",
		      static_cast<unsigned long>(r->crc));
	put_title_line(o, TITLE_BASELINE, "", r->name, facts);
	if (r->against != nullptr)
		put_title_line(o, TITLE_BASELINE + TITLE_LINE, "compared with ", r->against, "");
}

// A range of cells in a tooltip: "cell 5 (5h)", "cells 0 to 255 (0h to FFh)".
static void put_range(svg_out *o, uint32_t first, uint32_t end)
{
	put_str(o, end - first == 1 ? "cell " : "cells ");
	put_dec(o, first);
	if (end - first > 1) {
		put(o, " to ");
		put_dec(o, end - 1);
	}
	put(o, " (");
	put_hex(o, first, 1);
	if (end - first > 1) {
		put(o, "h to ");
		put_hex(o, end - 1, 1);
	}
	put(o, "h)");
}

// The kinds of a run's cells, with their counts: ": program 4000, fill 96".
static void put_counts(svg_out *o, const kind_counts *c)
{
	const char *separator = ": ";
	for (int k = 0; k < KIND_COUNT; k++)
		if (c->n[k] != 0) {
			put_str(o, separator);
			put_str(o, CELL_KINDS[k].name);
			put(o, " ");
			put_dec(o, c->n[k]);
			separator = ", ";
		}
}

// The differing cells of a run, each on a line of its own, the first
// PICTURE_NAMED_CELLS of them with their bytes.
static void put_differing(svg_out *o, const picture_request *r, uint32_t first, uint32_t end,
			  uint32_t count)
{
	uint32_t named = 0;
	for (uint32_t i = next_in_cell_set(r->cells.differing, first, end);
	     i < end && named < PICTURE_NAMED_CELLS; i = next_in_cell_set(r->cells.differing, i + 1, end)) {
		char text[96];
		r->describe(r->context, i, text, sizeof text);
		put(o, "\ncell ");
		put_dec(o, i);
		put(o, ": ");
		put_str(o, text);
		named++;
	}
	if (count > named) {
		put(o, "\n");
		put_dec(o, count - named);
		put_str(o, count - named == 1 ? " more cell differs" : " more cells differ");
	}
}

// One run of blocks of a row, first to end - 1, of one kind, with its
// tooltip.
static void put_run(svg_out *o, const picture_request *r, const picture_grid *g, uint32_t first,
		    uint32_t end, int kind)
{
	kind_counts sum = counts_of(g, first, end);
	uint32_t column = first % PICTURE_ROW_BLOCKS, row = first / PICTURE_ROW_BLOCKS;
	put_rect(o, kind, LABEL_WIDTH + column * BLOCK_PIXELS, GRID_TOP + row * BLOCK_PIXELS,
		 (end - first) * BLOCK_PIXELS, BLOCK_PIXELS);
	put(o, "<title>");
	put_range(o, first * g->block, block_end(g, end - 1));
	put_counts(o, &sum);
	if (kind == KIND_DIFFERING)
		put_differing(o, r, first * g->block, block_end(g, end - 1), sum.n[KIND_DIFFERING]);
	put(o, "</title></rect>\n");
}

// The grid: each row its label, the address of its first cell as the map
// writes it, and its blocks, neighbours of one kind drawn as one.
static void put_grid(svg_out *o, const picture_request *r, const picture_grid *g)
{
	int digits = map_label_digits((g->rows - 1) * PICTURE_ROW_BLOCKS * g->block);
	for (uint32_t row = 0; row < g->rows; row++) {
		uint32_t first = row * PICTURE_ROW_BLOCKS, end = first + PICTURE_ROW_BLOCKS;
		end = end < g->blocks ? end : g->blocks;
		put_text_at(o, LABEL_WIDTH - 6, GRID_TOP + row * BLOCK_PIXELS + 9, "end");
		put_hex(o, first * g->block, digits);
		put(o, "</text>\n");
		bool whole = g->row_kind[row] >= 0 && g->row_kind[row] != KIND_DIFFERING;
		if (whole)
			put_run(o, r, g, first, end, g->row_kind[row]);
		for (uint32_t b = first; b < end && !whole;) {
			int kind = first_kind(g->kinds[b]);
			uint32_t run = b + 1;
			// Each differing block keeps its own tooltip, which names
			// its cells.
			while (run < end && kind != KIND_DIFFERING && first_kind(g->kinds[run]) == kind)
				run++;
			put_run(o, r, g, b, run, kind);
			b = run;
		}
	}
}

// The bar: a column of it for each block, or each pixel where blocks are
// more; each column its blocks and the kinds they hold.
struct picture_bar {
	uint32_t columns;
	uint8_t kinds[GRID_WIDTH];
};

static uint32_t column_block(const picture_grid *g, const picture_bar *bar, uint32_t j)
{
	return uint32_t(uint64_t(j) * g->blocks / bar->columns);
}

static uint32_t column_pixel(const picture_bar *bar, uint32_t j)
{
	return LABEL_WIDTH + uint32_t(uint64_t(j) * GRID_WIDTH / bar->columns);
}

static void plan_bar(const picture_grid *g, picture_bar *bar)
{
	bar->columns = g->blocks < GRID_WIDTH ? g->blocks : GRID_WIDTH;
	for (uint32_t j = 0, b = 0; j < bar->columns; j++) {
		uint8_t kinds = 0;
		for (uint32_t end = column_block(g, bar, j + 1); b < end; b++)
			kinds |= g->kinds[b];
		bar->kinds[j] = kinds;
	}
}

// The kind of column j among those of mask: the most telling that it
// holds; a column that holds none of the regions' is fill.
static int column_kind(const picture_bar *bar, uint32_t j, unsigned mask)
{
	int kind = first_kind(bar->kinds[j] & mask);
	return kind < 0 && mask == REGION_KINDS ? KIND_FILL : kind;
}

// One shape of the bar over columns first to end - 1, made at least width
// pixels wide inside the bar, with the tooltip of its cells.
static void put_bar_shape(svg_out *o, const picture_grid *g, const picture_bar *bar, int kind,
			  uint32_t first, uint32_t end, uint32_t width)
{
	uint32_t left = column_pixel(bar, first), right = column_pixel(bar, end);
	if (right - left < width) {
		uint32_t middle = (left + right) / 2;
		left = middle > LABEL_WIDTH + 1 ? middle - 1 : LABEL_WIDTH;
		left = left + width > LABEL_WIDTH + GRID_WIDTH ? LABEL_WIDTH + GRID_WIDTH - width : left;
		right = left + width;
	}
	uint32_t first_block = column_block(g, bar, first), end_block = column_block(g, bar, end);
	put_rect(o, kind, left, BAR_TOP, right - left, BAR_HEIGHT);
	put(o, "<title>");
	put_range(o, first_block * g->block, block_end(g, end_block - 1));
	kind_counts sum = counts_of(g, first_block, end_block);
	put_counts(o, &sum);
	put(o, "</title></rect>\n");
}

// The bar's shapes of the kinds of mask: neighbouring columns of one kind
// as one shape, at least width pixels wide.
static void put_bar_kinds(svg_out *o, const picture_grid *g, const picture_bar *bar, unsigned mask,
			  uint32_t width)
{
	for (uint32_t j = 0; j < bar->columns;) {
		int kind = column_kind(bar, j, mask);
		uint32_t k = j + 1;
		while (k < bar->columns && column_kind(bar, k, mask) == kind)
			k++;
		if (kind >= 0)
			put_bar_shape(o, g, bar, kind, j, k, width);
		j = k;
	}
}

// The overview bar: the regions to scale, the point-like kinds as marks
// over them, and the scale of addresses under it.
static void put_bar(svg_out *o, const picture_grid *g)
{
	picture_bar bar;
	plan_bar(g, &bar);
	put_bar_kinds(o, g, &bar, REGION_KINDS, 1);
	// The most telling marks last, so that no other covers them.
	const int marks[] = {KIND_STRAY, KIND_SERIAL, KIND_DIFFERING};
	for (int kind : marks)
		put_bar_kinds(o, g, &bar, 1u << kind, MARK_PIXELS);
	put(o, "<path class=\"scale\" d=\"");
	for (uint32_t k = 0; k <= SCALE_MARKS; k++) {
		put(o, "M");
		put_dec(o, LABEL_WIDTH + GRID_WIDTH * k / SCALE_MARKS);
		put(o, " ");
		put_dec(o, BAR_TOP + BAR_HEIGHT);
		put(o, "v4");
	}
	put(o, "\"/>\n");
	for (uint32_t k = 0; k <= SCALE_MARKS; k++) {
		put_text_at(o, LABEL_WIDTH + GRID_WIDTH * k / SCALE_MARKS, SCALE_BASELINE,
			    k == 0 ? "start" : k == SCALE_MARKS ? "end" : "middle");
		put_hex(o, uint32_t(uint64_t(g->cells) * k / SCALE_MARKS), 1);
		put(o, "</text>\n");
	}
}

// The legend: each kind shown, with its count of cells.
static void put_legend(svg_out *o, const picture_grid *g, uint32_t top)
{
	for (const cell_kind_row &k : CELL_KINDS) {
		uint32_t n = g->total.n[k.id];
		if (n == 0)
			continue;
		put_rect(o, k.id, LABEL_WIDTH, top, SWATCH, SWATCH);
		put(o, "</rect>");
		put_text_at(o, LABEL_WIDTH + SWATCH + 6, top + 10, "start");
		put_str(o, k.label);
		put(o, ": ");
		put_dec(o, n);
		put_str(o, n == 1 ? " cell</text>\n" : " cells</text>\n");
		top += LEGEND_LINE;
	}
}

int write_picture(FILE *out, const picture_request *r)
{
	picture_grid g;
	svg_out *o = static_cast<svg_out *>(run_realloc(nullptr, sizeof(svg_out)));
	if (o == nullptr) {
		diag_error("Out of memory");
		return 1;
	}
	if (plan_grid(r, &g) != 0) {
		std::free(o);
		return 1;
	}
	o->file = out;
	o->used = 0;
	uint32_t kinds = 0;
	for (int k = 0; k < KIND_COUNT; k++)
		kinds += g.total.n[k] != 0;
	uint32_t legend_top = GRID_TOP + g.rows * BLOCK_PIXELS + LEGEND_LINE;
	put_head(o, r, legend_top + kinds * LEGEND_LINE + 8);
	put_title(o, r);
	// Each part in a group of its own, which a reader finds by its id.
	put(o, "<g id=\"overview\">\n");
	put_bar(o, &g);
	put(o, "</g>\n<g id=\"grid\" font-size=\"9\">\n");
	put_grid(o, r, &g);
	put(o, "</g>\n<g id=\"legend\">\n");
	put_legend(o, &g, legend_top);
	put(o, "</g>\n</svg>\n");
	std::fwrite(o->text, 1, o->used, out);
	std::free(g.counts);
	std::free(o);
	return 0;
}
