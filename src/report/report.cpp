// A report of facts as "key: value" lines or as one JSON object on one line.
#include "report/report.h"

#include <cinttypes>
#include <cstring>

#include "report/diag.h"

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

// Writes the character or UTF-8 sequence at p as JSON string content;
// returns what follows it.
static const unsigned char *put_escaped(FILE *out, const unsigned char *p)
{
	char text[8];
	size_t n;
	p = escape_one(p, text, &n);
	std::fwrite(text, 1, n, out);
	return p;
}

size_t json_quote(const char *text, char *out)
{
	const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
	size_t used = 0, n;
	out[used++] = '"';
	while (*p != 0) {
		p = escape_one(p, out + used, &n);
		used += n;
	}
	out[used++] = '"';
	out[used] = '\0';
	return used;
}

void json_string(FILE *out, const char *text)
{
	const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
	std::fputc('"', out);
	while (*p != 0)
		p = put_escaped(out, p);
	std::fputc('"', out);
}

// Writes key as a JSON string with its blanks turned into underscores.
static void put_json_key(FILE *out, const char *key)
{
	const unsigned char *p = reinterpret_cast<const unsigned char *>(key);
	std::fputc('"', out);
	while (*p != 0) {
		if (*p == ' ') {
			std::fputc('_', out);
			p++;
		} else {
			p = put_escaped(out, p);
		}
	}
	std::fputc('"', out);
}

// Writes "key: " or, in JSON, the separator and "key":.
static void put_key(report *r, const char *key)
{
	if (!r->json) {
		std::fprintf(r->out, "%s: ", key);
	} else {
		if (r->keys > 0)
			std::fputc(',', r->out);
		put_json_key(r->out, key);
		std::fputc(':', r->out);
	}
	r->keys++;
}

// Writes the value for "unknown", and ends the line in text.
static void put_unknown_and_end(report *r)
{
	std::fputs(r->json ? "null" : "unknown\n", r->out);
}

void report_begin(report *r, FILE *out, int json)
{
	r->out = out;
	r->json = json != 0;
	r->keys = 0;
	if (r->json)
		std::fputc('{', out);
}

void report_text(report *r, const char *key, const char *value)
{
	put_key(r, key);
	if (value == nullptr)
		put_unknown_and_end(r);
	else if (r->json)
		json_string(r->out, value);
	else
		std::fprintf(r->out, "%s\n", value);
}

void report_number(report *r, const char *key, int64_t value)
{
	put_key(r, key);
	if (value < 0)
		put_unknown_and_end(r);
	else if (r->json)
		std::fprintf(r->out, "%" PRId64, value);
	else
		std::fprintf(r->out, "%" PRId64 "\n", value);
}

void report_unsigned(report *r, const char *key, uint64_t value)
{
	put_key(r, key);
	std::fprintf(r->out, r->json ? "%" PRIu64 : "%" PRIu64 "\n", value);
}

void report_list_begin(report *r, const char *key, const char *legend)
{
	put_key(r, key);
	r->items = 0;
	if (r->json)
		std::fputc('[', r->out);
	else
		std::fprintf(r->out, "%s\n", legend);
}

void report_list_item(report *r, const char *text)
{
	if (!r->json) {
		std::fprintf(r->out, "  %s\n", text);
		return;
	}
	if (r->items++ > 0)
		std::fputc(',', r->out);
	json_string(r->out, text);
}

void report_list_end(report *r)
{
	if (r->json)
		std::fputc(']', r->out);
}

void report_end(report *r)
{
	if (r->json) {
		std::fputs(r->keys > 0 ? ",\"errors\":[" : "\"errors\":[", r->out);
		for (int i = 0; i < diag_count(); i++) {
			if (i > 0)
				std::fputc(',', r->out);
			json_string(r->out, diag_line(i));
		}
		std::fputs("]}\n", r->out);
	}
	std::fflush(r->out);
}
