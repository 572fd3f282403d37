// Sine, cosine, arctangent and arccosine rounded correctly: each result is the
// double nearest the exact value (ties to even), for every argument, on every
// platform and with every compiler, so that the replies do not depend on the
// system's math library. The method is described in CrMath.cpp.
#pragma once

struct TSinCos {
  double Sin, Cos;
};

double CrSin(double x);
double CrCos(double x);
// Both of one angle, for the price of little more than one.
TSinCos CrSinCos(double x);
// The direction of (x, y) in [-pi, pi], with the signed zeros and infinities
// of IEEE 754: atan2(+-0, +0) = +-0, atan2(+-0, -0) = +-pi, ...
double CrAtan2(double y, double x);
// In [0, pi]; NaN outside [-1, 1].
double CrAcos(double x);
