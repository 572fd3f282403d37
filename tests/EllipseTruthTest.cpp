// The elliptical arc measure against the true ellipse: lengths and points
// from elliptic integrals evaluated in MPFR, on small ellipses far from the
// origin, on flat ellipses whose vertices are hairpins, and on ordinary ones.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "geometry/MyFunc.h"

namespace {

// A real number of 128 bits: every rounding below is some 1e-38 of the
// values, far below the errors under test.
class TBig {
 public:
  TBig(double d = 0) {  // implicit: every double is taken exactly
    mpfr_init2(v_, 128);
    mpfr_set_d(v_, d, MPFR_RNDN);
  }
  TBig(const TBig& o) : TBig() { mpfr_set(v_, o.v_, MPFR_RNDN); }
  TBig& operator=(const TBig& o) {
    mpfr_set(v_, o.v_, MPFR_RNDN);
    return *this;
  }
  ~TBig() { mpfr_clear(v_); }
  double D() const { return mpfr_get_d(v_, MPFR_RNDN); }

  friend TBig operator+(const TBig& a, const TBig& b) { return Do(mpfr_add, a, b); }
  friend TBig operator-(const TBig& a, const TBig& b) { return Do(mpfr_sub, a, b); }
  friend TBig operator*(const TBig& a, const TBig& b) { return Do(mpfr_mul, a, b); }
  friend TBig operator/(const TBig& a, const TBig& b) { return Do(mpfr_div, a, b); }
  friend TBig Atan2(const TBig& y, const TBig& x) { return Do(mpfr_atan2, y, x); }
  friend bool operator<(const TBig& a, const TBig& b) { return mpfr_less_p(a.v_, b.v_) != 0; }
  friend TBig Sqrt(const TBig& a) { return Do(mpfr_sqrt, a); }
  friend TBig Sin(const TBig& a) { return Do(mpfr_sin, a); }
  friend TBig Cos(const TBig& a) { return Do(mpfr_cos, a); }
  friend TBig Round(const TBig& a) {
    TBig r;
    mpfr_round(r.v_, a.v_);
    return r;
  }
  static TBig Pi() {
    TBig r;
    mpfr_const_pi(r.v_, MPFR_RNDN);
    return r;
  }

 private:
  static TBig Do(int (*f)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t), const TBig& a, const TBig& b) {
    TBig r;
    f(r.v_, a.v_, b.v_, MPFR_RNDN);
    return r;
  }
  static TBig Do(int (*f)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t), const TBig& a) {
    TBig r;
    f(r.v_, a.v_, MPFR_RNDN);
    return r;
  }
  mpfr_t v_;
};

TBig Abs(const TBig& a) { return a < 0 ? 0 - a : a; }
TBig Max3(const TBig& a, const TBig& b, const TBig& c) { return std::max(std::max(a, b), c); }

// Carlson's symmetric integrals R_F(x, y, z) and R_D(x, y, z): duplication
// until the arguments agree to 24 bits (Q), then the series to fifth order,
// whose remainder is below Q^6, 2^-144 (Carlson 1995; DLMF 19.36.1, 19.36.2).
TBig CarlsonRF(TBig x, TBig y, TBig z) {
  for (;;) {
    const TBig a = (x + y + z) / 3, dx = (a - x) / a, dy = (a - y) / a, dz = 0 - dx - dy;
    if (Max3(Abs(dx), Abs(dy), Abs(dz)) < std::ldexp(1.0, -24)) {
      const TBig e2 = dx * dy - dz * dz, e3 = dx * dy * dz;
      return (1 - e2 / 10 + e3 / 14 + e2 * e2 / 24 - 3 * e2 * e3 / 44) / Sqrt(a);
    }
    const TBig sx = Sqrt(x), sy = Sqrt(y), sz = Sqrt(z), l = sx * sy + sy * sz + sz * sx;
    x = (x + l) / 4, y = (y + l) / 4, z = (z + l) / 4;
  }
}
TBig CarlsonRD(TBig x, TBig y, TBig z) {
  TBig sum = 0, f = 1;
  for (;;) {
    const TBig a = (x + y + 3 * z) / 5, dx = (a - x) / a, dy = (a - y) / a, dz = (a - z) / a;
    if (Max3(Abs(dx), Abs(dy), Abs(dz)) < std::ldexp(1.0, -24)) {
      const TBig xy = dx * dy, zz = dz * dz, e2 = xy - 6 * zz, e3 = (3 * xy - 8 * zz) * dz;
      const TBig e4 = 3 * (xy - zz) * zz, e5 = xy * zz * dz;
      const TBig series =
          1 - 3 * e2 / 14 + e3 / 6 + 9 * e2 * e2 / 88 - 3 * e4 / 22 - 9 * e2 * e3 / 52 + 3 * e5 / 26;
      return 3 * sum + f * series / (a * Sqrt(a));
    }
    const TBig sx = Sqrt(x), sy = Sqrt(y), sz = Sqrt(z), l = sx * sy + sy * sz + sz * sx;
    sum = sum + f / (sz * (z + l));
    f = f / 4;
    x = (x + l) / 4, y = (y + l) / 4, z = (z + l) / 4;
  }
}

// The true ellipse of an arc's numbers: centre, radius r, flatness k > 0,
// tilt in degrees, every degree taken as exactly pi / 180.
struct TTruth {
  TBig CX, CY, R, K, C, S;  // C, S: the tilt's cosine and sine
  TBig Quarter;             // E(pi/2 | 1 - k^2), a quarter of the perimeter over r

  TTruth(double cx, double cy, double r, double k, double tilt)
      : CX(cx), CY(cy), R(r), K(k), C(Cos(Rad(tilt))), S(Sin(Rad(tilt))), Quarter(E(1, 0)) {}
  static TBig Rad(const TBig& deg) { return deg / 180 * TBig::Pi(); }

  // Legendre's E(phi | 1 - k^2) for |phi| <= pi/2, from its sine and cosine.
  TBig E(const TBig& s, const TBig& c) const {
    const TBig c2 = c * c, y = c2 + K * K * s * s;
    return s * CarlsonRF(c2, y, 1) - (1 - K * K) / 3 * s * s * s * CarlsonRD(c2, y, 1);
  }
  // The path length from eccentric angle 0 to t: r times the integral of
  // sqrt(sin^2 + k^2 cos^2), which is E(pi/2) - E(pi/2 - t) with E continued
  // by E(phi + n pi) = E(phi) + 2n E(pi/2).
  TBig PathTo(const TBig& t) const {
    const TBig pi = TBig::Pi(), phi = pi / 2 - t, n = Round(phi / pi), f = phi - n * pi;
    return R * (Quarter - (E(Sin(f), Cos(f)) + 2 * n * Quarter));
  }
  TBig Speed(const TBig& t) const {
    const TBig s = Sin(t), c = Cos(t);
    return R * Sqrt(s * s + K * K * c * c);
  }
  // The eccentric angle that reaches path length `to`: Newton's steps, kept
  // within a bracket that halves where they would leave it.
  TBig AngleAt(const TBig& to, TBig t, TBig lo, TBig hi) const {
    for (int i = 0; i < 400; ++i) {
      const TBig g = PathTo(t) - to;
      (g < 0 ? lo : hi) = t;
      TBig next = t - g / Speed(t);
      if (!(lo < next && next < hi)) next = (lo + hi) / 2;
      if (Abs(next - t) < std::ldexp(1.0, -100)) return next;
      t = next;
    }
    return t;
  }
  // The path length of the arc from start counter-clockwise to end (degrees).
  double Length(double start, double end) const {
    TBig w = TBig(end) - start;
    if (w < 0) w = w + 360;
    return (PathTo(Rad(TBig(start) + w)) - PathTo(Rad(start))).D();
  }
  // The eccentric angle of (x, y), in (-pi, pi].
  TBig ParamOf(double x, double y) const {
    const TBig u = (TBig(x) - CX) * C + (TBig(y) - CY) * S, v = (TBig(y) - CY) * C - (TBig(x) - CX) * S;
    return Atan2(v / K, u);
  }
  // How far p lies from the point `length` along the ellipse from (x0, y0),
  // counter-clockwise when ccw (length within one turn). Newton starts from
  // p's own eccentric angle.
  double Miss(TPointD p, double x0, double y0, bool ccw, double length) const {
    const TBig turn = 2 * TBig::Pi(), t0 = ParamOf(x0, y0), lo = ccw ? t0 : t0 - turn;
    TBig guess = ParamOf(p.X, p.Y);
    while (guess < lo) guess = guess + turn;
    while (lo + turn < guess) guess = guess - turn;
    const TBig to = ccw ? PathTo(t0) + length : PathTo(t0) - length;
    const TBig t = AngleAt(to, guess, lo, lo + turn);
    const TBig ex = R * Cos(t), ey = R * K * Sin(t);
    const TBig dx = TBig(p.X) - (CX + C * ex - S * ey), dy = TBig(p.Y) - (CY + S * ex + C * ey);
    return Sqrt(dx * dx + dy * dy).D();
  }
};

}  // namespace

namespace {

// Uniform in [lo, hi), or log-uniform, from the generator's raw bits (whose
// sequence the standard fixes).
struct TDraw {
  std::mt19937_64 G;
  double Unit() { return static_cast<double>(G() >> 11) * 0x1p-53; }
  double In(double lo, double hi) { return lo + (hi - lo) * Unit(); }
  double Log(double lo, double hi) { return lo * std::pow(hi / lo, Unit()); }
};

// Random arcs of a kind, each measured whole and walked from each end to
// fifths of its length. Their errors keep within what the method allows:
// - where no circle is fitted a sub-step of chord c falls short by
//   c^3 kappa^2 / 24; with c = h ds/dt and kappa ds/dt = dtheta/dt, the
//   tangent's turn per unit of eccentric angle, at most M = max(k, 1/k), all
//   the chords of an arc of length L fall short by at most h^2 M^2 L / 24
//   (h the sub-step's eccentric angle); a fitted circle does better;
// - at the vertices of a very flat ellipse one sub-step holds the hairpin:
//   the path there is at most a h^2 / 2 longer than the chord (a the larger
//   semi-axis), and a piece of at most half a turn at most pi / 2 times the
//   chord, so a vertex costs under a h^2 and an arc of less than a turn
//   holds two;
// - a point placed on a chord lies off the ellipse by at most its sagitta,
//   c^2 kappa / 8 <= h^2 a M / 8; the coordinates' own rounding adds a few
//   units in their last place;
// - a point placed on a fitted circle is put back onto the ellipse along its
//   eccentric angle, which on a flat ellipse stretches the rounding of the
//   circle's far centre (up to a M away) by M: 2^-52 a M^2;
// - far from the origin the centre's formula cancels squared coordinates,
//   whose rounding grows as the distance squared, and spoils fits; those
//   that turn further than the ellipse can, or fall shorter than their
//   chord, are taken as chords, and the few left miss by far less than the
//   1e-3 mm asked of points of arcs up to 2.5e5 mm out with flatness 0.01 or
//   more, which FarOut allows there and at 1e6 mm.
struct TCorpus {
  const char* Name;
  int Arcs;
  double DistLo, DistHi;  // the centre's distance from the origin
  double RLo, RHi, KLo, KHi;
  double FarOut;
};

const TCorpus kCorpora[] = {
    {"near the origin", 40, 1, 1e3, 1, 1e3, 0.05, 20, 0},
    {"1e4 mm out", 40, 1e4, 1e4, 1.2, 6, 0.3, 0.95, 0},
    {"1e5 mm out", 40, 1e5, 1e5, 1.2, 6, 0.3, 0.95, 0},
    {"2.5e5 mm out", 60, 2.5e5, 2.5e5, 1.2, 6, 0.3, 0.95, 1e-3},
    {"2.5e5 mm out, flatness 0.01+", 60, 2.5e5, 2.5e5, 0.5, 50, 0.01, 1, 1e-3},
    {"1e6 mm out", 60, 1e6, 1e6, 1.2, 6, 0.3, 0.95, 1e-3},
    {"hairpins", 60, 1, 100, 10, 1e5, 1e-6, 1e-3, 0},
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

TEST(EllipseTruth, WithinTheMethodsBounds) {
  TDraw d{std::mt19937_64(24)};
  for (const TCorpus& c : kCorpora) {
    std::vector<double> lengths, points;
    for (int i = 0; i < c.Arcs; ++i) {
      const double dist = d.Log(c.DistLo, c.DistHi), dir = d.In(0, 360);
      const double cx = dist * std::cos(DegToRad(dir)), cy = dist * std::sin(DegToRad(dir));
      const double r = d.Log(c.RLo, c.RHi), k = d.Log(c.KLo, c.KHi), tilt = d.In(0, 360);
      const double start = d.In(0, 360), end = std::fmod(start + d.In(20, 359), 360);
      const TTruth truth(cx, cy, r, k, tilt);
      const double length = truth.Length(start, end);
      const double h = DegToRad(SweepDeg(start, end)) / 3600, m = std::fmax(k, 1 / k), a = r * std::fmax(k, 1);
      const double lengthBound = std::fmin(h * h * m * m * length / 24, 2 * a * h * h);
      const double pointBound =
          lengthBound + h * h * a * m / 8 + 0x1p-52 * a * m * m + 0x1p-50 * (dist + a) + c.FarOut;
      lengths.push_back(std::fabs(EllipseArcLength(cx, cy, r, k, start, end, tilt) - length));
      const auto arc = [&] {
        return testing::Message() << c.Name << ": centre " << cx << ' ' << cy << ", r " << r << ", k " << k
                                  << ", tilt " << tilt << ", from " << start << " to " << end;
      };
      EXPECT_LE(lengths.back(), lengthBound) << arc();
      const TRotation rot(DegToRad(tilt));
      for (const bool ccw : {true, false}) {
        const TPointD s = rot.EllipsePoint(cx, cy, r, k, DegToRad(ccw ? start : end));
        for (int j = 1; j < 5; ++j) {
          const double l = length * j / 5;
          const TPointD p = EllipsePointAtLength(s.X, s.Y, ccw ? 1 : -1, l, cx, cy, r, k, start, end, tilt);
          points.push_back(truth.Miss(p, s.X, s.Y, ccw, l));
          EXPECT_LE(points.back(), pointBound) << arc() << (ccw ? ", onwards " : ", back ") << l;
        }
      }
    }
    std::printf("%-30s length: median %.2g, worst %.2g mm; points: median %.2g, worst %.2g mm\n", c.Name,
                Median(lengths), *std::max_element(lengths.begin(), lengths.end()), Median(points),
                *std::max_element(points.begin(), points.end()));
  }
}

// Where the walk once counted a sub-step as a turn round its circle: a 4 mm
// arc with its start 2.3e5 mm from the origin, about the spot where the
// fault was seen, 7.5 mm off.
TEST(EllipseTruth, SmallArcFarOut) {
  const double cx = 159727.486340245, cy = 160171.40839415288, r = 4.14, k = 0.51, tilt = 21;
  const TTruth truth(cx, cy, r, k, tilt);
  const double length = truth.Length(135, 29);
  const TPointD s = TRotation(DegToRad(tilt)).EllipsePoint(cx, cy, r, k, DegToRad(135));
  for (int j = 1; j < 6; ++j) {
    const TPointD p = EllipsePointAtLength(s.X, s.Y, 1, length * j / 6, cx, cy, r, k, 135, 29, tilt);
    EXPECT_LE(truth.Miss(p, s.X, s.Y, true, length * j / 6), 1e-5) << j;
  }
}
