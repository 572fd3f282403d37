// Correctly rounded sin, cos, atan2 and acos by Ziv's method: a fast path in
// double-double arithmetic returns its result with a proven error bound, and
// when both ends of that interval do not round alike (one sine or cosine in
// 38,000, one atan2 in 100,000) the accurate path decides: the same function
// at 192 bits and more, rounded only once its own error bound proves the
// rounding (Accurate.cpp, where the argument that every result is correctly
// rounded is given). Doubles only, with exact products from 26-bit halves
// (Dekker), or from fused multiply-adds on processors that have them
// (Fma.cpp); no long double, and no result depends on contraction
// (-ffp-contract=off).
//
// sin, cos. Below 2^-26 (2^-27) sin x rounds to x (cos x to 1). Otherwise
// |x| = k pi / 512 + z, |z| <= pi / 1024: below 2^14 by Cody and Waite with
// pi / 512 in three parts, the first two of at most 31 bits so that k times
// them is exact (z within 2^-103); above, and where that leaves |z| < 2^-28
// at a multiple of pi / 2 (pi / 2 rounded, say), by Payne and Hanek: |x|
// times 192 bits of 1 / (2 pi) from the place where whole turns stop
// mattering, in integers (z within 2^-125 + 2^-103 |z|). Then, with S, C =
// sin, cos(j pi / 512) from a table of 256 (double-doubles, and 26-bit heads
// with their rest), sin(a + z) = S + C z + S (cos z - 1) + C (sin z - z),
// Taylor polynomials of degree 7 and 6, C z exact, S z^2 / 2 rounded once;
// cos alike. Error: below 2^-70.6 S from S z^2 / 2, below 2^-68.7 |C z| from
// the polynomial and the sums, plus the reduction's; the bounds kErrTable,
// kErrProduct, kErrCodyWaite and kErrPayneHanek (SinCos.h) exceed these by
// 1.6, 1.6, 32 and 4.
//
// atan2, acos. atan2: the smaller of |x|, |y| over the larger, q = qh + ql
// (the remainder of a rounded quotient is exact), in [0, 1]; the result is
// b + sigma atan q for b in {0, pi / 2, pi}. acos x: the same for the
// direction of (x, sqrt(1 - x^2)), 1 - x^2 a double-double within 2^-104 of
// itself. atan q by its Taylor polynomial of degree 8 about the nearest c =
// i / 256, from a table of its coefficients, |q - c| <= 1/512 (c = 0 up to
// 1.0079 / 512). Error: below 10u of the terms of second and higher order,
// plus 2^-79 of the result (the table's T1 as a 26-bit head and rest); the
// bounds kErrPoly and kErrResult (Atan.h) are twice these. If |y| / x < 2^-54
// (x > 0), atan2 is |y| / x rounded once: that quotient lies at least 2^-107
// of itself from any midpoint between doubles, farther than atan q from q;
// among subnormals it may be a midpoint itself, and then rounds down.
//
// Zeros, infinities and NaN as IEEE 754 wants them: sin(-0) = -0, cos(inf)
// = NaN, atan2(+-0, -0) = +-pi, atan2(+-inf, -inf) = +-3 pi / 4, acos of
// anything outside [-1, 1] NaN.
#include "crmath/CrMath.h"

#include "crmath/Detail.h"
#include "crmath/Kernel.h"

namespace crmath::detail {

namespace {

bool DetectFma() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("fma");
}

}  // namespace

// Read on every call; until it is set at start-up the plain build answers,
// with the same results.
const bool useFma = DetectFma();

bool FmaAvailable() { return useFma; }

template struct TBuild<false>;

}  // namespace crmath::detail

namespace cr = crmath::detail;
using Plain = cr::TBuild<false>;
using Fused = cr::TBuild<true>;

double CrSin(double x) { return cr::useFma ? Fused::Sin(x) : Plain::Sin(x); }
double CrCos(double x) { return cr::useFma ? Fused::Cos(x) : Plain::Cos(x); }
TSinCos CrSinCos(double x) {
  const cr::TSinCosPair r = cr::useFma ? Fused::SinCos(x) : Plain::SinCos(x);
  return {r.Sin, r.Cos};
}
double CrAtan2(double y, double x) { return cr::useFma ? Fused::Atan2(y, x) : Plain::Atan2(y, x); }
double CrAcos(double x) { return cr::useFma ? Fused::Acos(x) : Plain::Acos(x); }
