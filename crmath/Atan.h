// The fast paths of the arctangent and the arccosine, and the special
// arguments of both, on either build (Arith.h); the method is described in
// CrMath.cpp.
#pragma once

#include <cstdint>

#include "crmath/Arith.h"
#include "crmath/Detail.h"

namespace crmath::detail {
namespace {

// ---- arctangent -------------------------------------------------------------------------------

// Error bounds of the fast arctangent (see CrMath.cpp): in proportion to the
// terms of second and higher order, and to the result.
constexpr double kErrPoly = 0x1.4p-49, kErrResult = 0x1p-78;

// b + sigma atan q for q = qh + ql in [0, 1] (|ql| <= 2^-52 qh), b one of 0,
// pi / 2, pi (given as bh + bl), sigma = +-1 with b >= pi / 2 when sigma = -1.
template <bool kFma>
CR_INLINE TApprox AtanKernel(double qh, double ql, double bh, double bl, double sigma) {
  // The nearest c = i / 256, and d = qh - c exact: |d| <= 1/512, except below
  // 0x1.02p-9, where c = 0 and d = qh < 1.0079 / 512.
  constexpr double kRound = 0x1.8p52;  // adding it rounds to an integer
  const double k = qh < 0x1.02p-9 ? kRound : qh * kAtanSteps + kRound;
  const double d = qh - (k - kRound) * (1.0 / kAtanSteps);
  const double* t = kAtanTable[Bits(k) & 511];
  // atan(c + d + ql) = T0 + T1 d + d^2 (T2 + T3 d + ... + T8 d^6)
  //                    + ql (T1 + 2 T2 d + 3 T3 d^2) + O(d^9) + O(ql^2)
  const double d2 = d * d;
  const double p = (t[4] + d * t[5]) + d2 * ((t[6] + d * t[7]) + d2 * ((t[8] + d * t[9]) + d2 * t[10]));
  const double p2 = d2 * p;
  double h, e;  // T1 d = h + e exactly, |e| <= 2^-53 |h|
  if constexpr (kFma) {
    h = t[2] * d;
    e = __builtin_fma(t[2], d, -h);
  } else {  // T1's 26-bit head times either half of d is exact
    constexpr double kSplit = 0x1p27 + 1;
    const double cd = kSplit * d, dh = cd - (cd - d);
    const TDd m = FastTwoSum(t[2] * dh, t[2] * (d - dh));
    h = m.H;
    e = m.L;
  }
  const TDd r0 = FastTwoSum(t[0], h);
  const TDd r1 = FastTwoSum(r0.H, p2);
  const double lo = (r0.L + r1.L) + (((t[1] + e) + t[3] * d) + ql * ((t[2] + t[3]) + d * (2 * t[4] + 3 * t[5] * d)));
  const TDd s0 = FastTwoSum(bh, sigma * r1.H);
  const double s1 = s0.L + (bl + sigma * lo);
  return {s0.H, s1, kErrPoly * Abs(p2) + kErrResult * Abs(s0.H)};
}

// atan2 of finite, nonzero y and x whose result is not decided by the tiny
// ratio rule (see CrMath.cpp).
template <bool kFma>
CR_INLINE TApprox Atan2Kernel(double y, double x) {
  const double ax = Abs(x), ay = Abs(y);
  double d = ax > ay ? ax : ay, n = ax > ay ? ay : ax;
  // Outside [2^-900, 2^900] both are scaled into [1, 2) by the same factor
  // (exactly, unless the ratio is so small that only its order matters);
  // inside, no product or remainder below over- or underflows.
  if (!(d > 0x1p-900 && d < 0x1p900)) {
    const double k = d < 1 ? 0x1p600 : 0x1p-600;
    d *= k;
    n *= k;
    const double scale = FromBits((2046 - (Bits(d) >> 52)) << 52);
    d *= scale;
    n *= scale;
  }
  // q = n / d = qh + ql: the remainder of a rounded quotient is a double.
  const double qh = n / d, inv = 1 / d;
  const TDd r = TwoProd<kFma>(qh, d);
  const double ql = ((n - r.H) - r.L) * inv;
  // x > 0: atan q, or pi/2 - atan q; x < 0: pi - atan q, or pi/2 + atan q
  static constexpr double kB[4][3] = {{0, 0, 1},
                                      {kPiHi, kPiLo, -1},
                                      {0.5 * kPiHi, 0.5 * kPiLo, -1},
                                      {0.5 * kPiHi, 0.5 * kPiLo, 1}};
  const double* b = kB[(ay > ax) * 2 + (x < 0)];
  TApprox a = AtanKernel<kFma>(qh, ql, b[0], b[1], b[2]);
  if (y < 0) a.Hi = -a.Hi, a.Lo = -a.Lo;
  return a;
}

// acos x for |x| < 1: the direction of (x, sqrt(1 - x^2)).
template <bool kFma>
CR_INLINE TApprox AcosKernel(double x) {
  const double ax = Abs(x);
  TDd t;  // 1 - x^2
  if (ax >= 0.5) {
    const double d = 1 - ax;  // exact
    const TDd e = FastTwoSum(1, ax);
    const TDd p = TwoProd<kFma>(d, e.H);
    t = {p.H, p.L + d * e.L};
  } else {
    const TDd sq = TwoProd<kFma>(ax, ax);
    const TDd d = FastTwoSum(1, -sq.H);
    t = {d.H, d.L - sq.L};
  }
  // s = sqrt(t): s.H + s.L within 2^-102 s
  const double sh = __builtin_sqrt(t.H);
  const TDd p = TwoProd<kFma>(sh, sh);
  const double sl = (((t.H - p.H) - p.L) + t.L) / (2 * sh);
  // q: the smaller of s and |x| over the larger (at least 1 / sqrt 2)
  double qh, ql, bh = 0, bl = 0, sigma = 1;
  if (sh <= ax) {  // atan(s / |x|), or pi - that
    qh = sh / ax;
    const TDd r = TwoProd<kFma>(qh, ax);
    ql = (((sh - r.H) - r.L) + sl) / ax;
    if (x < 0) bh = kPiHi, bl = kPiLo, sigma = -1;
  } else {  // pi/2 -+ atan(|x| / s)
    qh = ax / sh;
    const TDd r = TwoProd<kFma>(qh, sh);
    ql = (((ax - r.H) - r.L) - qh * sl) / sh;
    bh = 0.5 * kPiHi, bl = 0.5 * kPiLo;
    sigma = x < 0 ? 1 : -1;
  }
  return AtanKernel<kFma>(qh, ql, bh, bl, sigma);
}

// ---- special arguments ------------------------------------------------------------------------

// atan2 = +-RN(|y| / x) when x > 0 and |y| / x < 2^-54: the exact quotient of
// two doubles lies at least 2^-107 of itself away from every midpoint between
// normal doubles, farther than atan q from q. Among subnormals the quotient
// can be a midpoint itself, an odd multiple of 2^-1075, and atan q, a little
// below it, then rounds down.
inline double TinyRatio(double ay, double ax) {
  double r = ay / ax;
  if (r <= 0x1p-1022) {
    auto odd = [](double a, uint64_t& n, int& k) {  // a = n 2^k, n odd
      const uint64_t b = Bits(a), e = b >> 52;
      n = e ? (b & ((uint64_t(1) << 52) - 1)) | (uint64_t(1) << 52) : b;
      k = e ? static_cast<int>(e) - 1075 : -1074;
      const int tz = __builtin_ctzll(n);
      n >>= tz;
      k += tz;
    };
    uint64_t ny, nx;
    int ky, kx;
    odd(ay, ny, ky);
    odd(ax, nx, kx);
    if (ky - kx == -1075 && ny % nx == 0) r = FromBits((ny / nx - 1) / 2);
  }
  return r;
}

// Special arguments of atan2: true with the result in r.
CR_INLINE bool Atan2Special(double y, double x, double& r) {
  const uint64_t bx = Bits(x), by = Bits(y), ux = bx & ~kSignBit, uy = by & ~kSignBit;
  const int ex = static_cast<int>(ux >> 52), ey = static_cast<int>(uy >> 52);
  // Finite, nonzero, and not the tiny ratio rule: the common case first.
  if (static_cast<unsigned>(ex - 1) < 2046u && static_cast<unsigned>(ey - 1) < 2046u &&
      (bx >> 63 || ey - ex > -55))
    return false;
  const double sy = by >> 63 ? -1.0 : 1.0;
  if (ux > kInfBits || uy > kInfBits) {
    r = x + y;
  } else if (uy == 0) {
    r = bx >> 63 ? sy * kPiHi : y;
  } else if (ux == 0) {
    r = sy * (0.5 * kPiHi);
  } else if (ux == kInfBits) {
    if (uy == kInfBits)
      r = sy * (bx >> 63 ? kThreeQuarterPi : 0.25 * kPiHi);
    else
      r = bx >> 63 ? sy * kPiHi : sy * 0.0;
  } else if (uy == kInfBits) {
    r = sy * (0.5 * kPiHi);
  } else if (bx >> 63 || (ey > 1 ? ey : 1) - (ex > 1 ? ex : 1) > -55) {
    return false;  // subnormal, but not the tiny ratio rule
  } else {
    r = sy * TinyRatio(FromBits(uy), FromBits(ux));
  }
  return true;
}

// Special arguments of acos: true with the result in r.
CR_INLINE bool AcosSpecial(double x, double& r) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  if (ux < uint64_t(0x3ff) << 52) return false;  // |x| < 1
  if (ux > kInfBits)
    r = x + x;
  else if (x == 1)
    r = 0;
  else if (x == -1)
    r = kPiHi;
  else
    r = (x - x) / (x - x);  // NaN, with the invalid exception
  return true;
}

}  // namespace
}  // namespace crmath::detail
