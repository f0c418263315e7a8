// The progress of a long write on a terminal: a line redrawn in place, ended before any message.
#include "modes/progress.h"

#include <cinttypes>

#include "platform/platform.h"

// Pages that a run writes without a line of progress, and the least time
// between two drawings of it, in milliseconds.
constexpr uint32_t FEW_PAGES = 16;
constexpr uint64_t REDRAW_MS = 100;

void progress_begin(progress *p, uint32_t total)
{
	*p = progress{total > FEW_PAGES && is_terminal(stderr) ? stderr : nullptr, total, clock_ms(),
		      0, 0};
}

void progress_more(progress *p, uint32_t more)
{
	p->total += more;
}

// Tenths of a second, as "1.2 s".
static void put_seconds(char *text, size_t size, uint64_t ms)
{
	std::snprintf(text, size, "%" PRIu64 ".%" PRIu64 " s", ms / 1000, ms % 1000 / 100);
}

void progress_step(progress *p, uint32_t done, uint64_t bytes)
{
	uint64_t now = clock_ms();
	if (p->out == nullptr || (now - p->drawn_ms < REDRAW_MS && done < p->total))
		return;
	uint64_t spent = now - p->started_ms;
	uint64_t left = done > 0 ? spent * (p->total - done) / done : 0;
	char so_far[32], to_go[32];
	put_seconds(so_far, sizeof so_far, spent);
	put_seconds(to_go, sizeof to_go, left);
	std::fprintf(p->out, "\r%u of %u pages, %" PRIu64 " bytes, %s, %s left  ", unsigned(done),
		     unsigned(p->total), bytes, so_far, to_go);
	std::fflush(p->out);
	p->drawn_ms = now;
	p->drawn = 1;
}

void progress_end(progress *p)
{
	if (p->out != nullptr && p->drawn)
		std::fputc('\n', p->out);
	p->drawn = 0;
}
