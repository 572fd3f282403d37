// The accurate paths of CrMath, for the arguments its fast paths cannot round:
// binary floating point with a 192-bit significand, truncated after every
// operation (each errs by less than 2^-190 of its result, or of the larger
// operand in a cancelling sum).
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
#include <cstdint>
#include <cstring>

#include "geometry/CrMathDetail.h"

namespace crmath {
bool SinCosSpecial(double x, TSinCos& r);
bool Atan2SpecialCase(double y, double x, double& r);
bool AcosSpecialCase(double x, double& r);
}  // namespace crmath

namespace {

using u128 = unsigned __int128;

uint64_t Bits(double x) {
  uint64_t u;
  std::memcpy(&u, &x, sizeof u);
  return u;
}
double FromBits(uint64_t u) {
  double x;
  std::memcpy(&x, &u, sizeof x);
  return x;
}

// +-M * 2^(Exp - 192), M[0] most significant with its top bit set; zero when
// M[0] is 0.
struct TMp {
  uint64_t M[3] = {0, 0, 0};
  int Exp = 0;
  bool Neg = false;
  bool Zero() const { return M[0] == 0; }
};

// +-L * 2^(exp - 64 n) for the n-limb integer L (l[0] most significant),
// truncated to 192 bits.
TMp Pack(const uint64_t* l, int n, int exp, bool neg) {
  int k = 0;
  while (k < n && l[k] == 0) ++k;
  TMp r;
  if (k == n) return r;
  const int sh = __builtin_clzll(l[k]);
  for (int i = 0; i < 3; ++i) {
    const uint64_t a = k + i < n ? l[k + i] : 0, b = k + i + 1 < n ? l[k + i + 1] : 0;
    r.M[i] = sh ? (a << sh) | (b >> (64 - sh)) : a;
  }
  r.Exp = exp - 64 * k - sh;
  r.Neg = neg;
  return r;
}

TMp FromDouble(double v) {
  const uint64_t b = Bits(v);
  uint64_t e = (b >> 52) & 0x7ff, m = b & ((uint64_t(1) << 52) - 1);
  if (e)
    m |= uint64_t(1) << 52;
  else
    e = 1;
  return Pack(&m, 1, static_cast<int>(e) - 1075 + 64, b >> 63);
}

TMp Neg(TMp a) {
  a.Neg = !a.Neg;
  return a;
}
TMp Scale2(TMp a, int k) {
  a.Exp += k;
  return a;
}

TMp Mul(const TMp& a, const TMp& b) {
  if (a.Zero() || b.Zero()) return {};
  uint64_t q[6] = {0, 0, 0, 0, 0, 0};  // least significant first
  for (int i = 0; i < 3; ++i) {
    uint64_t carry = 0;
    for (int j = 0; j < 3; ++j) {
      const u128 t = static_cast<u128>(a.M[2 - i]) * b.M[2 - j] + q[i + j] + carry;
      q[i + j] = static_cast<uint64_t>(t);
      carry = static_cast<uint64_t>(t >> 64);
    }
    q[i + 3] = carry;
  }
  const uint64_t p[6] = {q[5], q[4], q[3], q[2], q[1], q[0]};
  return Pack(p, 6, a.Exp + b.Exp, a.Neg != b.Neg);
}

TMp Add(const TMp& a, const TMp& b) {
  if (a.Zero()) return b;
  if (b.Zero()) return a;
  bool aBig = a.Exp > b.Exp;
  if (a.Exp == b.Exp) {
    int i = 0;
    while (i < 2 && a.M[i] == b.M[i]) ++i;
    aBig = a.M[i] >= b.M[i];
  }
  const TMp& x = aBig ? a : b;
  const TMp& y = aBig ? b : a;
  const int d = x.Exp - y.Exp;
  if (d >= 256) return x;
  // Five limbs: a free one for the carry, three, and a guard limb.
  uint64_t xl[5] = {0, x.M[0], x.M[1], x.M[2], 0}, yl[5] = {0, 0, 0, 0, 0};
  const int dl = d >> 6, db = d & 63;
  for (int i = 1; i + dl < 5; ++i) {
    const uint64_t hi = i < 4 ? y.M[i - 1] : 0, lo = i > 1 && i < 5 ? y.M[i - 2] : 0;
    yl[i + dl] = db ? (hi >> db) | (lo << (64 - db)) : hi;
  }
  uint64_t r[5];
  if (x.Neg == y.Neg) {
    u128 carry = 0;
    for (int i = 4; i >= 0; --i) {
      const u128 t = static_cast<u128>(xl[i]) + yl[i] + carry;
      r[i] = static_cast<uint64_t>(t);
      carry = t >> 64;
    }
  } else {  // |x| >= |y|
    uint64_t borrow = 0;
    for (int i = 4; i >= 0; --i) {
      const u128 t = static_cast<u128>(xl[i]) - yl[i] - borrow;
      r[i] = static_cast<uint64_t>(t);
      borrow = static_cast<uint64_t>(t >> 64) & 1;
    }
  }
  return Pack(r, 5, x.Exp + 64, x.Neg);
}
TMp Sub(const TMp& a, const TMp& b) { return Add(a, Neg(b)); }

// a / d for 0 < d < 2^32.
TMp DivSmall(const TMp& a, uint32_t d) {
  if (a.Zero()) return a;
  const uint64_t l[4] = {a.M[0], a.M[1], a.M[2], 0};
  uint64_t q[4], rem = 0;
  for (int i = 0; i < 4; ++i) {
    uint64_t cur = (rem << 32) | (l[i] >> 32);
    const uint64_t hi = cur / d;
    rem = cur % d;
    cur = (rem << 32) | (l[i] & 0xffffffffu);
    q[i] = (hi << 32) | (cur / d);
    rem = cur % d;
  }
  return Pack(q, 4, a.Exp, a.Neg);
}

// a / b to within 2^-50 of itself, b nonzero.
TMp ApproxDiv(const TMp& a, const TMp& b) {
  if (a.Zero()) return a;
  const double q = static_cast<double>(static_cast<int64_t>(a.M[0] >> 11)) /
                   static_cast<double>(static_cast<int64_t>(b.M[0] >> 11));
  TMp r = FromDouble(q);
  r.Exp += a.Exp - b.Exp;
  r.Neg = a.Neg != b.Neg;
  return r;
}

// 2^k for -1074 <= k <= 1023.
double Pow2(int k) {
  if (k >= -1022) return FromBits(static_cast<uint64_t>(k + 1023) << 52);
  return FromBits(uint64_t(1) << (k + 1074));
}

// Rounded to the nearest double, ties to even, subnormals included.
double ToDouble(const TMp& a) {
  if (a.Zero()) return a.Neg ? -0.0 : 0.0;
  const int e = a.Exp - 1;  // a lies in [2^e, 2^(e+1))
  const int keep = e >= -1022 ? 53 : 1075 + e;  // significant bits kept
  double r = 0;
  if (keep >= 0) {
    const uint64_t top = a.M[0];
    const uint64_t mant = keep ? top >> (64 - keep) : 0;
    const bool half = (top >> (63 - keep)) & 1;
    const bool sticky = (keep < 63 && (top << (keep + 1)) != 0) || a.M[1] || a.M[2];
    const uint64_t m = mant + (half && (sticky || (mant & 1)));
    r = static_cast<double>(m) * Pow2(e - keep + 1);
  }
  return a.Neg ? -r : r;
}

TMp One() {
  const uint64_t one = 1;
  return Pack(&one, 1, 64, false);
}
// pi, with its exponent moved for pi / 2 and 2 pi.
TMp Pi(int twoTo = 0) {
  TMp r;
  for (int i = 0; i < 3; ++i) r.M[i] = crmath::kPi192[i];
  r.Exp = 2 + twoTo;
  return r;
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
  const uint64_t* w = crmath::kInvTwoPi + (p >> 6);
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

namespace crmath {

TSinCos SinCosAccurate(double x) {
  TSinCos special;
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

double Atan2Accurate(double y, double x) {
  double r;
  if (Atan2SpecialCase(y, x, r)) return r;
  TApprox a;
  Atan2Fast(y, x, TKernel::Plain, a);
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
  double r;
  if (AcosSpecialCase(x, r)) return r;
  TApprox a;
  AcosFast(x, TKernel::Plain, a);
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

}  // namespace crmath
