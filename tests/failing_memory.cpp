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

// Whether the next allocation succeeds, counted.
static bool may_allocate()
{
	if (allocations_left == 0)
		return false;
	if (allocations_left > 0)
		allocations_left--;
	return true;
}

void *run_realloc(void *block, size_t size)
{
	return may_allocate() ? std::realloc(block, size) : nullptr;
}

void *run_calloc(size_t size)
{
	return may_allocate() ? std::calloc(1, size) : nullptr;
}
