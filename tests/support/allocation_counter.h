// allocation_counter.h — for tests that a piece of work allocates nothing: a
// program that links test_allocation_counter counts every operator new (of
// any thread) from its start.
#pragma once

namespace test_support {

// Allocations made through operator new so far.
long AllocationCount();

}  // namespace test_support
