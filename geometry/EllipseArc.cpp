// Path lengths along elliptical arcs: the sweep is cut into 3600 sub-steps and
// each is measured as an arc of the circle through it and its two neighbours
// (or as its chord where no circle fits). Results depend on every step of this
// method, so it is followed exactly; only values that do not change between
// calls (the tilt's sine and cosine) are computed once.
#include "geometry/EllipseArc.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
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

double EllipseArcLength(double cx, double cy, double r, double k, double start, double end,
                        double tilt) {
  (void)cx;  // the centre does not change lengths
  (void)cy;
  const double w = SweepDeg(start, end);
  if (IsCircle(k)) return DegToRad(w) * r;
  // A negative flatness mirrors the ellipse about its first axis, which keeps
  // every length; measured as it is, its pieces would run clockwise and each
  // count as nearly a full turn.
  if (k < 0) k = -k;
  // Flatness 0 is a segment run there and back: its chords are its pieces.
  const bool flat = k == 0;
  const TRotation rot(DegToRad(tilt));
  const double h = DegToRad(w) / kSubSteps;
  double t = DegToRad(start);
  auto q = [&](double a) { return rot.EllipsePoint(0, 0, r, k, a); };
  TPointD p0 = q(t);
  t = t + h;
  TPointD p1 = q(t);
  double total = 0;
  for (int i = 0; i < kSubSteps; ++i) {
    t = t + h;
    const TPointD p2 = q(t);
    const TCircle c = flat ? TCircle{} : FitCircle(p0.X, p0.Y, p1.X, p1.Y, p2.X, p2.Y);
    double piece;
    if (c.Ok) {
      double delta = AngleRad(p1.X - c.CX, p1.Y - c.CY) - AngleRad(p0.X - c.CX, p0.Y - c.CY);
      if (delta < 0) delta += kTwoPi;
      piece = c.R * delta;
    } else {
      piece = Distance(p0.X, p0.Y, p1.X, p1.Y);
    }
    total = total + piece;
    p0 = p1;
    p1 = p2;
  }
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

  double t = paramOf(x0, y0);
  double w = SweepDeg(start, end);
  if (direction < 0) w = -w;
  const double h = DegToRad(w) / kSubSteps;
  double walked = 0;
  TPointD q0 = e(t);
  t = t + h;
  TPointD q1 = e(t);
  for (int count = 0;;) {
    t = t + h;
    const TPointD q2 = e(t);
    const TCircle c = k == 0 ? TCircle{} : FitCircle(q0.X, q0.Y, q1.X, q1.Y, q2.X, q2.Y);
    double piece;
    if (c.Ok) {
      const double a1 = AngleRad(q1.X - c.CX, q1.Y - c.CY);
      const double a0 = AngleRad(q0.X - c.CX, q0.Y - c.CY);
      double delta = h > 0 ? a1 - a0 : a0 - a1;
      if (delta < 0) delta += kTwoPi;
      piece = c.R * delta;
      if (walked + piece >= length) {
        const double phi = h > 0 ? a0 + (length - walked) / c.R : a0 - (length - walked) / c.R;
        const TSinCos cs = CrSinCos(phi);
        return e(paramOf(c.CX + c.R * cs.Cos, c.CY + c.R * cs.Sin));
      }
    } else {
      piece = Distance(q0.X, q0.Y, q1.X, q1.Y);
      if (walked + piece >= length) {
        const double theta = AngleRad(q1.X - q0.X, q1.Y - q0.Y);
        const TSinCos cs = CrSinCos(theta);
        return {q0.X + (length - walked) * cs.Cos, q0.Y + (length - walked) * cs.Sin};
      }
    }
    walked = walked + piece;
    q0 = q1;
    q1 = q2;
    if (++count == kSubSteps) return q1;
  }
}
