// The accurate paths of CrMath taken apart, for its checker and benchmark.
#pragma once

#include <cstdint>

namespace crmath::detail {

// How many calls reached the accurate paths (all threads).
uint64_t AccurateCalls();

}  // namespace crmath::detail
