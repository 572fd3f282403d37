// Numeric and geometry helpers: conversions that never fail, rounding,
// plane geometry on points, angles and ellipses, and the elliptical arc measure.
// All pure; angles in radians where the name ends in Rad, else in degrees.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// ---- numbers ----------------------------------------------------------------

// The integer / real the text denotes; 0 when it is empty or malformed.
int32_t StrToIntZ(std::string_view text);
double StrToFloatZ(std::string_view text);

// The value with n decimals and digit grouping, in the user's separators.
std::string FormatFixedN(int n, double value);

// x rounded to the nearest multiple of 1e-10, halves away from zero, worked in
// extended precision so that the result is the double nearest the grid value.
double RoundE10(double x);

// The same rounding without extended arithmetic, for targets whose long double
// is a plain double; tested against RoundE10 where both exist.
double RoundE10Portable(double x);

// ---- plane geometry -----------------------------------------------------------

struct TPointD {
  double X = 0;
  double Y = 0;
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

// ---- elliptical arc measure ---------------------------------------------------

struct TCircleFit {
  bool Ok = false;
  double CX = 0, CY = 0, R = 0;
  double StartAngle = 0, EndAngle = 0;  // radians; the ccw sweep holds P2
  bool Ccw = false;                     // P1 -> P2 -> P3 runs counter-clockwise
};

// The circle through three points; fails for points within 1e-8 of a line,
// a determinant below 1e-8 or a radius below 1e-8.
TCircleFit Circle3P(double x1, double y1, double x2, double y2, double x3, double y3);

// Path length of the arc from start counter-clockwise to end (degrees).
double EllipseArcLength(double cx, double cy, double r, double k, double start, double end,
                        double tilt);

// The point `length` further along the arc from (x0, y0): counter-clockwise
// when direction >= 0, clockwise when it is negative.
TPointD EllipsePointAtLength(double x0, double y0, double direction, double length, double cx,
                             double cy, double r, double k, double start, double end,
                             double tilt);
