// Memory for a run: every allocation that can fail goes through one function.
#include "platform/memory.h"

#include <cstdlib>

void *run_realloc(void *block, size_t size)
{
	return std::realloc(block, size);
}

void *run_calloc(size_t size)
{
	return std::calloc(1, size);
}
