#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "crmath/mpfr/Args.h"
#include "crmath/mpfr/Mpfr.h"

namespace mpfrcheck {

using u128 = unsigned __int128;

namespace {

// A uniform integer in [0, 2^64) from the random word r, advanced.
uint64_t Next(uint64_t& r) {  // SplitMix64
  uint64_t z = (r += 0x9e3779b97f4a7c15);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
  z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
  return z ^ (z >> 31);
}
double Unit(uint64_t& r) { return static_cast<double>(Next(r) >> 11) * 0x1p-53; }  // [0, 1)

// The double nearest v, moved by k units in the last place.
double Nearest(mpfr_ptr v, int k) {
  return FromBits(Bits(mpfr_get_d(v, MPFR_RNDN)) + static_cast<uint64_t>(static_cast<int64_t>(k)));
}

// cos x = 1 - (j + 1/2) 2^-53 at x*, and x the double nearest it, or one of
// its neighbours: cos x lies within about x ulp(x) / 2 of the midpoint, a
// tiny fraction of the gap 2^-53 for small x. All j below 2^11 (x up to
// 2^-20), then j up to 2^40.
TCall CosNearOne(uint64_t i, uint64_t r) {
  const double j =
      i < 2048 ? static_cast<double>(i) : std::floor(std::ldexp(1 + Unit(r), 11 + static_cast<int>(Next(r) % 29)));
  TMpfr m(128), x(128);
  mpfr_set_d(m, 2 * j + 1, MPFR_RNDN);
  mpfr_div_2ui(m, m, 54, MPFR_RNDN);
  mpfr_ui_sub(m, 1, m, MPFR_RNDN);
  mpfr_acos(x, m, MPFR_RNDN);
  const double v = Nearest(x, static_cast<int>(Next(r) % 3) - 1);
  return {TKind::SinCos, 0, Next(r) & 1 ? -v : v};
}

// x - sin x = (j + 1/2) ulp(x) at x*, for x* in [2^e, 2^(e+1)), -26 <= e <=
// -12, by Newton's iteration: sin x, at the double x nearest x*, lies within
// about x^2 / 4 of a gap from the midpoint x - (j + 1/2) ulp(x).
TCall SinNearMidpoint(uint64_t r) {
  const int e = -26 + static_cast<int>(Next(r) % 15);
  // x - sin x = x^3 / 6 (1 - x^2 / 20 ...): j from the ends of the binade
  const double lo = std::ldexp(1.0 / 6, 2 * e + 52), hi = 8 * lo;
  const double jlo = std::max(0.0, std::ceil(lo - 0.5)), jhi = std::floor(hi - 0.5);
  const double j = jlo + std::floor(Unit(r) * (jhi - jlo + 1));
  TMpfr c(256), x(256), f(256), d(256);
  mpfr_set_d(c, j + 0.5, MPFR_RNDN);
  mpfr_mul_2si(c, c, e - 52, MPFR_RNDN);
  mpfr_mul_ui(x, c, 6, MPFR_RNDN);
  mpfr_cbrt(x, x, MPFR_RNDN);
  for (int k = 0; k < 8; ++k) {  // x -= (x - sin x - c) / (1 - cos x)
    mpfr_sin(f, x, MPFR_RNDN);
    mpfr_sub(f, x, f, MPFR_RNDN);
    mpfr_sub(f, f, c, MPFR_RNDN);
    mpfr_cos(d, x, MPFR_RNDN);
    mpfr_ui_sub(d, 1, d, MPFR_RNDN);
    mpfr_div(f, f, d, MPFR_RNDN);
    mpfr_sub(x, x, f, MPFR_RNDN);
  }
  const double v = Nearest(x, static_cast<int>(Next(r) % 3) - 1);
  return {TKind::SinCos, 0, Next(r) & 1 ? -v : v};
}

// acos x* = (M + 1/2) 2^-52, a midpoint j gaps below or above pi / 2, and x
// the double nearest x*: about j 2^-52, whose gap is a tiny fraction of the
// result's. j from 1 to 2^28.
TCall AcosNearHalfPi(uint64_t r) {
  const double j = std::floor(std::ldexp(1 + Unit(r), static_cast<int>(Next(r) % 28)));
  TMpfr m(200), x(200);
  mpfr_const_pi(m, MPFR_RNDN);
  mpfr_mul_2si(m, m, 51, MPFR_RNDN);  // pi / 2 in units of 2^-52
  mpfr_floor(m, m);
  mpfr_add_d(m, m, Next(r) & 1 ? 0.5 - j : 0.5 + j, MPFR_RNDN);
  mpfr_mul_2si(m, m, -52, MPFR_RNDN);
  mpfr_cos(x, m, MPFR_RNDN);
  return {TKind::Acos, 0, Nearest(x, static_cast<int>(Next(r) % 3) - 1)};
}

// atan2(y, x) near a midpoint m between doubles in (0, pi): tan m (or
// tan(pi - m), and then x < 0) is 2^k t with t in [1, 2); the last
// convergent p / q of t's continued fraction with p < 2^53 gives y = p 2^k,
// x = q, whose direction lies within about 2^-53 / (p q) of m's. Scaled
// together by a power of two, and y of either sign.
TCall Atan2NearMidpoint(uint64_t r) {
  // m: 2^-30 to pi / 2 spread over the binades, or up to pi
  const double v =
      Next(r) % 3 ? std::ldexp(1 + Unit(r), -static_cast<int>(Next(r) % 31)) * 0.785 : 1.5708 + Unit(r) * 1.5707;
  TMpfr m(320), t(320), frac(320), a(320);
  mpfr_set_d(m, v, MPFR_RNDN);
  mpfr_set_d(t, std::ldexp(1.0, std::ilogb(v) - 53), MPFR_RNDN);  // half a gap
  mpfr_add(m, m, t, MPFR_RNDN);
  const bool past = v > 1.5708;
  if (past) {
    mpfr_const_pi(t, MPFR_RNDN);
    mpfr_sub(m, t, m, MPFR_RNDN);
  }
  mpfr_tan(t, m, MPFR_RNDN);
  const long k = mpfr_get_exp(t) - 1;
  mpfr_mul_2si(t, t, -k, MPFR_RNDN);
  // convergents p / q of t
  u128 p0 = 1, q0 = 0, p1 = 0, q1 = 1;  // p_{i-1}, q_{i-1}, p_{i-2}, q_{i-2}
  double p = 1, q = 1;
  mpfr_set(frac, t, MPFR_RNDN);
  for (int step = 0; step < 80; ++step) {
    mpfr_floor(a, frac);
    if (mpfr_cmp_d(a, 0x1p53) >= 0) break;
    const u128 ai = static_cast<u128>(mpfr_get_d(a, MPFR_RNDN));
    const u128 pn = ai * p0 + p1, qn = ai * q0 + q1;
    if (pn >= (u128(1) << 53)) break;
    p = static_cast<double>(pn), q = static_cast<double>(qn);
    p1 = p0, q1 = q0, p0 = pn, q0 = qn;
    mpfr_sub(frac, frac, a, MPFR_RNDN);
    if (mpfr_zero_p(frac)) break;
    mpfr_ui_div(frac, 1, frac, MPFR_RNDN);
  }
  const int s = Next(r) % 8 ? static_cast<int>(Next(r) % 121) - 60 : static_cast<int>(Next(r) % 1900) - 1000;
  const double y = std::ldexp(p, static_cast<int>(k) + s), x = std::ldexp(q, s);
  return {TKind::Atan2, Next(r) & 1 ? -y : y, past ? -x : x};
}

}  // namespace

TCall MakeHard(THardKind kind, uint64_t i, uint64_t r) {
  switch (kind) {
    case THardKind::CosNearOne:
      return CosNearOne(i, r);
    case THardKind::SinNearMidpoint:
      return SinNearMidpoint(r);
    case THardKind::AcosNearHalfPi:
      return AcosNearHalfPi(r);
    case THardKind::Atan2NearMidpoint:
      break;
  }
  return Atan2NearMidpoint(r);
}

// The worst cases for rounding to nearest and the directed roundings, from
// V. Lefevre and J.-M. Muller, "Worst Cases for Correct Rounding of the
// Elementary Functions in Double Precision" (ARITH 15, 2001; the tables of
// its revised version of 2003): the sine on [2^-24, 2.5707], the cosine on
// [2^-25, 1.5707]. The sine of 0x1.598bae9e632f6p-7 and the cosine of
// 0x1.6b8a6273d7c21p+0 lie within 2^-112.4 and 2^-107.6 of themselves from a
// midpoint, the others as near a double.
const double kWorstSin[5] = {0x1.e0000000001c2p-20, 0x1.598bae9e632f6p-7, 0x1.fe767739d0f6dp-2, 0x1.921fb54442d18p+0,
                             0x1.6756745770a51p+1};
const double kWorstCos[6] = {0x1.8000000000009p-23, 0x1.8000000000024p-22, 0x1.2000000000f30p-18,
                             0x1.06b505550e6b2p-9,  0x1.97ccd3d2c438fp-6,  0x1.6b8a6273d7c21p+0};

// The doubles nearest multiples of pi / 2 (|x - k pi / 2| from 2^-60.9 up),
// found by --near-pi2: x = m 2^e, 2^52 <= m < 2^53, and x 2 / pi = m beta
// modulo 1 with beta = frac(2^e 2 / pi); for each e, the denominators q of
// the continued fraction of beta, their multiples up to 64 past 2^52 / q, and
// those plus or minus the previous denominator.
const double kNearPi2[14] = {
    0x1.6ac5b262ca1ffp+849, 0x1.6c6cbc45dc8dep+5,   0x1.b951f1572eba5p+23,  0x1.504cac51f1eafp+131,
    0x1.e009c53148be1p+991, 0x1.4c96c11134d36p+577, 0x1.cfe482285f8edp+860, 0x1.db41f3cb71d7bp+680,
    0x1.e7e44a78ac18cp+197, 0x1.c45cd11154dfdp+295, 0x1.83009e2e9e2ebp+614, 0x1.b2196364d750bp+253,
    0x1.69eab0985179bp+246, 0x1.782b7a20df6d4p+67,
};

// ||m beta||: the distance of m beta to the nearest integer, for the search.
void NearPi2Search() {
  TMpfr pi(1400), twoOverPi(1400), beta(1400), t(1400), best(64);
  mpfr_const_pi(pi, MPFR_RNDN);
  mpfr_ui_div(twoOverPi, 2, pi, MPFR_RNDN);
  struct THit {
    double X, Dist;  // |x - k pi/2|
  };
  std::vector<THit> hits;
  for (int e = -52; e <= 971; ++e) {
    // x = m 2^e, x 2 / pi = m (2^e 2 / pi); only beta = frac(2^e 2 / pi) matters.
    mpfr_mul_2si(beta, twoOverPi, e, MPFR_RNDN);
    mpfr_frac(beta, beta, MPFR_RNDN);
    // Continued fraction denominators q of beta up to 2^53.
    std::vector<double> qs;
    {
      TMpfr r(1400), one(1400), fl(1400);
      mpfr_set(r, beta, MPFR_RNDN);
      double q0 = 1, q1 = 0;  // q_{k-1}, q_{k-2}
      for (int k = 0; k < 80 && mpfr_zero_p(r) == 0; ++k) {
        mpfr_ui_div(r, 1, r, MPFR_RNDN);
        mpfr_floor(fl, r);
        mpfr_sub(r, r, fl, MPFR_RNDN);
        const double a = mpfr_get_d(fl, MPFR_RNDN);
        const double q = a * q0 + q1;
        if (q >= 0x1p53) break;
        qs.push_back(q);
        q1 = q0;
        q0 = q;
      }
    }
    double bestX = 0, bestD = 1e300;
    auto consider = [&](double m) {
      if (m < 0x1p52 || m >= 0x1p53) return;
      mpfr_mul_d(t, beta, m, MPFR_RNDN);
      mpfr_frac(t, t, MPFR_RNDN);
      if (mpfr_cmp_d(t, 0.5) > 0) mpfr_ui_sub(t, 1, t, MPFR_RNDN);
      // |x - k pi/2| = ||m beta|| pi / 2
      mpfr_mul(t, t, pi, MPFR_RNDN);
      mpfr_div_2ui(t, t, 1, MPFR_RNDN);
      const double d = mpfr_get_d(t, MPFR_RNDN);
      if (d < bestD) bestD = d, bestX = std::ldexp(m, e);
    };
    for (size_t k = 0; k < qs.size(); ++k) {
      const double q = qs[k];
      for (double s = std::ceil(0x1p52 / q); s * q < 0x1p53 && s < std::ceil(0x1p52 / q) + 64; ++s) {
        consider(s * q);
        if (k > 0) consider(s * q + qs[k - 1]), consider(s * q - qs[k - 1]);
      }
    }
    if (bestX != 0) hits.push_back({bestX, bestD});
  }
  std::sort(hits.begin(), hits.end(), [](const THit& a, const THit& b) { return a.Dist < b.Dist; });
  for (size_t i = 0; i < hits.size() && i < 24; ++i)
    std::printf("%a  |x - k pi/2| = %.3g = 2^%.1f\n", hits[i].X, hits[i].Dist, std::log2(hits[i].Dist));
}

}  // namespace mpfrcheck
