// The fast paths of CrMath as whole functions, written once for both builds:
// kFma = false uses plain double arithmetic, kFma = true fused multiply-adds.
// Everything here but the members of TBuild has internal linkage, and each
// unit instantiates only its own TBuild, so that the two units that build it
// (Fma.cpp for processors with FMA) share no code. Included by CrMath.cpp and
// Fma.cpp only.
#pragma once

#include <cstdint>

#include "crmath/Arith.h"
#include "crmath/Atan.h"
#include "crmath/Detail.h"
#include "crmath/SinCos.h"

namespace crmath::detail {
namespace {

// ---- the whole functions -----------------------------------------------------------------------

// sin x (kSin) or cos x.
template <bool kFma, bool kSin>
CR_INLINE double SinOrCosImpl(double x) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  if (ux < (kSin ? kSinIsXBelow : kCosIsOneBelow)) return kSin ? x : 1.0;
  if (ux >= kInfBits) return x - x;
  TApprox s, c;
  SinCosKernel<kFma>(x, s, c);
  double r;
  if (RoundTest(kSin ? s : c, r)) return r;
  return kSin ? SinAccurate(x) : CosAccurate(x);
}

template <bool kFma>
CR_INLINE TSinCosPair SinCosImpl(double x) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  if (ux < kCosIsOneBelow) return {x, 1.0};
  if (ux >= kInfBits) return {x - x, x - x};
  TApprox s, c;
  SinCosKernel<kFma>(x, s, c);
  TSinCosPair r;
  if (RoundTest(s, r.Sin) && RoundTest(c, r.Cos)) return r;
  return SinCosAccurate(x);
}

template <bool kFma>
CR_INLINE double Atan2Impl(double y, double x) {
  double r;
  if (Atan2Special(y, x, r)) return r;
  if (RoundTest(Atan2Kernel<kFma>(y, x), r)) return r;
  return Atan2Accurate(y, x);
}

template <bool kFma>
CR_INLINE double AcosImpl(double x) {
  double r;
  if (AcosSpecial(x, r)) return r;
  if (RoundTest(AcosKernel<kFma>(x), r)) return r;
  return AcosAccurate(x);
}

}  // namespace

template <bool kFma>
double TBuild<kFma>::Sin(double x) {
  return SinOrCosImpl<kFma, true>(x);
}
template <bool kFma>
double TBuild<kFma>::Cos(double x) {
  return SinOrCosImpl<kFma, false>(x);
}
template <bool kFma>
TSinCosPair TBuild<kFma>::SinCos(double x) {
  return SinCosImpl<kFma>(x);
}
template <bool kFma>
double TBuild<kFma>::Atan2(double y, double x) {
  return Atan2Impl<kFma>(y, x);
}
template <bool kFma>
double TBuild<kFma>::Acos(double x) {
  return AcosImpl<kFma>(x);
}
template <bool kFma>
bool TBuild<kFma>::SinCosFast(double x, TApprox& s, TApprox& c) {
  return SinCosKernel<kFma>(x, s, c);
}
template <bool kFma>
bool TBuild<kFma>::Atan2Fast(double y, double x, TApprox& a) {
  double r;
  if (Atan2Special(y, x, r)) return false;
  a = Atan2Kernel<kFma>(y, x);
  return true;
}
template <bool kFma>
bool TBuild<kFma>::AcosFast(double x, TApprox& a) {
  double r;
  if (AcosSpecial(x, r)) return false;
  a = AcosKernel<kFma>(x);
  return true;
}

}  // namespace crmath::detail
