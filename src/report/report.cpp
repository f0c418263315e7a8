// A report of facts as "key: value" lines or as one JSON object on one line.
#include "report/report.h"

#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "report/diag.h"
#include "report/text_buffer.h"

// Length of the valid UTF-8 sequence that begins at p, 1 to 4, or 0 when the
// byte at p begins none (RFC 3629: no overlong form, surrogate or code point
// above U+10FFFF). The null character ends every sequence early.
static int utf8_length(const unsigned char *p)
{
	unsigned char lead = p[0];
	int n = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
	if (n < 2)
		return n;
	unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
	unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
	if (p[1] < low || p[1] > high)
		return 0;
	for (int k = 2; k < n; k++)
		if ((p[k] & 0xC0) != 0x80)
			return 0;
	return n;
}

// The letter of a two-character escape for ch, or 0 when it has none.
static int short_escape(unsigned char ch)
{
	switch (ch) {
	case '"': return '"';
	case '\\': return '\\';
	case '\n': return 'n';
	case '\t': return 't';
	case '\r': return 'r';
	case '\b': return 'b';
	case '\f': return 'f';
	default: return 0;
	}
}

// U+FFFD, the replacement character, in UTF-8.
static const char REPLACEMENT[] = "\xEF\xBF\xBD";

// Puts the character or UTF-8 sequence at p as JSON string content into
// text (room for 7 characters), a byte that begins no sequence as U+FFFD;
// returns what follows it, and in *n the characters put.
static const unsigned char *escape_one(const unsigned char *p, char *text, size_t *n)
{
	int escape = short_escape(*p);
	int length = utf8_length(p);
	if (escape != 0)
		*n = size_t(std::snprintf(text, 8, "\\%c", escape));
	else if (length == 0)
		*n = size_t(std::snprintf(text, 8, "%s", REPLACEMENT));
	else if (*p < 0x20)
		*n = size_t(std::snprintf(text, 8, "\\u%04X", *p));
	else
		std::memcpy(text, p, *n = size_t(length));
	return p + (length > 0 ? length : 1);
}

// Writes n characters of text to the report's stream, or behind the text
// it keeps in memory.
static void put(report *r, const char *text, size_t n)
{
	if (r->out != nullptr)
		std::fwrite(text, 1, n, r->out);
	else
		text_append(&r->kept, text, n);
}

static void put_text(report *r, const char *text)
{
	put(r, text, std::strlen(text));
}

static void put_char(report *r, char ch)
{
	put(r, &ch, 1);
}

// A number, in decimal.
static void put_decimal(report *r, uint64_t value)
{
	char text[32];
	int n = std::snprintf(text, sizeof text, "%" PRIu64, value);
	put(r, text, size_t(n));
}

// Writes text as a JSON string, the blanks of a key (with key) as
// underscores.
static void put_json_string(report *r, const char *text, bool key)
{
	const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
	char piece[8];
	size_t n;
	put_char(r, '"');
	while (*p != 0) {
		if (key && *p == ' ') {
			put_char(r, '_');
			p++;
			continue;
		}
		p = escape_one(p, piece, &n);
		put(r, piece, n);
	}
	put_char(r, '"');
}

void json_string(FILE *out, const char *text)
{
	report r = {};
	r.out = out;
	put_json_string(&r, text, false);
}

// Writes "key: " or, in JSON, the separator and "key":.
static void put_key(report *r, const char *key)
{
	if (!r->json) {
		put_text(r, key);
		put_text(r, ": ");
	} else {
		if (r->keys > 0)
			put_char(r, ',');
		put_json_string(r, key, true);
		put_char(r, ':');
	}
	r->keys++;
}

// Writes the value for "unknown", and ends the line in text.
static void put_unknown_and_end(report *r)
{
	put_text(r, r->json ? "null" : "unknown\n");
}

// Ends a value's line in text.
static void end_line(report *r)
{
	if (!r->json)
		put_char(r, '\n');
}

void report_begin(report *r, FILE *out, int json)
{
	*r = report{};
	r->out = out;
	r->json = json != 0;
	if (r->json)
		put_char(r, '{');
}

void report_begin_in_memory(report *r)
{
	report_begin(r, nullptr, 1);
}

void report_text(report *r, const char *key, const char *value)
{
	put_key(r, key);
	if (value == nullptr) {
		put_unknown_and_end(r);
		return;
	}
	if (r->json)
		put_json_string(r, value, false);
	else
		put_text(r, value);
	end_line(r);
}

void report_number(report *r, const char *key, int64_t value)
{
	put_key(r, key);
	if (value < 0) {
		put_unknown_and_end(r);
		return;
	}
	put_decimal(r, uint64_t(value));
	end_line(r);
}

void report_unsigned(report *r, const char *key, uint64_t value)
{
	put_key(r, key);
	put_decimal(r, value);
	end_line(r);
}

void report_list_begin(report *r, const char *key, const char *legend)
{
	put_key(r, key);
	r->items = 0;
	if (r->json) {
		put_char(r, '[');
		return;
	}
	put_text(r, legend);
	put_char(r, '\n');
}

void report_list_item(report *r, const char *text)
{
	if (!r->json) {
		put_text(r, "  ");
		put_text(r, text);
		put_char(r, '\n');
		return;
	}
	if (r->items++ > 0)
		put_char(r, ',');
	put_json_string(r, text, false);
}

void report_list_end(report *r)
{
	if (r->json)
		put_char(r, ']');
}

void report_numbers(report *r, const char *key, const char *json_key, const uint32_t *values,
		    size_t count)
{
	if (!r->json) {
		for (size_t i = 0; i < count; i++)
			report_unsigned(r, key, values[i]);
		return;
	}
	put_key(r, json_key);
	put_char(r, '[');
	for (size_t i = 0; i < count; i++) {
		if (i > 0)
			put_char(r, ',');
		put_decimal(r, values[i]);
	}
	put_char(r, ']');
}

char *report_end_in_memory(report *r, size_t *length)
{
	put_text(r, "}\n");
	*length = r->kept.used;
	if (!r->kept.failed)
		return r->kept.text;
	std::free(r->kept.text);
	return nullptr;
}

void report_end(report *r)
{
	if (r->json) {
		put_text(r, r->keys > 0 ? ",\"errors\":[" : "\"errors\":[");
		for (int i = 0; i < diag_count(); i++) {
			if (i > 0)
				put_char(r, ',');
			put_json_string(r, diag_line(i), false);
		}
		put_text(r, "]}\n");
	}
	std::fflush(r->out);
}
