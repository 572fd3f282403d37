// The fast path of the sine and the cosine, on either build (Arith.h); the
// method is described in CrMath.cpp.
#pragma once

#include <cstdint>

#include "crmath/Arith.h"
#include "crmath/Detail.h"

namespace crmath::detail {
namespace {

// ---- sine and cosine ---------------------------------------------------------------------------

// 192 bits of 1 / (2 pi) from bit p + 1 on.
CR_INLINE void InvTwoPiWindow(int p, uint64_t& v0, uint64_t& v1, uint64_t& v2) {
  const uint64_t* w = kInvTwoPi + (p >> 6);
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
    v0 = kInvTwoPi[0];
    v1 = kInvTwoPi[1];
    v2 = kInvTwoPi[2];
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
  constexpr double kTwoPiHi = 2 * kPiHi, kTwoPiLo = 2 * kPiLo;
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
// and a fixed part from the reduction, larger for the Cody-Waite one. Each
// exceeds its analysis: 2^-69.9 over 2^-70.6 and 2^-68 over 2^-68.7 (by 1.6),
// 2^-98 over the Cody-Waite 2^-103 (by 32), 2^-123 over the Payne-Hanek
// 2^-125 (by 4).
constexpr double kErrTable = 0x1.1p-70, kErrProduct = 0x1p-68;
constexpr double kErrCodyWaite = 0x1p-98, kErrPayneHanek = 0x1p-123;

template <bool kFma>
CR_INLINE bool SinCosKernel(double x, TApprox& so, TApprox& co) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  if (ux >= kInfBits || ux < kCosIsOneBelow) return false;
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
  const double* tab = kSinCosTable[idx & 255];
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

}  // namespace
}  // namespace crmath::detail
