// Counts the program's heap allocations, so that a test can show that a piece of work
// allocates nothing. Every operator new of the test program is counted.
#pragma once

#include <cstddef>

namespace ostrel::testing {

std::size_t allocationCount();

}  // namespace ostrel::testing
