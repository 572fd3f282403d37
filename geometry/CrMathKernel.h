// The fast paths of CrMath, written once for both kernels: kFma = false uses
// plain double arithmetic (exact products by splitting), kFma = true fused
// multiply-adds. Everything here has internal linkage, so that the two
// translation units that build it (one of them for processors with FMA) share
// no code. Included by CrMath.cpp and CrMathFma.cpp only.
#pragma once

#include <cstdint>
#include <cstring>

#include "geometry/CrMathDetail.h"

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
// 2^k for -1022 <= k <= 1023.
CR_INLINE double Pow2(int k) { return FromBits(static_cast<uint64_t>(k + 1023) << 52); }

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
CR_INLINE bool RoundTest(const crmath::TApprox& a, double& out) {
  const double up = a.Hi + (a.Lo + a.Err), down = a.Hi + (a.Lo - a.Err);
  out = up;
  return up == down;
}

// ---- sine and cosine ---------------------------------------------------------------------------

// 192 bits of 1 / (2 pi) from bit p + 1 on.
CR_INLINE void InvTwoPiWindow(int p, uint64_t& v0, uint64_t& v1, uint64_t& v2) {
  const uint64_t* w = crmath::kInvTwoPi + (p >> 6);
  const int sh = p & 63;
  if (sh == 0) {
    v0 = w[0];
    v1 = w[1];
    v2 = w[2];
  } else {
    v0 = (w[0] << sh) | (w[1] >> (64 - sh));
    v1 = (w[1] << sh) | (w[2] >> (64 - sh));
    v2 = (w[2] << sh) | (w[3] >> (64 - sh));
  }
}

// |x| / (2 pi) modulo 1 as a 128-bit fraction F (units of 2^-128 turn), for
// 2^-27 <= |x| < infinity: F * 2^-128 <= exact < (F + 1.0004) * 2^-128.
CR_INLINE u128 ReduceTurns(uint64_t ux) {
  const int e = static_cast<int>(ux >> 52) - 1075;  // |x| = m * 2^e
  const uint64_t m = (ux & ((uint64_t(1) << 52) - 1)) | (uint64_t(1) << 52);
  uint64_t v0, v1, v2;
  int t = 0;
  if (e <= 0) {  // below 2^53: the first bits, all of them past the turns
    v0 = crmath::kInvTwoPi[0];
    v1 = crmath::kInvTwoPi[1];
    v2 = crmath::kInvTwoPi[2];
    t = -e;
  } else {  // bits before e + 1 only add whole turns
    InvTwoPiWindow(e, v0, v1, v2);
  }
  // P = m * V, 245 bits; the lowest limb only carries.
  const u128 a = static_cast<u128>(m) * v2, b = static_cast<u128>(m) * v1,
             c = static_cast<u128>(m) * v0;
  const u128 s1 = (a >> 64) + static_cast<uint64_t>(b);
  const u128 s2 = (b >> 64) + static_cast<uint64_t>(c) + (s1 >> 64);
  const uint64_t p1 = static_cast<uint64_t>(s1), p2 = static_cast<uint64_t>(s2);
  const uint64_t p3 = static_cast<uint64_t>(c >> 64) + static_cast<uint64_t>(s2 >> 64);
  const u128 top = (static_cast<u128>(p3) << 64) | p2;
  // F = (P >> (64 + t)) mod 2^128
  if (t < 64) return (top << (64 - t)) | (p1 >> t);
  return top >> (t - 64);
}

// The fraction r = R * 2^-128 turn (R != 0) times 2 pi, as a sum of two doubles
// within 2^-103 of |r| 2 pi.
template <bool kFma>
CR_INLINE TDd TurnsToRadians(u128 ar) {
  const int lz = ar >> 64 ? __builtin_clzll(static_cast<uint64_t>(ar >> 64))
                          : 64 + __builtin_clzll(static_cast<uint64_t>(ar));
  const u128 an = ar << lz;  // top bit set
  const uint64_t top = static_cast<uint64_t>(an >> 64), low = static_cast<uint64_t>(an);
  // an = (top >> 11) 2^75 + rest 2^12 + (less than 2^12)
  const double rh = static_cast<double>(static_cast<int64_t>(top >> 11)) * Pow2(-53 - lz);
  const uint64_t rest = ((top << 53) | (low >> 11)) >> 1;
  const double rl = static_cast<double>(static_cast<int64_t>(rest)) * Pow2(-116 - lz);
  constexpr double kTwoPiHi = 2 * crmath::kPiHi, kTwoPiLo = 2 * crmath::kPiLo;
  const TDd p = TwoProd<kFma>(rh, kTwoPiHi);
  return {p.H, p.L + (rh * kTwoPiLo + rl * kTwoPiHi)};
}

// pi / 512 = kP1 + kP2 + kP3 within 2^-120 of itself; kP1 and kP2 have at most
// 31 significant bits, so that k kP1 and k kP2 are exact for |k| < 2^22.
constexpr double kP1 = 0x1.921fb544p-8, kP2 = 0x1.0b4611a8p-42, kP3 = -0x1.d9cceba3f91f2p-74;
constexpr double kInvP = 0x1.45f306dc9c883p+7;  // 512 / pi
// Below 2^14 the reduction by kP1 + kP2 + kP3 errs by less than 2^-103.
constexpr uint64_t kCodyWaiteBelow = uint64_t(1023 + 14) << 52;

// Taylor coefficients: sin z - z = z^3 (S3 + z^2 (S5 + z^2 S7)) + O(z^9),
// cos z - 1 = -z^2 / 2 + z^4 (C4 + z^2 C6) + O(z^8).
constexpr double kS3 = -1.0 / 6, kS5 = 1.0 / 120, kS7 = -1.0 / 5040;
constexpr double kC4 = 1.0 / 24, kC6 = -1.0 / 720;
// Error bounds of the fast sine and cosine (see CrMath.cpp): a part in
// proportion to the table's sine (cosine), one to the cosine (sine) times z,
// and a fixed part from the reduction, larger for the Cody-Waite one.
constexpr double kErrTable = 0x1.1p-70, kErrProduct = 0x1p-68;
constexpr double kErrCodyWaite = 0x1p-98, kErrPayneHanek = 0x1p-123;

template <bool kFma>
CR_INLINE bool SinCosKernel(double x, crmath::TApprox& so, crmath::TApprox& co) {
  const uint64_t ux = Bits(x) & ~(uint64_t(1) << 63);
  if (ux >= 0x7ffull << 52 || ux < 0x3e4ull << 52) return false;  // inf, NaN, below 2^-27
  // |x| = (idx + z / (pi / 512)) pi / 512 for the nearest of 1024 points a turn.
  unsigned idx = 0;
  TDd z = {0, 0};
  double errFixed = kErrCodyWaite;
  bool exact = ux >= kCodyWaiteBelow;
  if (!exact) {
    const double ax = FromBits(ux);
    // kd: an integer within 0.5 + 2^-30 of ax / (pi / 512); its low bits in
    // the sum's last bits.
    const double kr = kFma ? __builtin_fma(ax, kInvP, 0x1.8p52) : ax * kInvP + 0x1.8p52;
    const double kd = kr - 0x1.8p52;
    idx = static_cast<unsigned>(Bits(kr)) & 1023;
    const double a = ax - kd * kP1;  // exact
    const TDd b = TwoSum(a, -(kd * kP2));
    z = {b.H, b.L - kd * kP3};
    // Near a multiple of pi / 2 (x = pi / 2 rounded, say) the sine or cosine
    // is about z, and 2^-103 is too coarse for a tiny z.
    exact = (idx & 255) == 0 && Abs(z.H) < 0x1p-28;
  }
  if (exact) {
    const u128 f = ReduceTurns(ux);
    const u128 g = f + (u128(1) << 117);
    idx = static_cast<unsigned>(g >> 118) & 1023;
    const i128 r = static_cast<i128>(g & ((u128(1) << 118) - 1)) - (i128(1) << 117);
    z = {0, 0};
    if (r != 0) {
      z = TurnsToRadians<kFma>(static_cast<u128>(r < 0 ? -r : r));
      if (r < 0) z = {-z.H, -z.L};
    }
    errFixed = kErrPayneHanek;
  }
  const double* tab = crmath::kSinCosTable[idx & 255];
  const double sh = tab[0], sl = tab[1], ch = tab[2], cl = tab[3];
  // sin(a + z) = S + C z + S (cos z - 1) + C (sin z - z)
  // cos(a + z) = C - S z + C (cos z - 1) - S (sin z - z)
  // Each with C z (S z) exact in a head, S z^2 / 2 (C z^2 / 2) rounded once.
  TDd s0, s1, c0, c1;
  double sLo, cLo, ps, pc;
  if constexpr (kFma) {
    const double zh = z.H, zl = z.L;
    const double z2 = zh * zh, z2e = __builtin_fma(zh, zh, -z2), hz2 = 0.5 * z2;
    // ws ~ sin z - z, wc ~ cos z - 1 + hz2
    const double ws = __builtin_fma(zh * z2, __builtin_fma(z2, __builtin_fma(z2, kS7, kS5), kS3), -zl * hz2);
    const double wc = __builtin_fma(z2 * z2, __builtin_fma(z2, kC6, kC4), -__builtin_fma(0.5, z2e, zh * zl));
    ps = ch * zh;
    pc = sh * zh;
    const double pse = __builtin_fma(ch, zh, -ps), pce = __builtin_fma(sh, zh, -pc);
    s0 = FastTwoSum(sh, ps);
    s1 = FastTwoSum(s0.H, -(sh * hz2));
    c0 = FastTwoSum(ch, -pc);
    c1 = FastTwoSum(c0.H, -(ch * hz2));
    const double mse = __builtin_fma(sh, hz2, -(sh * hz2)), mce = __builtin_fma(ch, hz2, -(ch * hz2));
    sLo = ((s0.L + s1.L) + ((sl + pse) - mse)) + ((cl * zh + ch * zl) + (ch * ws + (sh * wc - sl * hz2)));
    cLo = ((c0.L + c1.L) + ((cl - pce) - mce)) + ((ch * wc - cl * hz2) - ((sl * zh + sh * zl) + sh * ws));
  } else {
    // z = zh + zl with a 26-bit head: zh times a 26-bit table value, and
    // zh^2, are exact.
    constexpr double kSplit = 0x1p27 + 1;
    const double cz0 = kSplit * z.H, zh = cz0 - (cz0 - z.H), zl = (z.H - zh) + z.L;
    const double s26 = tab[4], sr = tab[5], c26 = tab[6], cr = tab[7];
    const double z2 = zh * zh, hz2 = 0.5 * z2, z4 = z2 * z2, g = zh * zl;  // z2, hz2 exact
    // ws ~ sin z - z, wc ~ cos z - 1 + z2 / 2, expanded to second order in zl:
    // sin(zh + zl) - zh - zl = (sin zh - zh) + zl (cos zh - 1) - zl^2 sin(zh) / 2
    // cos(zh + zl) - 1 = (cos zh - 1) - zl sin zh - zl^2 cos(zh) / 2
    const double ws = zh * (z2 * (kS3 + z2 * (kS5 + z2 * kS7))) - zl * (hz2 - z4 * kC4) - 0.5 * zl * g;
    const double wc = z4 * (kC4 + z2 * kC6) - g * (1 + z2 * kS3) - 0.5 * zl * zl;
    ps = c26 * zh;
    pc = s26 * zh;
    s0 = FastTwoSum(sh, ps);
    s1 = FastTwoSum(s0.H, -(sh * hz2));
    c0 = FastTwoSum(ch, -pc);
    c1 = FastTwoSum(c0.H, -(ch * hz2));
    sLo = ((s0.L + s1.L) + (sl + cr * zh)) + ((ch * zl + ch * ws) + (sh * wc - sl * hz2));
    cLo = ((c0.L + c1.L) + (cl - sr * zh)) + ((ch * wc - cl * hz2) - (sh * zl + sh * ws));
  }
  const double es = kErrTable * sh + kErrProduct * Abs(ps) + errFixed;
  const double ec = kErrTable * ch + kErrProduct * Abs(pc) + errFixed;

  // The quarter turn: sin and cos of a + z, turned on by idx / 256 quarters.
  double sH = s1.H, sL = sLo, cH = c1.H, cL = cLo;
  double sE = es, cE = ec;
  switch (idx >> 8) {
    case 1:  // sin = cos(a + z), cos = -sin(a + z)
      sH = c1.H, sL = cLo, sE = ec, cH = -s1.H, cL = -sLo, cE = es;
      break;
    case 2:
      sH = -s1.H, sL = -sLo, cH = -c1.H, cL = -cLo;
      break;
    case 3:
      sH = -c1.H, sL = -cLo, sE = ec, cH = s1.H, cL = sLo, cE = es;
      break;
    default:
      break;
  }
  if (x < 0) sH = -sH, sL = -sL;
  so = {sH, sL, sE};
  co = {cH, cL, cE};
  return true;
}

// ---- arctangent -------------------------------------------------------------------------------

// Error bounds of the fast arctangent (see CrMath.cpp): in proportion to the
// terms of second and higher order, and to the result.
constexpr double kErrPoly = 0x1.4p-49, kErrResult = 0x1p-78;

// b + sigma atan q for q = qh + ql in [0, 1] (|ql| <= 2^-52 qh), b one of 0,
// pi / 2, pi (given as bh + bl), sigma = +-1 with b >= pi / 2 when sigma = -1.
template <bool kFma>
CR_INLINE crmath::TApprox AtanKernel(double qh, double ql, double bh, double bl, double sigma) {
  // The nearest c = i / 256, d = qh - c exact (below 1.008 / 512, c = 0 keeps
  // it so), |d| <= 1/512 + 2^-60.
  constexpr double kRound = 0x1.8p52;  // adding it rounds to an integer
  const double k = qh < 0x1.02p-9 ? kRound : qh * crmath::kAtanSteps + kRound;
  const double d = qh - (k - kRound) * (1.0 / crmath::kAtanSteps);
  const double* t = crmath::kAtanTable[Bits(k) & 511];
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
CR_INLINE crmath::TApprox Atan2Kernel(double y, double x) {
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
                                      {crmath::kPiHi, crmath::kPiLo, -1},
                                      {0.5 * crmath::kPiHi, 0.5 * crmath::kPiLo, -1},
                                      {0.5 * crmath::kPiHi, 0.5 * crmath::kPiLo, 1}};
  const double* b = kB[(ay > ax) * 2 + (x < 0)];
  crmath::TApprox a = AtanKernel<kFma>(qh, ql, b[0], b[1], b[2]);
  if (y < 0) a.Hi = -a.Hi, a.Lo = -a.Lo;
  return a;
}

// acos x for |x| < 1: the direction of (x, sqrt(1 - x^2)).
template <bool kFma>
CR_INLINE crmath::TApprox AcosKernel(double x) {
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
    if (x < 0) bh = crmath::kPiHi, bl = crmath::kPiLo, sigma = -1;
  } else {  // pi/2 -+ atan(|x| / s)
    qh = ax / sh;
    const TDd r = TwoProd<kFma>(qh, sh);
    ql = (((ax - r.H) - r.L) - qh * sl) / sh;
    bh = 0.5 * crmath::kPiHi, bl = 0.5 * crmath::kPiLo;
    sigma = x < 0 ? 1 : -1;
  }
  return AtanKernel<kFma>(qh, ql, bh, bl, sigma);
}

// ---- special arguments ------------------------------------------------------------------------

constexpr uint64_t kSignBit = uint64_t(1) << 63, kInfBits = uint64_t(0x7ff) << 52;

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
    r = bx >> 63 ? sy * crmath::kPiHi : y;
  } else if (ux == 0) {
    r = sy * (0.5 * crmath::kPiHi);
  } else if (ux == kInfBits) {
    if (uy == kInfBits)
      r = sy * (bx >> 63 ? crmath::kThreeQuarterPi : 0.25 * crmath::kPiHi);
    else
      r = bx >> 63 ? sy * crmath::kPiHi : sy * 0.0;
  } else if (uy == kInfBits) {
    r = sy * (0.5 * crmath::kPiHi);
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
    r = crmath::kPiHi;
  else
    r = (x - x) / (x - x);  // NaN, with the invalid exception
  return true;
}

// ---- the whole functions -----------------------------------------------------------------------

template <bool kFma>
CR_INLINE double SinImpl(double x) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  // Below 2^-26, x^3 / 6 lies below half the gap under x: sin x rounds to x.
  if (ux < uint64_t(0x3e5) << 52) return x;
  if (ux >= kInfBits) return x - x;
  crmath::TApprox s, c;
  SinCosKernel<kFma>(x, s, c);
  double r;
  if (RoundTest(s, r)) return r;
  crmath::CountAccurateCall();
  return crmath::SinCosAccurate(x).Sin;
}

template <bool kFma>
CR_INLINE double CosImpl(double x) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  // Below 2^-27, x^2 / 2 < 2^-55: cos x rounds to 1.
  if (ux < uint64_t(0x3e4) << 52) return 1.0;
  if (ux >= kInfBits) return x - x;
  crmath::TApprox s, c;
  SinCosKernel<kFma>(x, s, c);
  double r;
  if (RoundTest(c, r)) return r;
  crmath::CountAccurateCall();
  return crmath::SinCosAccurate(x).Cos;
}

template <bool kFma>
CR_INLINE TSinCos SinCosImpl(double x) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  if (ux < uint64_t(0x3e4) << 52) return {x, 1.0};
  if (ux >= kInfBits) return {x - x, x - x};
  crmath::TApprox s, c;
  SinCosKernel<kFma>(x, s, c);
  TSinCos r;
  if (RoundTest(s, r.Sin) && RoundTest(c, r.Cos)) return r;
  crmath::CountAccurateCall();
  return crmath::SinCosAccurate(x);
}

template <bool kFma>
CR_INLINE double Atan2Impl(double y, double x) {
  double r;
  if (Atan2Special(y, x, r)) return r;
  if (RoundTest(Atan2Kernel<kFma>(y, x), r)) return r;
  crmath::CountAccurateCall();
  return crmath::Atan2Accurate(y, x);
}

template <bool kFma>
CR_INLINE double AcosImpl(double x) {
  double r;
  if (AcosSpecial(x, r)) return r;
  if (RoundTest(AcosKernel<kFma>(x), r)) return r;
  crmath::CountAccurateCall();
  return crmath::AcosAccurate(x);
}

template <bool kFma>
CR_INLINE bool SinCosFastImpl(double x, crmath::TApprox& s, crmath::TApprox& c) {
  return SinCosKernel<kFma>(x, s, c);
}
template <bool kFma>
CR_INLINE bool Atan2FastImpl(double y, double x, crmath::TApprox& a) {
  double r;
  if (Atan2Special(y, x, r)) return false;
  a = Atan2Kernel<kFma>(y, x);
  return true;
}
template <bool kFma>
CR_INLINE bool AcosFastImpl(double x, crmath::TApprox& a) {
  double r;
  if (AcosSpecial(x, r)) return false;
  a = AcosKernel<kFma>(x);
  return true;
}

}  // namespace
