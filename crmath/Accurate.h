// The accurate paths of CrMath taken apart, for its checker and benchmark:
// one precision at a time, with the bound each result is rounded by, and how
// many calls each precision decided.
#pragma once

#include <cstdint>

#include "crmath/Wide.h"

namespace crmath::detail {

// A result at one precision: Value within 2^ErrExp of the exact value.
struct TWide {
  wide::TMp Value;
  int ErrExp;
};

// Level L computes with 64 n bits, n = 3 2^L. The arguments are those the
// fast path takes (SinCosFast, Atan2Fast, AcosFast true).
void SinCosAt(double x, int level, TWide& s, TWide& c);
TWide Atan2At(double y, double x, int level);
TWide AcosAt(double x, int level);

// How many calls of the accurate paths (all threads) each level decided; the
// last counts those above it too.
enum class TFunction { SinCos, Atan2, Acos };
constexpr int kCountedLevels = 4;
uint64_t AccurateCount(TFunction f, int level);

}  // namespace crmath::detail
