// Path lengths along elliptical arcs: the sweep is cut into 3600 sub-steps and
// each is measured as an arc of the circle through it and its two neighbours,
// or as its chord where no circle fits or the circle turns further than the
// ellipse can. Results depend on every step of this method, so it is followed
// exactly; only values that do not change between calls (the tilt's sine and
// cosine) are computed once.
#include "geometry/EllipseArc.h"

#include <cmath>
#include <numbers>
#include <optional>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2 * kPi;
constexpr int kSubSteps = 3600;

struct TCircle {
  bool Ok;
  double CX, CY, R;
};

// The centre and radius that Circle3P finds, without its angles: the
// measure needs only these, computed exactly as Circle3P computes them.
TCircle FitCircle(double x1, double y1, double x2, double y2, double x3, double y3) {
  if (PointLineDistBelow(x1, y1, x2, y2, x3, y3, kTolerance)) return {false, 0, 0, 0};
  const double d = (x1 - x2) * (y3 - y2) - (y1 - y2) * (x3 - x2);
  if (std::fabs(d) < kTolerance) return {false, 0, 0, 0};
  const double b1 = x2 * x2 + y2 * y2 - x1 * x1 - y1 * y1;
  const double b3 = x2 * x2 + y2 * y2 - x3 * x3 - y3 * y3;
  const double cx = ((y1 - y2) * b3 - (y3 - y2) * b1) / (2 * d);
  const double cy = ((x3 - x2) * b1 - (x1 - x2) * b3) / (2 * d);
  const double rho = std::sqrt((x1 - cx) * (x1 - cx) + (y1 - cy) * (y1 - cy));
  return {!(rho < kTolerance), cx, cy, rho};
}

bool IsCircle(double k) { return std::fabs(k - 1) <= kTolerance; }

}  // namespace

TCircleFit Circle3P(double x1, double y1, double x2, double y2, double x3, double y3) {
  TCircleFit out;
  const TCircle c = FitCircle(x1, y1, x2, y2, x3, y3);
  out.CX = c.CX;
  out.CY = c.CY;
  out.R = c.R;
  if (!c.Ok) return out;
  const double a1 = AngleRad(x1 - c.CX, y1 - c.CY);
  const double a2 = AngleRad(x2 - c.CX, y2 - c.CY);
  const double a3 = AngleRad(x3 - c.CX, y3 - c.CY);
  double lo = a1, hi = a3;
  bool ccw = true;
  if (a1 > a3) {
    lo = a3;
    hi = a1;
    ccw = false;
  }
  if (a2 < lo || a2 > hi) {
    out.StartAngle = hi;
    out.EndAngle = lo;
    ccw = !ccw;
  } else {
    out.StartAngle = lo;
    out.EndAngle = hi;
  }
  out.Ccw = ccw;
  out.Ok = true;
  return out;
}

namespace {

// One sub-step, from P0 to P1: an arc of the circle fitted through P0, P1 and
// the next point (OnCircle), or its chord.
struct TPiece {
  TPointD P0, P1;
  bool OnCircle = false;
  double CX = 0, CY = 0, R = 0;  // the fitted circle, when OnCircle
  double A0 = 0;                 // P0's angle about its centre, when OnCircle
  double Length = 0;
};

// The 3600 sub-steps from eccentric angle t on, h apart, of the ellipse of
// flatness k > 0 (0: a segment, every piece its chord) whose point at an
// eccentric angle `point` gives; both the measure and the walk take them.
// `visit` sees each piece in turn and ends the stepping with a point of its
// own. Pieces are measured counter-clockwise about their circle when ccw,
// clockwise otherwise. What no visit ends with: the last triple's third
// point, one sub-step beyond the sweep.
template <class Point, class Visit>
TPointD StepAlong(const Point& point, double t, double h, bool ccw, double k, Visit&& visit) {
  // A fit can fail short of the tests of FitCircle. Far from the origin the
  // centre's formula cancels the squared coordinates and can put the centre
  // anywhere, across the chord even; at the vertex of a very flat ellipse
  // the circle through three points really runs the long way. So a fit also
  // fails when its arc between the sub-step's ends
  // - turns more than twice what the ellipse can in a sub-step: the tangent
  //   turns by k / (sin^2 t + k^2 cos^2 t) per unit of eccentric angle, at
  //   most |h| max(k, 1/k) in a sub-step, and the circle through three points
  //   about as much between the first two;
  // - turns more than half a turn;
  // - or is shorter than its chord, which no arc is (a part in a million
  //   left to rounding).
  // Such a sub-step is its chord, like any failed fit.
  const double maxDelta = k == 0 ? 0 : std::fmin(kPi, 2 * std::fabs(h) * std::fmax(k, 1 / k));
  TPointD p0 = point(t);
  t = t + h;
  TPointD p1 = point(t);
  for (int i = 0; i < kSubSteps; ++i) {
    t = t + h;
    const TPointD p2 = point(t);
    const TCircle c = k != 0 ? FitCircle(p0.X, p0.Y, p1.X, p1.Y, p2.X, p2.Y) : TCircle{};
    const double chord = Distance(p0.X, p0.Y, p1.X, p1.Y);
    TPiece piece{p0, p1};
    piece.Length = chord;
    if (c.Ok) {
      const double a1 = AngleRad(p1.X - c.CX, p1.Y - c.CY);
      const double a0 = AngleRad(p0.X - c.CX, p0.Y - c.CY);
      double delta = ccw ? a1 - a0 : a0 - a1;
      if (delta < 0) delta += kTwoPi;
      if (delta <= maxDelta && c.R * delta >= chord * (1 - 1e-6))
        piece = {p0, p1, true, c.CX, c.CY, c.R, a0, c.R * delta};
    }
    if (const std::optional<TPointD> done = visit(piece)) return *done;
    p0 = p1;
    p1 = p2;
  }
  return p1;
}

}  // namespace

double EllipseArcLength(double cx, double cy, double r, double k, double start, double end,
                        double tilt) {
  (void)cx;  // the centre does not change lengths
  (void)cy;
  const double w = SweepDeg(start, end);
  if (IsCircle(k)) return DegToRad(w) * r;
  // A negative flatness mirrors the ellipse about its first axis, which keeps
  // every length; measured as it is, its pieces would run clockwise round
  // their circles and each be taken for a failed fit.
  if (k < 0) k = -k;
  const TRotation rot(DegToRad(tilt));
  auto q = [&](double a) { return rot.EllipsePoint(0, 0, r, k, a); };
  double total = 0;
  // Flatness 0 is a segment run there and back: its chords are its pieces.
  StepAlong(q, DegToRad(start), DegToRad(w) / kSubSteps, true, k,
            [&](const TPiece& piece) -> std::optional<TPointD> {
              total = total + piece.Length;
              return std::nullopt;
            });
  return total;
}

namespace {

// Eccentric angle of a point of a degenerate (flatness 0) ellipse, a segment
// run there and back: the point shows only cos t, so of the two passes take
// the one that lies on the arc nearest its entry end.
double DegenerateParam(double u, double r, double start, double end, double direction) {
  const double c = r != 0 ? std::fmax(-1.0, std::fmin(1.0, u / r)) : 1.0;
  const double a = CrAcos(c);
  const double entry = DegToRad(direction < 0 ? end : start);
  const double sweep = DegToRad(SweepDeg(start, end));
  auto along = [&](double t) {  // how far t lies along the arc from its entry end
    double d = direction < 0 ? entry - t : t - entry;
    d = std::fmod(d, kTwoPi);
    return d < 0 ? d + kTwoPi : d;
  };
  const double da = along(a), db = along(-a);
  const bool aOn = da <= sweep + 1e-9, bOn = db <= sweep + 1e-9;
  if (aOn != bOn) return aOn ? a : -a;
  return da <= db ? a : -a;
}

}  // namespace

TPointD EllipsePointAtLength(double x0, double y0, double direction, double length, double cx,
                             double cy, double r, double k, double start, double end,
                             double tilt) {
  if (IsCircle(k)) {
    const double a0 = AngleRad(x0 - cx, y0 - cy);
    double delta = length / r;
    if (direction < 0) delta = -delta;
    const TSinCos t = CrSinCos(a0 + delta);
    return {cx + r * t.Cos, cy + r * k * t.Sin};
  }
  // Mirrored about its first axis, an ellipse of negative flatness is the one
  // of flatness |k| run the other way round.
  if (k < 0) {
    k = -k;
    direction = direction < 0 ? 1 : -1;
  }
  const TRotation rot(DegToRad(tilt));
  const TRotation unrot(DegToRad(-tilt));
  auto paramOf = [&](double x, double y) {
    const TPointD uv = unrot.About(x - cx, y - cy, 0, 0);
    if (k == 0) return DegenerateParam(uv.X, r, start, end, direction);
    return AngleRad(uv.X, uv.Y / k);
  };
  auto e = [&](double a) { return rot.EllipsePoint(cx, cy, r, k, a); };

  double w = SweepDeg(start, end);
  if (direction < 0) w = -w;
  const double h = DegToRad(w) / kSubSteps;
  double walked = 0;
  return StepAlong(e, paramOf(x0, y0), h, h > 0, k,
                   [&](const TPiece& p) -> std::optional<TPointD> {
                     if (!(walked + p.Length >= length)) {
                       walked = walked + p.Length;
                       return std::nullopt;
                     }
                     const double rest = length - walked;
                     if (p.OnCircle) {
                       const TSinCos cs = CrSinCos(h > 0 ? p.A0 + rest / p.R : p.A0 - rest / p.R);
                       return e(paramOf(p.CX + p.R * cs.Cos, p.CY + p.R * cs.Sin));
                     }
                     const TSinCos cs = CrSinCos(AngleRad(p.P1.X - p.P0.X, p.P1.Y - p.P0.Y));
                     return TPointD{p.P0.X + rest * cs.Cos, p.P0.Y + rest * cs.Sin};
                   });
}
