// Measuring and stepping along elliptical arcs, and the circle through three
// points that the measure is made of.
#pragma once

#include "geometry/Plane.h"

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
