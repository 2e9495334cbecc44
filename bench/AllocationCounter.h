#pragma once

#include <atomic>
#include <cstddef>

namespace tavix::bench {

// Heap allocations made by this process so far (operator new is replaced in the benchmark).
std::size_t allocationCount();

}  // namespace tavix::bench
