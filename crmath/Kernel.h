// The fast paths of CrMath as whole functions, written once for both builds:
// kFma = false uses plain double arithmetic, kFma = true fused multiply-adds.
// Everything here has internal linkage, so that the two units that build it
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

template <bool kFma>
CR_INLINE double SinImpl(double x) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  if (ux < kSinIsXBelow) return x;
  if (ux >= kInfBits) return x - x;
  TApprox s, c;
  SinCosKernel<kFma>(x, s, c);
  double r;
  if (RoundTest(s, r)) return r;
  return SinAccurate(x);
}

template <bool kFma>
CR_INLINE double CosImpl(double x) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  if (ux < kCosIsOneBelow) return 1.0;
  if (ux >= kInfBits) return x - x;
  TApprox s, c;
  SinCosKernel<kFma>(x, s, c);
  double r;
  if (RoundTest(c, r)) return r;
  return CosAccurate(x);
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

template <bool kFma>
CR_INLINE bool SinCosFastImpl(double x, TApprox& s, TApprox& c) {
  return SinCosKernel<kFma>(x, s, c);
}
template <bool kFma>
CR_INLINE bool Atan2FastImpl(double y, double x, TApprox& a) {
  double r;
  if (Atan2Special(y, x, r)) return false;
  a = Atan2Kernel<kFma>(y, x);
  return true;
}
template <bool kFma>
CR_INLINE bool AcosFastImpl(double x, TApprox& a) {
  double r;
  if (AcosSpecial(x, r)) return false;
  a = AcosKernel<kFma>(x);
  return true;
}

}  // namespace
}  // namespace crmath::detail
