// Plane geometry on points, angles and ellipses. Angles run counter-clockwise
// from the +x axis, in degrees unless the name ends in Rad.
#pragma once

#include <cmath>
#include <numbers>

#include "crmath/CrMath.h"

// Every geometric comparison of the division: coinciding points (each
// coordinate on its own, the bound included), a flatness of 1, collinearity
// and circle fits, the smallest usable distance.
inline constexpr double kTolerance = 1e-8;
// The finer grid: the null vector of AngleRad, the rounding of RoundE10, the
// reader's coinciding solid corners.
inline constexpr double kFineTolerance = 1e-10;

struct TPointD {
  double X = 0;
  double Y = 0;
};

inline bool Coincide(double x1, double y1, double x2, double y2, double tol = kTolerance) {
  return std::fabs(x1 - x2) <= tol && std::fabs(y1 - y2) <= tol;
}
inline bool Coincide(TPointD p, TPointD q, double tol = kTolerance) { return Coincide(p.X, p.Y, q.X, q.Y, tol); }

// In this order of operations, on which every result depends.
inline double DegToRad(double a) { return a / 180 * std::numbers::pi; }
inline double RadToDeg(double a) { return a * 180 / std::numbers::pi; }

// The counter-clockwise sweep from start to end, both within one turn.
inline double SweepDeg(double start, double end) {
  double w = end - start;
  if (w < 0) w += 360;
  return w;
}

// Half a turn on from a in [0, 360]: in [0, 360).
inline double OppositeDeg(double a) {
  double b = a + 180;
  if (b >= 360) b -= 360;
  return b;
}

// A rotation about a centre, its cosine and sine computed once.
struct TRotation {
  double C, S;
  explicit TRotation(double thetaRad) {
    const TSinCos t = CrSinCos(thetaRad);
    C = t.Cos;
    S = t.Sin;
  }
  TPointD About(double px, double py, double cx, double cy) const {
    return {cx + C * (px - cx) - S * (py - cy), cy + S * (px - cx) + C * (py - cy)};
  }
  // The point at eccentric angle t of the ellipse about (cx, cy) with
  // semi-axes r and r * k, turned by this rotation.
  TPointD EllipsePoint(double cx, double cy, double r, double k, double tRad) const {
    const TSinCos t = CrSinCos(tRad);
    return About(cx + r * t.Cos, cy + r * k * t.Sin, cx, cy);
  }
};

double Distance(double x1, double y1, double x2, double y2);

// Direction of (dx, dy) in [0, 2pi); 0 when both components are below 1e-10.
double AngleRad(double dx, double dy);

// AngleRad in degrees on the 1e-10 grid: [0, 360], 360 just below +x.
double AngleDeg(double dx, double dy);

// a brought into [0, 360).
double NormDeg(double a);

TPointD RotateRad(double px, double py, double cx, double cy, double theta);
TPointD RotateDeg(double px, double py, double cx, double cy, double thetaDeg);
double RotatedY(double px, double py, double cx, double cy, double theta);

// Eccentric angle of (px, py) on the ellipse (centre, radius r, flatness k,
// tilt); k <= 0 is taken as 1. r does not matter and is not used.
double EllipseParamRad(double px, double py, double cx, double cy, double r, double k,
                       double tilt);
double EllipseParamDeg(double px, double py, double cx, double cy, double r, double k,
                       double tiltDeg);

// Distance of (px, py) from the infinite line through (x1, y1) and (x2, y2).
double PointLineDist(double x1, double y1, double x2, double y2, double px, double py);
// PointLineDist(...) < tol, without PointLineDist's arctangent, sine and
// cosine where a cross product shows the distance clearly on one side of tol.
bool PointLineDistBelow(double x1, double y1, double x2, double y2, double px, double py,
                        double tol);
