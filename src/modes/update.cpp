// --update: the image written into a chip in place, only the pages that differ, the header's last, then read back.
#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "image/crc32.h"
#include "image/image_compare.h"
#include "image/header_cells.h"
#include "image/patches.h"
#include "modes/counter.h"
#include "modes/modes.h"
#include "modes/patch_checks.h"
#include "modes/picture_file.h"
#include "modes/program_image.h"
#include "modes/progress.h"
#include "modes/read_back.h"
#include "modes/serial_log.h"
#include "modes/serial_number.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/platform.h"
#include "report/diag.h"
#include "report/report.h"

// Rounds of writes at most: the first, and two more for pages that do not
// read back right.
constexpr int WRITE_ROUNDS = 3;

// An update under way: the image, the chip and its size (as the system
// tells it, else --eeprom-size) and page, the cells in question and the
// pages that hold them (span cells of the chip), the chip's own bytes of
// the last page behind the cells in question, and as last read: a flag for
// each page that differs, their number, the lowest cells that differ and
// their number, and the CRC-32 of the cells. What was written: a flag for
// each page, the writes (pages written again counted) and their bytes.
// With --picture, the cells in question as last read, the cells among
// them that differ. Whether the last read was whole; a failure of a read
// or a write (the chip's result, FAILED_READ for a read) and the page's
// first cell, told behind the report.
struct update_run {
	const run_options *opts;
	const image *img;
	chip_file chip;
	uint64_t chip_size;
	uint32_t page, cells, pages, span, header_cells;
	uint8_t tail[MAX_PAGE_CELLS];
	uint8_t *differ;
	uint32_t differing;
	cell_difference diffs[NAMED_DIFFERENCES];
	uint32_t differing_cells;
	uint32_t crc;
	uint8_t *written;
	uint32_t writes;
	uint64_t bytes;
	progress line;
	image *seen;
	uint64_t *differing_set;
	int read_whole;
	int failure;
	uint32_t failed_cell;
};

// The failure of a read, beside the chip's results of a write.
constexpr int FAILED_READ = -1;

// Tells the failure of the last read or write, if any.
static void report_failure(const update_run *u)
{
	const char *name = u->opts->image_file;
	if (u->failure == FAILED_READ)
		diag_error("Can't read '%s'", name);
	else if (u->failure == CHIP_NO_ANSWER)
		diag_error("The chip did not take the page at cell %u", unsigned(u->failed_cell));
	else if (u->failure == CHIP_PAST_END)
		diag_error("The chip ends before the page at cell %u", unsigned(u->failed_cell));
	else if (u->failure != CHIP_OK)
		diag_error("Can't write '%s'", name);
}

// Opens the chip, for writing unless the run is dry, and says why not.
static int open_chip(const run_options *opts, update_run *u)
{
	const char *name = opts->image_file;
	switch (chip_open(name, !opts->dry_run, &u->chip)) {
	case CHIP_OK: return 0;
	case CHIP_DENIED:
		diag_error("Can't open '%s': permission denied (an nvmem file is usually root's alone)",
			   name);
		break;
	case CHIP_READ_ONLY: diag_error("Can't open '%s': it is read-only", name); break;
	default: diag_error("Can't open '%s'", name);
	}
	return 1;
}

// The chip's size, as the system tells it, must be --eeprom-size's, and
// hold the cells in question; without a size told, --eeprom-size gives it.
static int check_size(const run_options *opts, update_run *u)
{
	const char *name = opts->image_file;
	uint64_t told = u->chip.size, given = opts->plan.chip_size;
	u->chip_size = u->chip.told ? told : given;
	u->cells = plan_covered(&opts->plan);
	if (!u->chip.told && given == 0)
		diag_error("The system tells no size of '%s': give --eeprom-size", name);
	else if (u->chip.told && given != 0 && told != given)
		diag_error("'%s' holds %" PRIu64 " %s, not the %u of the EEPROM (--eeprom-size)", name,
			   told, bytes_word(told), unsigned(given));
	else if (u->chip_size < u->cells)
		diag_error("'%s' holds %" PRIu64 " %s, fewer than the %u of the image", name,
			   u->chip_size, bytes_word(u->chip_size), unsigned(u->cells));
	else
		return 0;
	return 1;
}

// The pages of the cells in question, and the flags kept for each.
static int plan_pages(update_run *u)
{
	u->page = plan_page(&u->opts->plan, u->chip.size);
	u->pages = (u->cells + u->page - 1) / u->page;
	uint64_t span = uint64_t(u->pages) * u->page;
	u->span = uint32_t(span < u->chip_size ? span : u->chip_size);
	u->differ = static_cast<uint8_t *>(run_realloc(nullptr, 2 * size_t(u->pages)));
	if (u->differ == nullptr) {
		diag_error("Out of memory");
		return 1;
	}
	u->written = u->differ + u->pages;
	std::memset(u->differ, 0, 2 * size_t(u->pages));
	return 0;
}

// Compares the n cells read from first on with the image, page by page,
// and keeps the chip's own bytes behind the cells in question.
static void compare_read(update_run *u, uint32_t first, const uint8_t *read, uint32_t n)
{
	uint32_t in_question = first >= u->cells ? 0 : u->cells - first < n ? u->cells - first : n;
	u->crc = crc32_update(u->crc, read, in_question);
	if (u->seen != nullptr) {
		std::memcpy(u->seen->bytes + first, read, in_question);
		image_mark(u->seen, first, in_question);
	}
	for (uint32_t i = in_question; i < n; i++)
		u->tail[(first + i) % u->page] = read[i];
	// Most pieces are the same as the image: one comparison of the whole.
	if (std::memcmp(read, u->img->bytes + first, in_question) == 0)
		return;
	for (uint32_t i = 0; i < in_question; i++) {
		uint32_t cell = first + i;
		if (read[i] == u->img->bytes[cell])
			continue;
		if (u->differing_cells < NAMED_DIFFERENCES)
			u->diffs[u->differing_cells] = {cell, read[i], u->img->bytes[cell], -1, 0};
		u->differing_cells++;
		u->differing += u->differ[cell / u->page] == 0;
		u->differ[cell / u->page] = 1;
		if (u->differing_set != nullptr)
			add_to_cell_set(u->differing_set, cell);
	}
}

// Reads the pages of the cells in question and compares them with the
// image, in pieces of at most what the system moves at a time.
static int read_chip(update_run *u)
{
	uint8_t piece[MAX_PAGE_CELLS];
	std::memset(u->differ, 0, u->pages);
	if (u->differing_set != nullptr)
		std::memset(u->differing_set, 0, cell_set_words(u->seen->size) * sizeof(uint64_t));
	u->differing = u->differing_cells = 0;
	u->crc = 0;
	u->read_whole = 0;
	for (uint32_t first = 0; first < u->span; first += MAX_PAGE_CELLS) {
		uint32_t n = u->span - first < MAX_PAGE_CELLS ? u->span - first : MAX_PAGE_CELLS;
		if (chip_read(&u->chip, first, piece, n) != CHIP_OK) {
			// A write that failed before is what is told.
			u->failure = u->failure == CHIP_OK ? FAILED_READ : u->failure;
			return 1;
		}
		compare_read(u, first, piece, n);
	}
	u->read_whole = 1;
	return 0;
}

// Writes page k whole: the image's cells, and behind the cells in question
// the chip's own bytes.
static int write_page(update_run *u, uint32_t k)
{
	uint8_t bytes[MAX_PAGE_CELLS];
	uint32_t first = k * u->page, end = first + u->page < u->span ? first + u->page : u->span;
	for (uint32_t cell = first; cell < end; cell++)
		bytes[cell - first] = cell < u->cells ? u->img->bytes[cell] : u->tail[cell % u->page];
	int result = chip_write(&u->chip, first, bytes, end - first);
	if (result != CHIP_OK) {
		u->failure = result;
		u->failed_cell = first;
		return 1;
	}
	u->writes++;
	u->bytes += end - first;
	u->written[k] = 1;
	progress_step(&u->line, u->writes, u->bytes);
	return 0;
}

// Whether page k holds a cell of the header: those pages are written last,
// so that the header describes the new contents only once they are there.
static bool holds_header(const update_run *u, uint32_t k)
{
	return k * u->page < u->header_cells;
}

// Writes the pages that differ, either those of the header or the others,
// in address order; *wrote tells whether it wrote any. Returns 0, or 1 at
// the first that fails.
static int write_pages(update_run *u, bool header, bool *wrote)
{
	*wrote = false;
	for (uint32_t k = 0; k < u->pages; k++)
		if (u->differ[k] && holds_header(u, k) == header) {
			if (write_page(u, k) != 0)
				return 1;
			*wrote = true;
		}
	return 0;
}

// The pages that differ, but those of the header.
static uint32_t other_pages_differing(const update_run *u)
{
	uint32_t count = 0;
	for (uint32_t k = 0; k < u->pages; k++)
		count += u->differ[k] && !holds_header(u, k);
	return count;
}

// The rounds of writes. The first writes the pages that differ, the
// header's last; each of the others writes the pages that still differ,
// and the header's only once every other page reads back right. After
// each round, and after a write that fails, the chip is read back.
static int write_rounds(update_run *u)
{
	progress_begin(&u->line, u->differing);
	int failed = 0, unread = 0;
	bool wrote;
	for (int round = 0; round < WRITE_ROUNDS && u->differing > 0 && !failed; round++) {
		// The pages written again count among those to write.
		if (round > 0)
			progress_more(&u->line, u->differing);
		failed = write_pages(u, false, &wrote);
		if (!failed && round > 0 && wrote && (unread = read_chip(u)) != 0)
			break;
		if (!failed && (round == 0 || other_pages_differing(u) == 0))
			failed = write_pages(u, true, &wrote);
		if ((unread = read_chip(u)) != 0)
			break;
	}
	progress_end(&u->line);
	return failed || unread;
}

// The first cells of the pages that differ, as last read.
static uint32_t *pages_differing(const update_run *u)
{
	uint32_t *firsts = static_cast<uint32_t *>(run_realloc(nullptr, sizeof(uint32_t) * (u->differing + 1)));
	for (uint32_t k = 0, n = 0; firsts != nullptr && k < u->pages; k++)
		if (u->differ[k])
			firsts[n++] = k * u->page;
	return firsts;
}

// The report: the chip, what was written (with --dry-run, nothing),
// the serial number; where the chip was last read whole, the CRC-32 of its
// cells and the pages that differ (to write, with --dry-run, or that would
// not take the image).
static int put_report(report *r, const update_run *u, const serial_run *s)
{
	char crc[16];
	std::snprintf(crc, sizeof crc, "%08" PRIX32, u->crc);
	report_text(r, "chip", u->opts->image_file);
	report_unsigned(r, "chip size", u->chip_size);
	report_number(r, "page size", u->page);
	report_number(r, "pages written", u->writes);
	uint32_t touched = 0;
	for (uint32_t k = 0; k < u->pages; k++)
		touched += u->written[k];
	report_number(r, "pages unchanged", u->pages - touched);
	report_unsigned(r, "bytes written", u->bytes);
	if (u->read_whole)
		report_text(r, "crc32", crc);
	if (u->opts->has_serial)
		report_unsigned(r, "serial", s->number);
	if (u->opts->dry_run)
		report_number(r, "pages to write", u->differing);
	if (u->differing == 0 || !u->read_whole)
		return 0;
	uint32_t *firsts = pages_differing(u);
	if (firsts == nullptr) {
		diag_error("Out of memory");
		return 1;
	}
	report_numbers(r, "page", "pages", firsts, u->differing);
	std::free(firsts);
	return 0;
}

// The cells that still differ after the last round, and how many pages.
static void report_not_taken(const update_run *u)
{
	for (uint32_t i = 0; i < u->differing_cells && i < NAMED_DIFFERENCES; i++)
		diag_error("Cell %u holds %02Xh, expected %02Xh", unsigned(u->diffs[i].cell),
			   unsigned(u->diffs[i].held), unsigned(u->diffs[i].expected));
	report_more_differences(u->differing_cells);
	diag_error("%u %s of '%s' would not take the image", unsigned(u->differing),
		   count_word(u->differing, "page", "pages"), u->opts->image_file);
}

// The serial number of a run that writes nothing: --serial-number's, or
// the counter's, read but not taken; the log must not hold it.
static int peek_serial_number(const run_options *opts, serial_run *s)
{
	counter_lock c = {opts->serial_counter, nullptr, nullptr, -1};
	s->number = opts->serial_number;
	return (opts->serial_counter != nullptr && read_counter(&c, &s->number) != 0) ||
	       check_serial_fits(opts, s->number) ||
	       (opts->serial_log != nullptr && check_not_in_named_log(opts->serial_log, s->number));
}

// The text of a cell that the chip holds otherwise than the image: "55h,
// expected FFh".
static void describe_seen(const void *context, uint32_t cell, char *text, size_t size)
{
	const update_run *u = static_cast<const update_run *>(context);
	std::snprintf(text, size, "%02Xh, expected %02Xh", unsigned(u->seen->bytes[cell]),
		      unsigned(u->img->bytes[cell]));
}

// With --picture, and where the chip was last read whole, draws the cells
// in question as read, those that differ from the image marked.
static int draw(const update_run *u, const image_layout *l)
{
	const run_options *opts = u->opts;
	if (opts->picture_file == nullptr || !u->read_whole)
		return 0;
	picture_request r = picture_of_layout(opts, FORM_RAW, u->seen, u->cells, u->crc, l,
					      u->differing_set, describe_seen, u);
	return write_picture_file(opts, &r);
}

// With --picture, the image of the chip as read and the set of the cells
// that differ. Returns 0, or 1 after reporting.
static int prepare_picture(update_run *u)
{
	if (u->opts->picture_file == nullptr)
		return 0;
	u->seen = plan_image(&u->opts->plan);
	u->differing_set = u->seen != nullptr ? new_cell_set(u->seen->size) : nullptr;
	if (u->seen == nullptr)
		diag_error("Out of memory");
	return u->differing_set == nullptr;
}

// Lays out the program with its patches, as a conversion to --binary does.
static int lay_out(const run_options *opts, image *img, image_layout *l)
{
	FILE *expert, *program;
	if (open_inputs(opts, &expert, &program) != 0)
		return 1;
	int failed = refuse_input_as_output(opts->image_file, program, expert) ||
		     (opts->has_serial && refuse_serial_files(opts, program, expert)) ||
		     lay_out_program(opts, expert, program, img, 1, l) ||
		     (has_patches(opts) && check_patches(opts, img, l));
	close_input(expert);
	close_input(program);
	return failed;
}

// Reads the chip, writes what differs and reads it back, and reports;
// with a serial number, its line goes to the log once the chip holds the
// image.
static int update_chip(report *r, update_run *u, serial_run *s, const image_layout *l)
{
	int failed = plan_pages(u) || prepare_picture(u) || read_chip(u);
	if (failed) {
		report_failure(u);
		return 1;
	}
	if (!u->opts->dry_run)
		failed = write_rounds(u);
	int reported = put_report(r, u, s);
	if (!u->opts->json)
		std::fflush(stdout);
	report_failure(u);
	if (!failed && !u->opts->dry_run && u->differing > 0) {
		report_not_taken(u);
		failed = 1;
	}
	if (!failed && !reported && !u->opts->dry_run && u->opts->serial_log != nullptr)
		failed = log_serial(u->opts, s, u->img, "chip");
	return draw(u, l) || failed || reported;
}

// The chip is opened, its size checked and the serial number got before
// anything is written.
static int run(const run_options *opts, report *r, update_run *u, image *img)
{
	image_layout l;
	serial_run s = {};
	if (lay_out(opts, img, &l) != 0 || open_chip(opts, u) != 0)
		return 1;
	u->header_cells = l.expert_first;
	int status = check_size(opts, u);
	bool serial = status == 0 && opts->has_serial;
	if (serial)
		status = opts->dry_run ? peek_serial_number(opts, &s) : get_serial_number(opts, &s);
	if (status == 0) {
		apply_board_data(img, &l, opts->patches, opts->patch_count,
				 opts->has_serial ? &opts->serial : nullptr, s.number);
		status = update_chip(r, u, &s, &l);
	}
	if (serial)
		status = end_serial(opts, &s, status);
	chip_close(&u->chip);
	return status;
}

int run_update(const run_options *opts)
{
	report r;
	report_begin(&r, stdout, opts->json);
	image *img = plan_image(&opts->plan);
	update_run *u = static_cast<update_run *>(run_realloc(nullptr, sizeof(update_run)));
	int status = 1;
	if (img == nullptr || u == nullptr) {
		diag_error("Out of memory");
	} else {
		std::memset(u, 0, sizeof *u);
		u->opts = opts;
		u->img = img;
		status = run(opts, &r, u, img);
		std::free(u->differ);
		std::free(u->differing_set);
		image_free(u->seen);
	}
	report_end(&r);
	std::free(u);
	image_free(img);
	return status;
}
