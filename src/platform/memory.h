// Memory for a run: every allocation that can fail goes through one function.
#ifndef TARNWICK_MEMORY_H
#define TARNWICK_MEMORY_H

#include <cstddef>

// realloc: a new block of size bytes when block is null, else block grown
// or shrunk to size bytes; null when out of memory, block then being left
// as it was. Free the memory with std::free. One function, so that a test
// can link its own in its place and make an allocation fail.
void *run_realloc(void *block, size_t size);

// calloc: a new block of size bytes, all 0; null when out of memory. A
// large block comes zeroed from the system, without a pass over it.
void *run_calloc(size_t size);

#endif
