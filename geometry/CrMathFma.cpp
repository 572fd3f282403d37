// CrMath's functions built with fused multiply-adds (this file is compiled
// with -mfma), called only where the processor has them. Everything the
// kernel header defines has internal linkage, so no code built here for FMA
// can stand in for code built for every x86-64.
#include "geometry/CrMathKernel.h"

namespace crmath {

double SinFma(double x) { return SinImpl<true>(x); }
double CosFma(double x) { return CosImpl<true>(x); }
TSinCos SinCosFma(double x) { return SinCosImpl<true>(x); }
double Atan2Fma(double y, double x) { return Atan2Impl<true>(y, x); }
double AcosFma(double x) { return AcosImpl<true>(x); }
bool SinCosFastFma(double x, TApprox& s, TApprox& c) { return SinCosFastImpl<true>(x, s, c); }
bool Atan2FastFma(double y, double x, TApprox& a) { return Atan2FastImpl<true>(y, x, a); }
bool AcosFastFma(double x, TApprox& a) { return AcosFastImpl<true>(x, a); }

}  // namespace crmath
