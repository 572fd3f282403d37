// CrMath's fast paths built with fused multiply-adds (this unit is compiled
// with -mfma), called only where the processor has them. The unit defines no
// symbol outside crmath::detail::fma: the kernels it builds have internal
// linkage, and the types it uses have no inline members, so that no code
// built here can stand in for code built for every x86-64, whatever the
// compiler, the build type or the order of the archive. The test command
// checks this on the object file (FmaSymbols.cmake).
#include "crmath/Kernel.h"

namespace crmath::detail::fma {

double Sin(double x) { return SinImpl<true>(x); }
double Cos(double x) { return CosImpl<true>(x); }
TSinCosPair SinCos(double x) { return SinCosImpl<true>(x); }
double Atan2(double y, double x) { return Atan2Impl<true>(y, x); }
double Acos(double x) { return AcosImpl<true>(x); }
bool SinCosFast(double x, TApprox& s, TApprox& c) { return SinCosFastImpl<true>(x, s, c); }
bool Atan2Fast(double y, double x, TApprox& a) { return Atan2FastImpl<true>(y, x, a); }
bool AcosFast(double x, TApprox& a) { return AcosFastImpl<true>(x, a); }

}  // namespace crmath::detail::fma
