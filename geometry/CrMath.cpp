// Correctly rounded sin, cos, atan2 and acos by Ziv's method: a fast path in
// double-double arithmetic returns its result with a proven error bound, and
// when both ends of that interval do not round alike (one sine and cosine in
// 37,000, one atan2 in 100,000) the accurate path of CrMathAccurate.cpp
// decides. Doubles only, with
// exact products from 26-bit halves (Dekker), or from fused multiply-adds on
// processors that have them (CrMathFma.cpp); no long double, and no result
// depends on contraction (-ffp-contract=off).
//
// sin, cos. Below 2^-26 (2^-27) sin x rounds to x (cos x to 1). Otherwise
// |x| = k pi / 512 + z, |z| <= pi / 1024: below 2^14 by Cody and Waite with
// pi / 512 in three parts, the first two of at most 31 bits so that k times
// them is exact (z within 2^-103); above, and where that leaves |z| < 2^-28
// at a multiple of pi / 2 (pi / 2 rounded, say), by Payne and Hanek: |x|
// times 192 bits of 1 / (2 pi) from the place where whole turns stop
// mattering, in integers (z within 2^-125 + 2^-103 |z|). Then, with S, C = sin, cos(j pi /
// 512) from a table of 256 (double-doubles, and 26-bit heads with their rest),
// sin(a + z) = S + C z + S (cos z - 1) + C (sin z - z), Taylor polynomials
// of degree 7 and 6, C z exact, S z^2 / 2 rounded once; cos alike. Error:
// below 2^-70.6 S from S z^2 / 2, below 2^-68.7 |C z| from the polynomial
// and the sums, plus the reduction's; bounds kErrTable, kErrProduct,
// kErrCodyWaite, kErrPayneHanek (CrMathKernel.h) exceed these by a quarter.
//
// atan2, acos. atan2: the smaller of |x|, |y| over the larger, q = qh + ql
// (the remainder of a rounded quotient is exact), in [0, 1]; the result is
// b + sigma atan q for b in {0, pi / 2, pi}. acos x: the same for the
// direction of (x, sqrt(1 - x^2)), 1 - x^2 exact as a double-double. atan q
// by its Taylor polynomial of degree 8 about the nearest c = i / 256, from a
// table of its coefficients, |q - c| <= 1/512. Error: below 10u of the terms
// of second and higher order, plus 2^-79 of the result (the table's T1 as a
// 26-bit head and rest); bounds kErrPoly, kErrResult. If |y| / x < 2^-54
// (x > 0), atan2 is |y| / x rounded once: that quotient lies at least 2^-107
// of itself from any midpoint between doubles, farther than atan q from q;
// among subnormals it may be a midpoint itself, and then rounds down.
//
// Zeros, infinities and NaN as IEEE 754 wants them: sin(-0) = -0, cos(inf)
// = NaN, atan2(+-0, -0) = +-pi, atan2(+-inf, -inf) = +-3 pi / 4, acos of
// anything outside [-1, 1] NaN.
#include "geometry/CrMath.h"

#include <atomic>

#include "geometry/CrMathDetail.h"
#include "geometry/CrMathKernel.h"

namespace crmath {

namespace {

std::atomic<uint64_t> accurateCalls{0};

bool DetectFma() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("fma");
}
// Read on every call; until it is set at start-up the plain kernel answers,
// with the same results.
const bool useFma = DetectFma();

}  // namespace

uint64_t AccurateCalls() { return accurateCalls.load(std::memory_order_relaxed); }
void CountAccurateCall() { accurateCalls.fetch_add(1, std::memory_order_relaxed); }

bool FmaAvailable() { return useFma; }

double SinOn(TKernel k, double x) { return k == TKernel::Fma ? SinFma(x) : SinImpl<false>(x); }
double CosOn(TKernel k, double x) { return k == TKernel::Fma ? CosFma(x) : CosImpl<false>(x); }
TSinCos SinCosOn(TKernel k, double x) {
  return k == TKernel::Fma ? SinCosFma(x) : SinCosImpl<false>(x);
}
double Atan2On(TKernel k, double y, double x) {
  return k == TKernel::Fma ? Atan2Fma(y, x) : Atan2Impl<false>(y, x);
}
double AcosOn(TKernel k, double x) { return k == TKernel::Fma ? AcosFma(x) : AcosImpl<false>(x); }

bool SinCosFast(double x, TKernel k, TApprox& s, TApprox& c) {
  return k == TKernel::Fma ? SinCosFastFma(x, s, c) : SinCosFastImpl<false>(x, s, c);
}
bool Atan2Fast(double y, double x, TKernel k, TApprox& a) {
  return k == TKernel::Fma ? Atan2FastFma(y, x, a) : Atan2FastImpl<false>(y, x, a);
}
bool AcosFast(double x, TKernel k, TApprox& a) {
  return k == TKernel::Fma ? AcosFastFma(x, a) : AcosFastImpl<false>(x, a);
}

// For the accurate paths: the special cases decided here.
bool SinCosSpecial(double x, TSinCos& r) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  if (ux >= kInfBits) {
    r = {x - x, x - x};
  } else if (ux < uint64_t(0x3e4) << 52) {  // below 2^-27
    r = {x, 1.0};
  } else {
    return false;
  }
  return true;
}
bool Atan2SpecialCase(double y, double x, double& r) { return Atan2Special(y, x, r); }
bool AcosSpecialCase(double x, double& r) { return AcosSpecial(x, r); }

}  // namespace crmath

namespace {
bool UseFma() { return crmath::useFma; }
}  // namespace

double CrSin(double x) { return UseFma() ? crmath::SinFma(x) : SinImpl<false>(x); }
double CrCos(double x) { return UseFma() ? crmath::CosFma(x) : CosImpl<false>(x); }
TSinCos CrSinCos(double x) { return UseFma() ? crmath::SinCosFma(x) : SinCosImpl<false>(x); }
double CrAtan2(double y, double x) { return UseFma() ? crmath::Atan2Fma(y, x) : Atan2Impl<false>(y, x); }
double CrAcos(double x) { return UseFma() ? crmath::AcosFma(x) : AcosImpl<false>(x); }
