// The arguments CrMath is checked on: random ones of many kinds, and hard
// ones, whose exact results lie very near a midpoint between doubles, so that
// the fast paths cannot round them and a library that errs by more than its
// bounds claim rounds some of them the wrong way.
#pragma once

#include <cstdint>

namespace mpfrcheck {

// A call to check: sin and cos of X, atan2(Y, X), or acos X.
enum class TKind { SinCos, Atan2, Acos };
struct TCall {
  TKind Kind;
  double Y, X;
};

// The calls of the n-th random argument: one, or a handful for a sub-step of
// an elliptical arc as its measure takes it. out has room for kMaxCalls.
constexpr int kMaxCalls = 8;
int RandomCalls(uint64_t n, uint64_t seed, TCall* out);

// The i-th hard argument of a kind, its random parts drawn from r.
enum class THardKind { CosNearOne, SinNearMidpoint, AcosNearHalfPi, Atan2NearMidpoint };
constexpr int kHardKinds = 4;
TCall MakeHard(THardKind kind, uint64_t i, uint64_t r);

// Arguments known to be hard, from searches: the doubles nearest multiples of
// pi / 2, and the published worst cases of the sine and the cosine.
extern const double kNearPi2[14];
extern const double kWorstSin[5];
extern const double kWorstCos[6];
// The continued-fraction search behind kNearPi2, printed.
void NearPi2Search();

}  // namespace mpfrcheck
