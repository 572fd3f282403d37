#include "geometry/Plane.h"

#include <cmath>
#include <numbers>

#include "geometry/NumConv.h"

namespace {
constexpr double kTwoPi = 2 * std::numbers::pi;
}  // namespace

double Distance(double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1, dy = y2 - y1;
  return std::sqrt(dx * dx + dy * dy);
}

double AngleRad(double dx, double dy) {
  if (std::fabs(dx) < kFineTolerance && std::fabs(dy) < kFineTolerance) return 0;
  double a = CrAtan2(dy, dx);
  if (a < 0) a += kTwoPi;
  return a;
}

double AngleDeg(double dx, double dy) { return RoundE10(RadToDeg(AngleRad(dx, dy))); }

double NormDeg(double a) {
  double t = std::fabs(a);
  if (t >= 360) t -= std::trunc(t / 360) * 360;
  if (a < 0) t = -t;
  if (t < 0) t += 360;
  if (t >= 360) t -= 360;
  return t;
}

TPointD RotateRad(double px, double py, double cx, double cy, double theta) {
  return TRotation(theta).About(px, py, cx, cy);
}

TPointD RotateDeg(double px, double py, double cx, double cy, double thetaDeg) {
  return RotateRad(px, py, cx, cy, DegToRad(thetaDeg));
}

double RotatedY(double px, double py, double cx, double cy, double theta) {
  const TSinCos t = CrSinCos(theta);
  return cy + t.Sin * (px - cx) + t.Cos * (py - cy);
}

double EllipseParamRad(double px, double py, double cx, double cy, double /*r*/, double k,
                       double tilt) {
  if (!(k > 0)) k = 1;
  const TPointD p = RotateRad(px, py, cx, cy, -tilt);
  return AngleRad(p.X - cx, (p.Y - cy) / k);
}

double EllipseParamDeg(double px, double py, double cx, double cy, double r, double k,
                       double tiltDeg) {
  return RoundE10(RadToDeg(EllipseParamRad(px, py, cx, cy, r, k, DegToRad(tiltDeg))));
}

double PointLineDist(double x1, double y1, double x2, double y2, double px, double py) {
  const double theta = AngleRad(x2 - x1, y2 - y1);
  return std::fabs(RotatedY(px, py, x1, y1, -theta) - y1);
}

// With the differences as PointLineDist rounds them, D = |dx ey - dy ex| / |d|
// is the exact distance. PointLineDist differs from D by less than
// 2^-49 (|y1| + |ex| + |ey|) + 2^-52 D: its angle lies within 2^-49.7 of the
// exact direction (a correctly rounded arctangent, and 2 pi added), its sine
// and cosine within 2^-49.6 of the exact ones, and its two products and three
// sums round once each. The cross product below differs from D by less than
// 2^-52 (|ex| + |ey|) + 2^-51 D. The bound taken is 4 times both, and the
// comparisons keep 2^-40 of tol clear for their own rounding.
bool PointLineDistBelow(double x1, double y1, double x2, double y2, double px, double py,
                        double tol) {
  const double dx = x2 - x1, dy = y2 - y1, ex = px - x1, ey = py - y1;
  if (std::fabs(dx) >= kFineTolerance || std::fabs(dy) >= kFineTolerance) {
    const double d = std::fabs(dx * ey - dy * ex) / std::sqrt(dx * dx + dy * dy);
    const double err = 0x1p-47 * (std::fabs(y1) + std::fabs(ex) + std::fabs(ey) + d);
    if (std::isfinite(err)) {
      if (d > tol * (1 + 0x1p-40) + err) return false;
      if (d < tol * (1 - 0x1p-40) - err) return true;
    }
  }
  return PointLineDist(x1, y1, x2, y2, px, py) < tol;
}
