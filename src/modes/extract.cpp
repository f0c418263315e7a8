// --extract: the program and expert-mode data taken out of an image read back.
#include <cstdlib>
#include <cstring>

#include "forms/forms.h"
#include "image/layout.h"
#include "modes/info_report.h"
#include "modes/picture_file.h"
#include "modes/modes.h"
#include "modes/read_back.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "report/diag.h"
#include "report/text_buffer.h"

// A command being built, and the shells that would change one of its
// words (SHELL_ bits).
struct command_text {
	text_buffer t;
	int caveats;
};

static void put_text(command_text *c, const char *s, size_t n)
{
	text_append(&c->t, s, n);
}

// Appends a blank and text, quoted where the platform's shells need it.
static void put_word(command_text *c, const char *text)
{
	char *word = shell_word(text);
	c->caveats |= shell_caveats(text);
	if (word == nullptr) {
		c->t.failed = 1;
		return;
	}
	put_text(c, " ", 1);
	put_text(c, word, std::strlen(word));
	std::free(word);
}

// The options of the conversion that rebuilds the image, read in the given
// form, as they differ from the defaults, for the chip of plan.
static void put_options(command_text *c, const run_options *opts, const image *img, int form,
			const chip_plan *plan)
{
	boot_header h = decode_boot_header(img);
	if (!opts->length_header && h.crystal_code != DEFAULT_CRYSTAL_CODE)
		text_format(&c->t, " -c %d", crystal_mhz(h.crystal_code));
	if (!opts->length_header && h.fast_clock == 0)
		text_format(&c->t, " -s");
	if (opts->length_header)
		text_format(&c->t, " -t");
	if (opts->program_size != DEFAULT_PROGRAM_SIZE)
		text_format(&c->t, " -p %d", int(opts->program_size));
	if (FORMS[form].records && opts->base_address != 0)
		text_format(&c->t, " -b %X", unsigned(opts->base_address));
	if (FORMS[form].option[0] != '\0')
		text_format(&c->t, " %s", FORMS[form].option);
	if (plan->fill != fill_for(MODE_CONVERT, form, NO_FILL))
		text_format(&c->t, " --fill=%02X", unsigned(plan->fill));
	if (plan->chip_size != 0)
		text_format(&c->t, " --eeprom-size=%u", unsigned(plan->chip_size));
}

// What the command's note says where a shell would change one of its
// words, by SHELL_ bits.
static const char *const CAVEATS[] = {
	nullptr, "the command is not for cmd.exe", "the command is not for PowerShell",
	"the command is not for cmd.exe or PowerShell"};

// Puts "tarnwick [options] [-e expert] [--] program image" into the report,
// and a note behind it where a shell would change it;
// returns 1 when there is no memory for it.
static int put_command(report *r, const run_options *opts, const image *img, int form,
		       const chip_plan *plan)
{
	command_text c = {};
	put_text(&c, "tarnwick", 8);
	put_options(&c, opts, img, form, plan);
	if (opts->expert_file != nullptr) {
		put_text(&c, " -e", 3);
		put_word(&c, opts->expert_file);
	}
	if (opts->program_file[0] == '-' || opts->image_file[0] == '-')
		put_text(&c, " --", 3);
	put_word(&c, opts->program_file);
	put_word(&c, opts->image_file);
	if (c.t.failed)
		diag_error("Out of memory");
	else
		report_text(r, "command", c.t.text);
	std::free(c.t.text);
	if (!c.t.failed && c.caveats != 0)
		report_text(r, "note", CAVEATS[c.caveats]);
	return c.t.failed;
}

// A third file name exactly when the image holds expert-mode data, which
// behind the length header cannot be told from the program.
static int check_third_name(const run_options *opts, const image_layout *l)
{
	bool has_data = l->program_first > l->expert_first;
	if (opts->length_header && opts->expert_file != nullptr)
		diag_error("Behind the length header expert-mode data cannot be told from the "
			   "program: give no third file name");
	else if (has_data && opts->expert_file == nullptr)
		diag_error("The image holds expert-mode data in cells %u to %u: give a file name "
			   "for it",
			   unsigned(l->expert_first), unsigned(l->program_first - 1));
	else if (!has_data && opts->expert_file != nullptr)
		diag_error("The image holds no expert-mode data: give no third file name");
	else
		return 0;
	return 1;
}

// A conversion writes a raw image of exactly the EEPROM's size, and
// without --eeprom-size of at least the program memory size: a longer one
// is the read-out of a chip of its length.
static int check_raw_length(const run_options *opts, uint32_t raw_length)
{
	if (opts->image_form != FORM_RAW)
		return 0;
	const chip_plan *p = &opts->plan;
	if (p->chip_size != 0 && raw_length != p->chip_size)
		diag_error("'%s' holds %u %s, not the %u of the EEPROM (--eeprom-size)", opts->image_file,
			   unsigned(raw_length), bytes_word(raw_length), unsigned(p->chip_size));
	else if (p->chip_size == 0 && raw_length < p->program_size)
		diag_error("'%s' holds %u %s, not the %u of the program memory (-p)", opts->image_file,
			   unsigned(raw_length), bytes_word(raw_length), unsigned(p->program_size));
	else
		return 0;
	return 1;
}

// The chip of the run, and without --eeprom-size one as long as a raw image
// that is longer than the program memory.
static chip_plan chip_of(const run_options *opts, uint32_t raw_length)
{
	chip_plan plan = opts->plan;
	if (plan.chip_size == 0 && opts->image_form == FORM_RAW && raw_length > plan.program_size)
		plan.chip_size = raw_length;
	return plan;
}

// What --extract found in the image, to take it apart.
struct extract_state {
	int form;
	uint32_t raw_length;
	chip_plan plan;
	image_facts facts;
	info_request request;
	image_layout layout;
};

// Reads the image, reports on it, and checks that it can be taken apart
// and rebuilt. Returns 0 when it can, 1 after a failed check of an image
// that has been reported on, -1 after a failure before the report.
static int take_apart(const run_options *opts, read_back *b, extract_state *x)
{
	if (read_image(opts, opts->image_file, &b->img, &x->form, &x->raw_length) != 0)
		return -1;
	uint32_t raw_length = x->raw_length;
	x->plan = chip_of(opts, raw_length);
	x->request = info_request_of(opts, &x->plan, raw_length);
	image_findings found;
	if (report_image(&b->r, x->form, b->img, &x->request, 0, &x->facts) != 0 ||
	    check_raw_length(opts, raw_length) != 0)
		return 1;
	find_layout(b->img, &x->facts, &x->request, &x->layout, &found);
	return report_findings(&found) || check_third_name(opts, &x->layout) != 0;
}

// Writes cells first to end - 1 of img to a staged output as Intel HEX,
// address 0 at cell first.
static int write_part(staged_output *o, const image *img, uint32_t first, uint32_t end)
{
	FILE *out = open_staged(o);
	if (out == nullptr)
		return 1;
	const image_output part = {img, first, end, 0, 0, nullptr};
	FORMS[FORM_INTEL_HEX].write(out, &part);
	return close_staged(o, 0);
}

// Checks both outputs before anything is created, writes the new files
// beside them first, then the devices, and last a file written in place,
// and puts the new files in place only when both outputs are complete:
// after a failure no file that existed has changed (but one written in
// place) and no new file stays behind.
static int write_parts(const run_options *opts, const image_layout *l, const image *img)
{
	staged_output outputs[2] = {{opts->program_file, 0, nullptr, 0, nullptr, nullptr},
				    {opts->expert_file, 0, nullptr, 0, nullptr, nullptr}};
	const uint32_t first[2] = {l->program_first, l->expert_first};
	const uint32_t end[2] = {l->program_end, l->program_first};
	int n = opts->expert_file != nullptr ? 2 : 1;
	FILE *input = open_reported(opts->image_file, "rb");
	int failed = input == nullptr || stage_outputs(outputs, n, input) != 0;
	close_input(input);
	if (failed)
		return 1;
	for (int kind = OUTPUT_BESIDE; kind <= OUTPUT_IN_PLACE; kind++)
		for (int i = 0; i < n && !failed; i++)
			if (outputs[i].kind == kind)
				failed = write_part(&outputs[i], img, first[i], end[i]);
	return finish_staged(outputs, n, failed);
}

// The map comes last but for the command, which only an image taken apart
// has.
static int extract(const run_options *opts, read_back *b)
{
	extract_state x;
	int refused = take_apart(opts, b, &x);
	if (refused < 0)
		return 1;
	if (opts->map)
		report_map(&b->r, b->img, &x.plan, nullptr);
	// The report must have reached stdout before any file is written.
	int failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
	failed |= draw_image_read(opts, &x.plan, b->img, x.form, x.raw_length, &x.facts);
	if (refused != 0 || failed || write_parts(opts, &x.layout, b->img) != 0)
		return 1;
	return put_command(&b->r, opts, b->img, x.form, &x.plan);
}

int run_extract(const run_options *opts)
{
	return run_read_back(opts, OTHER_NONE, extract);
}
