// The unit tests' own run_realloc, linked in place of the library's, which can be made to fail.
#include <cstdlib>

#include "failing_memory.h"
#include "platform/memory.h"

// Allocations that succeed before every later one fails; -1: all succeed.
static int allocations_left = -1;

void fail_allocations_after(int n)
{
	allocations_left = n;
}

void *run_realloc(void *block, size_t size)
{
	if (allocations_left == 0)
		return nullptr;
	if (allocations_left > 0)
		allocations_left--;
	return std::realloc(block, size);
}
