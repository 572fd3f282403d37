#include <cmath>
#include <cstdint>
#include <iterator>
#include <numbers>
#include <utility>

#include "crmath/CrMath.h"
#include "crmath/mpfr/Args.h"
#include "crmath/mpfr/Mpfr.h"

namespace mpfrcheck {
namespace {

// Random draws of the n-th argument alone (SplitMix64 from the seed and n),
// so that the arguments do not depend on the threads.
struct TGen {
  uint64_t State;
  TGen(uint64_t seed, uint64_t n) : State(seed * 0x9e3779b97f4a7c15 ^ n * 0xd1b54a32d192ed03) {}
  uint64_t U() {
    uint64_t z = (State += 0x9e3779b97f4a7c15);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
  }
  double Unit() { return static_cast<double>(U() >> 11) * 0x1p-53; }  // [0, 1)
  int Int(int lo, int hi) { return lo + static_cast<int>(U() % static_cast<uint64_t>(hi - lo + 1)); }
  double Sign(double x) { return U() & 1 ? -x : x; }
  // Any finite double, every exponent alike.
  double AnyFinite() {
    const uint64_t e = U() % 2047, m = U() & ((uint64_t(1) << 52) - 1);
    return FromBits(U() >> 63 << 63 | e << 52 | m);
  }
  // x moved by up to k units in the last place.
  double Ulps(double x, int k) {
    const int64_t d = Int(-k, k);
    const uint64_t b = Bits(x);
    return d < 0 && (b & ~(uint64_t(1) << 63)) < static_cast<uint64_t>(-d) ? x : FromBits(b + static_cast<uint64_t>(d));
  }
};

// The special values every function must get right.
const double kSpecials[] = {0.0,      -0.0,      0x1p-1074, -0x1p-1074, 0x1p-1022, 0x1.8p-1022, 1.0,
                            -1.0,     0.5,       -0.5,      2.0,        0x1p1023,  -0x1p1023,   0x1.fffffffffffffp1023,
                            INFINITY, -INFINITY, NAN,       0x1p-26,    0x1p-27,   0x1p14,      -0x1p-26};

constexpr double kPi = std::numbers::pi;

// sin, cos of moderate arguments, near multiples of pi / 512, pi / 4, pi / 2,
// and the thresholds.
double Moderate(TGen& g) {
  const int kind = g.Int(0, 5);
  if (kind == 0) return std::ldexp(g.Unit() + 0.5, g.Int(-30, 20));
  if (kind <= 3) {
    const double step = kind == 1 ? kPi / 512 : kind == 2 ? kPi / 4 : kPi / 2;
    return g.Ulps(step * g.Int(1, 1 << g.Int(0, 24)), 4);
  }
  if (kind == 4) {  // the double nearest a multiple of pi / 2 up to 2^1000
    TMpfr m(1200), p(1200);
    mpfr_const_pi(p, MPFR_RNDN);
    mpfr_mul_d(m, p, std::ldexp(g.Unit() + 1, g.Int(1, 960)), MPFR_RNDN);
    mpfr_div_2ui(m, m, 1, MPFR_RNDN);
    mpfr_round(m, m);  // an integer multiple k
    mpfr_mul(m, m, p, MPFR_RNDN);
    mpfr_div_2ui(m, m, 1, MPFR_RNDN);
    return g.Ulps(mpfr_get_d(m, MPFR_RNDN), 1);
  }
  const double t[] = {0x1p-26, 0x1p-27, 0x1p14, kPi / 1024, 0.78, 0x1p53, 0x1p52};
  return g.Ulps(t[g.Int(0, 6)], 3);
}

// atan2 over every exponent; tiny, huge and subnormal ratios; the specials.
TCall AnyAtan2(TGen& g, uint64_t n) {
  const int kind = g.Int(0, 3);
  double y = g.AnyFinite(), x = g.AnyFinite();
  if (kind == 1) {
    y = kSpecials[g.U() % std::size(kSpecials)];
    x = kSpecials[g.U() % std::size(kSpecials)];
  } else if (kind == 2) {  // y / x an odd multiple of 2^-1075, or next to one
    const uint64_t nx = (g.U() & 0xfffff) | 1, w = (g.U() % ((uint64_t(1) << 53) / nx)) | 1;
    const int kx = g.Int(1, 100);
    x = g.Sign(std::ldexp(static_cast<double>(nx), kx));
    y = g.Sign(g.Ulps(std::ldexp(static_cast<double>(w * nx), kx - 1075), static_cast<int>(n % 2)));
  } else if (kind == 3) {  // ratios around 2^-54 and their reciprocals
    x = std::ldexp(g.Unit() + 0.5, g.Int(-1000, 1000));
    y = std::ldexp(x * (g.Unit() + 0.5), -g.Int(50, 60));
    if (g.U() & 1) std::swap(x, y);
    x = g.Sign(x), y = g.Sign(y);
  }
  return {TKind::Atan2, y, x};
}

// acos near -1, 0, 1/2 and 1, inside and around [-1, 1].
double AnyAcos(TGen& g) {
  const int kind = g.Int(0, 4);
  if (kind == 1) return g.Sign(1 - std::ldexp(static_cast<double>(g.Int(1, 1 << 20)), -53 + g.Int(0, 40)));
  if (kind == 2) return g.Sign(std::ldexp(g.Unit(), -g.Int(1, 1074)));
  if (kind == 3) return g.Sign(g.Ulps(0.5, 4));
  if (kind == 4) return g.U() & 3 ? g.Sign(g.Ulps(1.0, 2)) : kSpecials[g.U() % std::size(kSpecials)];
  return g.Unit() * 2 - 1;
}

// A sub-step of a random elliptical arc, as its measure takes it: the angle
// stepped to, the tilt, the direction between neighbouring points and its
// negation, the directions from the circle through three of them, and a
// point's eccentric angle on a flat ellipse.
int ArcCalls(TGen& g, TCall* out) {
  const double r = std::ldexp(g.Unit() + 0.5, g.Int(-10, 17)), k = g.U() & 7 ? g.Unit() : 1e-6;
  const double tilt = g.Unit() * 2 * kPi, h = (g.Unit() + 0x1p-20) * 2 * kPi / 3600;
  double t = g.Unit() * 2 * kPi;
  for (int i = g.Int(0, 3599); i > 0; --i) t = t + h;
  const TSinCos ct = CrSinCos(tilt);
  double px[3], py[3];
  for (int i = 0; i < 3; ++i) {
    const TSinCos c = CrSinCos(t + i * h);
    px[i] = r * c.Cos * ct.Cos - k * r * c.Sin * ct.Sin;
    py[i] = r * c.Cos * ct.Sin + k * r * c.Sin * ct.Cos;
  }
  const double dx = px[1] - px[0], dy = py[1] - py[0];
  int m = 0;
  out[m++] = {TKind::SinCos, 0, t};
  out[m++] = {TKind::SinCos, 0, tilt};
  out[m++] = {TKind::Atan2, dy, dx};
  out[m++] = {TKind::SinCos, 0, -CrAtan2(dy, dx)};
  // the circle through the three points
  const double bx = px[1] - px[0], by = py[1] - py[0], cx = px[2] - px[0], cy = py[2] - py[0];
  const double d = 2 * (bx * cy - by * cx);
  if (d != 0) {
    const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const double ux = px[0] + (cy * b2 - by * c2) / d, uy = py[0] + (bx * c2 - cx * b2) / d;
    out[m++] = {TKind::Atan2, py[0] - uy, px[0] - ux};
    out[m++] = {TKind::Atan2, py[1] - uy, px[1] - ux};
  }
  out[m++] = {TKind::Acos, 0, std::fmax(-1.0, std::fmin(1.0, px[1] / r))};
  return m;
}

}  // namespace

int RandomCalls(uint64_t n, uint64_t seed, TCall* out) {
  TGen g(seed, n);
  switch (n % 10) {
    case 0:  // sin, cos over every exponent
      out[0] = {TKind::SinCos, 0, g.AnyFinite()};
      return 1;
    case 1:
      out[0] = {TKind::SinCos, 0, g.Sign(Moderate(g))};
      return 1;
    case 2: {  // the doubles nearest multiples of pi / 2, their neighbours, and the specials
      const double x = g.U() & 1 ? kNearPi2[g.U() % std::size(kNearPi2)] : kSpecials[g.U() % std::size(kSpecials)];
      out[0] = {TKind::SinCos, 0, g.Sign(g.Ulps(x, 2))};
      return 1;
    }
    case 3:
    case 4: {  // atan2: moderate directions, ratios near the table's points and 1
      const double x = g.Sign(std::ldexp(g.Unit() + 0.5, g.Int(-8, 8)));
      double y = g.Sign(std::ldexp(g.Unit() + 0.5, g.Int(-8, 8)));
      if (n % 3 == 0) y = g.Ulps(std::copysign(std::fabs(x) * g.Int(0, 256) / 256, y), 8);
      if (n % 7 == 0) y = g.Ulps(std::copysign(std::fabs(x), y), 3);
      out[0] = {TKind::Atan2, y, x};
      return 1;
    }
    case 5:
      out[0] = AnyAtan2(g, n);
      return 1;
    case 6:
      out[0] = {TKind::Acos, 0, AnyAcos(g)};
      return 1;
    default:  // 7, 8, 9
      return ArcCalls(g, out);
  }
}

}  // namespace mpfrcheck
