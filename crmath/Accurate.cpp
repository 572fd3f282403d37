// The accurate paths of CrMath, for the arguments its fast paths cannot round,
// in the wide arithmetic of CrMathWide.h.
//   sin, cos: |x| / (2 pi) modulo 1 within 2^-256 of a turn from 320 bits of
// 1 / (2 pi); after the nearest quarter turn is taken off, at least 2^-61 (in
// radians) is left for any double, so z is known within 2^-190 of itself;
// then the Taylor series until a term falls below 2^-200 of the sum. Error
// below 2^-180.
//   atan2, acos: the fast path's angle t (within 2^-60 of itself) improved by
// two Newton steps, on x sin t - |y| cos t = 0 for atan2 (the step is the
// tangent of the error: the error is cubed) and on cos t = |x| for acos (as
// 2 sin^2(t / 2) = 1 - |x| when |x| >= 1/2, which keeps a small t's relative
// accuracy; the error is squared), each step's correction divided in double
// precision: a step leaves at most 2^-50.7 of the error before it, and two
// leave less than 2^-160, plus 2^-180 from the arithmetic.
// The published worst cases of these functions in double precision lie no
// closer to a midpoint between doubles than about 2^-120 of their value:
// 2^-160 rounds every argument correctly.
#include <atomic>
#include <cstdint>

#include "crmath/Accurate.h"
#include "crmath/Arith.h"
#include "crmath/Atan.h"
#include "crmath/Detail.h"
#include "crmath/Wide.h"

namespace crmath::detail {
namespace {

using namespace wide;

std::atomic<uint64_t> accurateCalls{0};

// For the accurate paths: the special cases decided here.
bool SinCosSpecial(double x, TSinCosPair& r) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  if (ux >= kInfBits) {
    r = {x - x, x - x};
  } else if (ux < kCosIsOneBelow) {
    r = {x, 1.0};
  } else {
    return false;
  }
  return true;
}

// sin z and cos z for |z| <= 0.8 by their Taylor series, summed until a term
// falls below 2^-200 of the sum (the series alternate, and their terms fall).
void SinCosTaylor(const TMp& z, TMp& s, TMp& c) {
  const TMp z2 = Mul(z, z);
  s = z;
  TMp t = z;
  for (uint32_t k = 1;; ++k) {
    t = Neg(DivSmall(Mul(t, z2), (2 * k) * (2 * k + 1)));
    if (t.Zero() || t.Exp < s.Exp - 200) break;
    s = Add(s, t);
  }
  c = One();
  t = c;
  for (uint32_t k = 1;; ++k) {
    t = Neg(DivSmall(Mul(t, z2), (2 * k - 1) * (2 * k)));
    if (t.Zero() || t.Exp < c.Exp - 200) break;
    c = Add(c, t);
  }
}

// sin and cos of an angle in [-0.1, pi + 0.1].
void SinCosOfAngle(const TMp& th, TMp& s, TMp& c) {
  const double d = ToDouble(th);
  TMp s1, c1;
  if (d <= 0.785) {
    SinCosTaylor(th, s, c);
  } else if (d <= 2.356) {  // pi/2 - z
    SinCosTaylor(Sub(Pi(-1), th), s1, c1);
    s = c1;
    c = s1;
  } else {  // pi - z
    SinCosTaylor(Sub(Pi(), th), s1, c1);
    s = s1;
    c = Neg(c1);
  }
}

// |x| / (2 pi) - q / 4 for |x| >= 2^-27, the nearest quarter turn q / 4 taken
// off: within 2^-256 of a turn, from 320 bits of 1 / (2 pi).
TMp ReduceQuarter(double x, int& q) {
  const uint64_t ux = Bits(x) & ~(uint64_t(1) << 63);
  const int e = static_cast<int>(ux >> 52) - 1075;
  const uint64_t m = (ux & ((uint64_t(1) << 52) - 1)) | (uint64_t(1) << 52);
  const int p = e > 0 ? e : 0, t = e > 0 ? 0 : -e;
  const uint64_t* w = kInvTwoPi + (p >> 6);
  const int sh = p & 63;
  uint64_t v[5];  // most significant first
  for (int i = 0; i < 5; ++i) v[i] = sh ? (w[i] << sh) | (w[i + 1] >> (64 - sh)) : w[i];
  uint64_t pl[7] = {0, 0, 0, 0, 0, 0, 0};  // m * V, least significant first
  uint64_t carry = 0;
  for (int i = 0; i < 5; ++i) {
    const u128 prod = static_cast<u128>(m) * v[4 - i] + carry;
    pl[i] = static_cast<uint64_t>(prod);
    carry = static_cast<uint64_t>(prod >> 64);
  }
  pl[5] = carry;
  // F = (m V >> (64 + t)) mod 2^256, least significant first
  const int s = 64 + t, li = s >> 6, bo = s & 63;
  uint64_t f[4];
  for (int i = 0; i < 4; ++i) {
    const uint64_t lo = pl[li + i], hi = li + i + 1 < 7 ? pl[li + i + 1] : 0;
    f[i] = bo ? (lo >> bo) | (hi << (64 - bo)) : lo;
  }
  // + 1/8 turn; q the quarter; the rest minus 1/8 turn
  f[3] += uint64_t(1) << 61;
  q = static_cast<int>(f[3] >> 62);
  f[3] &= (uint64_t(1) << 62) - 1;
  const bool neg = !((f[3] >> 61) & 1);
  uint64_t mag[4];  // most significant first
  if (!neg) {
    mag[0] = f[3] & ((uint64_t(1) << 61) - 1);
    mag[1] = f[2];
    mag[2] = f[1];
    mag[3] = f[0];
  } else {  // 2^253 - F
    const uint64_t g[4] = {0, 0, 0, uint64_t(1) << 61};
    uint64_t borrow = 0, d[4];
    for (int i = 0; i < 4; ++i) {
      const u128 tt = static_cast<u128>(g[i]) - f[i] - borrow;
      d[i] = static_cast<uint64_t>(tt);
      borrow = static_cast<uint64_t>(tt >> 64) & 1;
    }
    mag[0] = d[3];
    mag[1] = d[2];
    mag[2] = d[1];
    mag[3] = d[0];
  }
  return Pack(mag, 4, 0, neg);
}

}  // namespace

uint64_t AccurateCalls() { return accurateCalls.load(std::memory_order_relaxed); }

TSinCosPair SinCosAccurate(double x) {
  accurateCalls.fetch_add(1, std::memory_order_relaxed);
  TSinCosPair special;
  if (SinCosSpecial(x, special)) return special;
  const double ax = x < 0 ? -x : x;
  TMp z;
  int q = 0;
  if (ax < 0.78)
    z = FromDouble(ax);
  else
    z = Mul(ReduceQuarter(ax, q), Pi(1));
  TMp s, c;
  SinCosTaylor(z, s, c);
  TMp rs = s, rc = c;
  switch (q) {
    case 1:
      rs = c, rc = Neg(s);
      break;
    case 2:
      rs = Neg(s), rc = Neg(c);
      break;
    case 3:
      rs = Neg(c), rc = s;
      break;
    default:
      break;
  }
  if (x < 0) rs = Neg(rs);
  return {ToDouble(rs), ToDouble(rc)};
}

double SinAccurate(double x) { return SinCosAccurate(x).Sin; }
double CosAccurate(double x) { return SinCosAccurate(x).Cos; }

double Atan2Accurate(double y, double x) {
  accurateCalls.fetch_add(1, std::memory_order_relaxed);
  double r;
  if (Atan2Special(y, x, r)) return r;
  TApprox a;
  plain::Atan2Fast(y, x, a);
  // The angle of (x, |y|) in [0, pi]: x sin t - |y| cos t = rho sin(t - angle).
  TMp th = Add(FromDouble(a.Hi), FromDouble(a.Lo));
  th.Neg = false;
  const TMp X = FromDouble(x), Y = FromDouble(y < 0 ? -y : y);
  for (int step = 0; step < 2; ++step) {
    TMp s, c;
    SinCosOfAngle(th, s, c);
    const TMp f = Sub(Mul(X, s), Mul(Y, c)), df = Add(Mul(X, c), Mul(Y, s));
    th = Sub(th, ApproxDiv(f, df));  // f / df = tan(t - angle)
  }
  r = ToDouble(th);
  return y < 0 ? -r : r;
}

double AcosAccurate(double x) {
  accurateCalls.fetch_add(1, std::memory_order_relaxed);
  double r;
  if (AcosSpecial(x, r)) return r;
  TApprox a;
  plain::AcosFast(x, a);
  const TMp th = Add(FromDouble(a.Hi), FromDouble(a.Lo));
  const double ax = x < 0 ? -x : x;
  TMp phi = x < 0 ? Sub(Pi(), th) : th;  // acos |x|, in [0, pi / 2]
  if (ax >= 0.5) {
    // 2 sin^2(phi / 2) = 1 - |x|, exact, keeps a small phi's relative accuracy.
    const TMp d = FromDouble(1 - ax);
    for (int step = 0; step < 2; ++step) {
      TMp s, c;
      SinCosTaylor(Scale2(phi, -1), s, c);
      const TMp g = Sub(Scale2(Mul(s, s), 1), d), dg = Scale2(Mul(s, c), 1);
      phi = Sub(phi, ApproxDiv(g, dg));
    }
  } else {
    const TMp A = FromDouble(ax);
    for (int step = 0; step < 2; ++step) {
      TMp s, c;
      SinCosOfAngle(phi, s, c);
      phi = Add(phi, ApproxDiv(Sub(c, A), s));
    }
  }
  return ToDouble(x < 0 ? Sub(Pi(), phi) : phi);
}

}  // namespace crmath::detail
