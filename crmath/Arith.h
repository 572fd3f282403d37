// The arithmetic under the fast paths of CrMath: bits, exact sums and
// products, the rounding test. Like the fast paths, written once for both
// builds (kFma = false: plain double arithmetic, exact products by splitting;
// kFma = true: fused multiply-adds), with internal linkage, so that the two
// units that build them share no code.
#pragma once

#include <cstdint>
#include <cstring>

#include "crmath/Detail.h"

namespace crmath::detail {
namespace {

using u128 = unsigned __int128;
using i128 = __int128;

#define CR_INLINE inline __attribute__((always_inline))

CR_INLINE uint64_t Bits(double x) {
  uint64_t u;
  std::memcpy(&u, &x, sizeof u);
  return u;
}
CR_INLINE double FromBits(uint64_t u) {
  double x;
  std::memcpy(&x, &u, sizeof x);
  return x;
}
CR_INLINE double Abs(double x) { return __builtin_fabs(x); }
// 2^k for -1074 <= k <= 1023.
CR_INLINE double Pow2(int k) {
  return k >= -1022 ? FromBits(static_cast<uint64_t>(k + 1023) << 52) : FromBits(uint64_t(1) << (k + 1074));
}

constexpr uint64_t kSignBit = uint64_t(1) << 63, kInfBits = uint64_t(0x7ff) << 52;
// |x| below 2^-26 (the bits of |x| below these): x^3 / 6 lies below half the
// gap under x, and sin x rounds to x.
constexpr uint64_t kSinIsXBelow = uint64_t(1023 - 26) << 52;
// |x| below 2^-27: 1 - cos x < x^2 / 2 < 2^-55, and cos x rounds to 1. The
// fast and accurate paths of the sine and cosine start here.
constexpr uint64_t kCosIsOneBelow = uint64_t(1023 - 27) << 52;

struct TDd {
  double H, L;
};

// Exact sums and products (Dekker, Knuth).
CR_INLINE TDd FastTwoSum(double a, double b) {  // |a| >= |b|, or a == 0
  const double s = a + b;
  return {s, b - (s - a)};
}
CR_INLINE TDd TwoSum(double a, double b) {
  const double s = a + b, bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}
template <bool kFma>
CR_INLINE TDd TwoProd(double a, double b) {
  const double p = a * b;
  if constexpr (kFma) {
    return {p, __builtin_fma(a, b, -p)};
  } else {
    constexpr double kSplit = 0x1p27 + 1;
    const double ca = kSplit * a, ah = ca - (ca - a), al = a - ah;
    const double cb = kSplit * b, bh = cb - (cb - b), bl = b - bh;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
  }
}

// Correct rounding of Hi + Lo when the exact value lies within Err of it:
// both ends of the interval round alike. Err carries a margin of its own for
// the rounding of Lo +- Err.
CR_INLINE bool RoundTest(const TApprox& a, double& out) {
  const double up = a.Hi + (a.Lo + a.Err), down = a.Hi + (a.Lo - a.Err);
  out = up;
  return up == down;
}

}  // namespace
}  // namespace crmath::detail
