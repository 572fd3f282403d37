// The accurate paths of CrMath, for the arguments its fast paths cannot
// round: Ziv's loop. At level L = 0, 1, 2, ... a function is evaluated with
// 64 n bits, n = 3 2^L, in the arithmetic of Wide.h (u = 2^(1 - 64 n) below),
// together with a proven bound on its error; the result is returned once
// every number within that bound rounds to the same double (RoundsAlike),
// else the next level computes it again.
//
// The loop ends, and no result is exact. Every exact value that reaches it is
// transcendental: sin x and cos x for a double x != 0 (Lindemann and
// Weierstrass: sin a, cos a and tan a are transcendental for an algebraic
// a != 0); atan2(y, x) for finite nonzero x and y, an angle t != 0 with
// tan t = y / x rational; acos x for |x| < 1, an angle t != 0 with cos t = x.
// So it is neither a double nor a midpoint between two, and the level whose
// bound falls below its distance from the nearest midpoint decides it. The
// exact cases are all decided before any path runs: sin(+-0), cos 0,
// atan2 with a zero or an infinity, acos(+-1); and so are the tiny arguments
// whose result lies within less than half a gap of a double (CrMath.cpp).
//
// sin, cos. |x| < 0.78 is z itself. Otherwise |x| / (2 pi) modulo 1 from
// n + 2 words of 1 / (2 pi), within 2^-(64 (n + 1)) (1 + 2^-10) of a turn,
// less the nearest quarter turn; z is the rest times 2 pi, |z| <= pi / 4,
// within 3.1 u |z| + 2^(3 - 64 (n + 1)). The Taylor series of sin z and
// cos z alternate with falling terms; summed until a term falls below
// 2^-(64 n + 8) of the sum, K terms at most, they err by less than
// (1.13 K + 0.4) u |sin z| and (1.43 K + 1.5) u |cos z| (the k-th term by
// 3 k u; |sin z| >= 0.9 |z|, cos z >= 0.7). For either result r, as
// |z| <= 1.12 |r|: within (1.5 K + 6) u |r| + 2^(3 - 64 (n + 1)).
//
// atan2, acos. The angle t in (0, pi) of (X, Y), Y > 0, is improved from the
// fast path's, within e: X = x, Y = |y| for atan2; X = x, Y = sqrt(1 - x^2)
// for acos, within 3.6 u, which moves the angle by less than 4 u of itself.
// Newton's step on f(t) = X sin t - Y cos t = rho sin(t - angle) is
// f / f' = tan(t - angle), and leaves e - tan e, below 0.34 e^3 for e < 0.1.
// Computed at 64 n bits (sin and cos within (1.5 K + 2) u of themselves
// below pi / 4, and within that plus 4 u past it, where pi / 2 - t or pi - t
// is taken first), a step adds less than (4.5 K + 38) u |t|. The steps go on
// while the cubed error is the larger.
#include "crmath/Accurate.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "crmath/Arith.h"
#include "crmath/Atan.h"
#include "crmath/Detail.h"
#include "crmath/Wide.h"

namespace crmath::detail {
namespace {

using namespace wide;

std::atomic<uint64_t> counts[3][kCountedLevels];

void Count(TFunction f, int level) {
  counts[static_cast<int>(f)][std::min(level, kCountedLevels - 1)].fetch_add(1, std::memory_order_relaxed);
}

int Limbs(int level) { return 3 << level; }

// The least k with v <= 2^k, for v >= 1.
int CeilLog2(uint64_t v) { return v > 1 ? 64 - __builtin_clzll(v - 1) : 0; }
// A k with |v| <= 2^k.
int ExpAbove(double v) {
  const int e = static_cast<int>((Bits(v) >> 52) & 0x7ff);
  return (e ? e : 1) - 1022;
}

// The bound of (rel u |v| + 2^absExp) as a power of two, rel >= 1 an integer.
int ErrExp(const TMp& v, uint64_t rel, int absExp) {
  const int relExp = CeilLog2(rel) + 1 - 64 * v.Limbs() + v.Exp;
  return std::max(relExp, absExp) + 1;
}

// sin z and cos z for |z| <= 0.8 by their Taylor series, each summed until a
// term falls below 2^-(64 n + 8) of the sum; the number of terms of the
// longer.
int SinCosTaylor(const TMp& z, TMp& s, TMp& c) {
  const int n = z.Limbs(), stop = 64 * n + 8;
  const TMp z2 = Mul(z, z);
  uint32_t terms = 1;
  s = z;
  TMp t = z;
  for (uint32_t k = 1;; ++k) {
    t = Neg(DivSmall(Mul(t, z2), (2 * k) * (2 * k + 1)));
    if (t.Zero() || t.Exp < s.Exp - stop) break;
    s = Add(s, t);
    terms = std::max(terms, k + 1);
  }
  c = One(n);
  t = c;
  for (uint32_t k = 1;; ++k) {
    t = Neg(DivSmall(Mul(t, z2), (2 * k - 1) * (2 * k)));
    if (t.Zero() || t.Exp < c.Exp - stop) break;
    c = Add(c, t);
    terms = std::max(terms, k + 1);
  }
  return static_cast<int>(terms);
}

// sin and cos of an angle in [0, pi + 0.1], through pi / 2 - t or pi - t
// where t passes pi / 4.
int SinCosOfAngle(const TMp& t, TMp& s, TMp& c) {
  const int n = t.Limbs();
  const double d = ToDouble(t);
  if (d <= 0.785) return SinCosTaylor(t, s, c);
  TMp s1(n), c1(n);
  if (d <= 2.356) {
    const int k = SinCosTaylor(Sub(Pi(n, -1), t), s1, c1);
    s = c1;
    c = s1;
    return k;
  }
  const int k = SinCosTaylor(Sub(Pi(n), t), s1, c1);
  s = s1;
  c = Neg(c1);
  return k;
}

// |x| / (2 pi) - q / 4 in turns for |x| >= 0.78, the nearest quarter turn
// q / 4 taken off: within 2^-(64 (n + 1)) (1 + 2^-10) of a turn.
TMp ReduceQuarter(double x, int n, int& q) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  const int e = static_cast<int>(ux >> 52) - 1075;  // |x| = m 2^e, e >= -53
  const uint64_t m = (ux & ((uint64_t(1) << 52) - 1)) | (uint64_t(1) << 52);
  // V: n + 2 words of 1 / (2 pi) from bit p + 1 on; the bits before p add
  // whole turns only.
  const int p = e > 0 ? e : 0, t = e > 0 ? 0 : -e, sh = p & 63;
  TLimbs w(n + 3), v(n + 2);
  InvTwoPiWords(p >> 6, n + 3, w.Data());
  for (int i = 0; i < n + 2; ++i) v[i] = sh ? (w[i] << sh) | (w[i + 1] >> (64 - sh)) : w[i];
  TLimbs pl(n + 3);  // m V, least significant first
  uint64_t carry = 0;
  for (int i = 0; i < n + 2; ++i) {
    const u128 prod = static_cast<u128>(m) * v[n + 1 - i] + carry;
    pl[i] = static_cast<uint64_t>(prod);
    carry = static_cast<uint64_t>(prod >> 64);
  }
  pl[n + 2] = carry;
  // F = (m V >> (64 + t)) mod 2^(64 (n + 1)), least significant first
  TLimbs f(n + 1);
  for (int i = 0; i < n + 1; ++i) f[i] = t ? (pl[i + 1] >> t) | (pl[i + 2] << (64 - t)) : pl[i + 1];
  // + 1/8 turn; q the quarter; the rest minus 1/8 turn
  f[n] += uint64_t(1) << 61;
  q = static_cast<int>(f[n] >> 62);
  f[n] &= (uint64_t(1) << 62) - 1;
  const bool neg = !((f[n] >> 61) & 1);
  TLimbs mag(n + 1);  // most significant first
  if (!neg) {
    mag[0] = f[n] & ((uint64_t(1) << 61) - 1);
    for (int i = 1; i < n + 1; ++i) mag[i] = f[n - i];
  } else {  // 2^(64 n + 61) - F
    uint64_t borrow = 0;
    for (int i = 0; i < n + 1; ++i) {
      const u128 d = static_cast<u128>(i == n ? uint64_t(1) << 61 : 0) - f[i] - borrow;
      mag[n - i] = static_cast<uint64_t>(d);
      borrow = static_cast<uint64_t>(d >> 64) & 1;
    }
  }
  return Pack(mag.Data(), n + 1, 0, neg, n);
}

// The angle of (X, Y), Y > 0, from t within 2^le of it (see the top).
TWide AngleOf(const TMp& X, const TMp& Y, TMp t, int le) {
  const int n = X.Limbs();
  for (;;) {
    TMp s(n), c(n);
    const int terms = SinCosOfAngle(t, s, c);
    const TMp f = Sub(Mul(X, s), Mul(Y, c)), df = Add(Mul(X, c), Mul(Y, s));
    t = Sub(t, Div(f, df));
    const int cubed = 3 * le - 1, own = ErrExp(t, 5 * static_cast<uint64_t>(terms) + 40, INT32_MIN / 2) - 1;
    le = std::max(cubed, own) + 1;
    if (cubed <= own) return {t, le};
  }
}

bool SinCosSpecial(double x, TSinCosPair& r) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  if (ux >= kInfBits)
    r = {x - x, x - x};
  else if (ux < kCosIsOneBelow)
    r = {x, 1.0};
  else
    return false;
  return true;
}

// sin x and cos x rounded, each where wanted.
TSinCosPair SinCosRounded(double x, bool wantSin, bool wantCos) {
  TSinCosPair r;
  if (SinCosSpecial(x, r)) return r;
  for (int level = 0;; ++level) {
    TWide s, c;
    SinCosAt(x, level, s, c);
    const bool sinOk = RoundsAlike(s.Value, s.ErrExp, r.Sin), cosOk = RoundsAlike(c.Value, c.ErrExp, r.Cos);
    if ((sinOk || !wantSin) && (cosOk || !wantCos)) {
      Count(TFunction::SinCos, level);
      return r;
    }
  }
}

}  // namespace

void SinCosAt(double x, int level, TWide& s, TWide& c) {
  const int n = Limbs(level);
  const double ax = Abs(x);
  int q = 0, absExp = INT32_MIN / 2;
  TMp z(n);
  if (ax < 0.78) {
    z = FromDouble(ax, n);
  } else {
    z = Mul(ReduceQuarter(ax, n, q), Pi(n, 1));
    absExp = 3 - 64 * (n + 1);
  }
  TMp sz(n), cz(n);
  const uint64_t rel = 3 * static_cast<uint64_t>(SinCosTaylor(z, sz, cz)) / 2 + 6;
  const TMp ms = q & 1 ? cz : sz, mc = q & 1 ? sz : cz;  // the quarter turn
  s.Value = ((q & 2) != 0) != (x < 0) ? Neg(ms) : ms;
  c.Value = ((q + 1) & 2) ? Neg(mc) : mc;
  s.ErrExp = ErrExp(s.Value, rel, absExp);
  c.ErrExp = ErrExp(c.Value, rel, absExp);
}

TWide Atan2At(double y, double x, int level) {
  const int n = Limbs(level);
  TApprox a;
  TBuild<false>::Atan2Fast(y, x, a);
  const double sy = y < 0 ? -1 : 1;  // the angle of (x, |y|)
  const TMp t = Add(FromDouble(sy * a.Hi, n), FromDouble(sy * a.Lo, n));
  TWide r = AngleOf(FromDouble(x, n), FromDouble(Abs(y), n), t, ExpAbove(a.Err));
  if (y < 0) r.Value = Neg(r.Value);
  return r;
}

TWide AcosAt(double x, int level) {
  const int n = Limbs(level);
  TApprox a;
  TBuild<false>::AcosFast(x, a);
  const TMp X = FromDouble(x, n), Y = Sqrt(Sub(One(n), Mul(X, X)));
  TWide r = AngleOf(X, Y, Add(FromDouble(a.Hi, n), FromDouble(a.Lo, n)), ExpAbove(a.Err));
  r.ErrExp = std::max(r.ErrExp, ErrExp(r.Value, 4, INT32_MIN / 2) - 1) + 1;
  return r;
}

uint64_t AccurateCount(TFunction f, int level) {
  return counts[static_cast<int>(f)][level].load(std::memory_order_relaxed);
}

double SinAccurate(double x) { return SinCosRounded(x, true, false).Sin; }
double CosAccurate(double x) { return SinCosRounded(x, false, true).Cos; }
TSinCosPair SinCosAccurate(double x) { return SinCosRounded(x, true, true); }

double Atan2Accurate(double y, double x) {
  double r;
  if (Atan2Special(y, x, r)) return r;
  for (int level = 0;; ++level) {
    const TWide w = Atan2At(y, x, level);
    if (RoundsAlike(w.Value, w.ErrExp, r)) {
      Count(TFunction::Atan2, level);
      return r;
    }
  }
}

double AcosAccurate(double x) {
  double r;
  if (AcosSpecial(x, r)) return r;
  for (int level = 0;; ++level) {
    const TWide w = AcosAt(x, level);
    if (RoundsAlike(w.Value, w.ErrExp, r)) {
      Count(TFunction::Acos, level);
      return r;
    }
  }
}

}  // namespace crmath::detail
