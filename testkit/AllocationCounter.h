#pragma once

// A program that links wz_allocation_counter has its global allocation functions replaced by
// ones that count every operator new call (all threads). Tests and benchmarks compare the
// count before and after a region that must not touch the heap.

#include <cstddef>

namespace wz::testkit {

// operator new and operator new[] calls made by this program so far.
long AllocationCount();

// The largest single operator new request since the last call (or the start), and starts
// over, so that a test can bound what one region asks for.
std::size_t TakeLargestAllocation();

} // namespace wz::testkit
