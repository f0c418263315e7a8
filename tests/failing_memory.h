// Making the run's allocations fail, for the unit tests.
#ifndef TARNWICK_FAILING_MEMORY_H
#define TARNWICK_FAILING_MEMORY_H

// Lets n more allocations through run_realloc succeed and every later one
// fail; with -1, every one succeeds again.
void fail_allocations_after(int n);

#endif
