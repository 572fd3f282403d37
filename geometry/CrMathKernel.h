// The fast paths of CrMath as whole functions, written once for both kernels:
// kFma = false uses plain double arithmetic, kFma = true fused multiply-adds.
// Everything here has internal linkage, so that the two translation units
// that build it (one of them for processors with FMA) share no code.
// Included by CrMath.cpp and CrMathFma.cpp only.
#pragma once

#include <cstdint>

#include "geometry/CrMathArith.h"
#include "geometry/CrMathAtan.h"
#include "geometry/CrMathDetail.h"
#include "geometry/CrMathSinCos.h"

namespace {

// ---- the whole functions -----------------------------------------------------------------------

template <bool kFma>
CR_INLINE double SinImpl(double x) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  // Below 2^-26, x^3 / 6 lies below half the gap under x: sin x rounds to x.
  if (ux < uint64_t(0x3e5) << 52) return x;
  if (ux >= kInfBits) return x - x;
  crmath::TApprox s, c;
  SinCosKernel<kFma>(x, s, c);
  double r;
  if (RoundTest(s, r)) return r;
  crmath::CountAccurateCall();
  return crmath::SinCosAccurate(x).Sin;
}

template <bool kFma>
CR_INLINE double CosImpl(double x) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  // Below 2^-27, x^2 / 2 < 2^-55: cos x rounds to 1.
  if (ux < uint64_t(0x3e4) << 52) return 1.0;
  if (ux >= kInfBits) return x - x;
  crmath::TApprox s, c;
  SinCosKernel<kFma>(x, s, c);
  double r;
  if (RoundTest(c, r)) return r;
  crmath::CountAccurateCall();
  return crmath::SinCosAccurate(x).Cos;
}

template <bool kFma>
CR_INLINE TSinCos SinCosImpl(double x) {
  const uint64_t ux = Bits(x) & ~kSignBit;
  if (ux < uint64_t(0x3e4) << 52) return {x, 1.0};
  if (ux >= kInfBits) return {x - x, x - x};
  crmath::TApprox s, c;
  SinCosKernel<kFma>(x, s, c);
  TSinCos r;
  if (RoundTest(s, r.Sin) && RoundTest(c, r.Cos)) return r;
  crmath::CountAccurateCall();
  return crmath::SinCosAccurate(x);
}

template <bool kFma>
CR_INLINE double Atan2Impl(double y, double x) {
  double r;
  if (Atan2Special(y, x, r)) return r;
  if (RoundTest(Atan2Kernel<kFma>(y, x), r)) return r;
  crmath::CountAccurateCall();
  return crmath::Atan2Accurate(y, x);
}

template <bool kFma>
CR_INLINE double AcosImpl(double x) {
  double r;
  if (AcosSpecial(x, r)) return r;
  if (RoundTest(AcosKernel<kFma>(x), r)) return r;
  crmath::CountAccurateCall();
  return crmath::AcosAccurate(x);
}

template <bool kFma>
CR_INLINE bool SinCosFastImpl(double x, crmath::TApprox& s, crmath::TApprox& c) {
  return SinCosKernel<kFma>(x, s, c);
}
template <bool kFma>
CR_INLINE bool Atan2FastImpl(double y, double x, crmath::TApprox& a) {
  double r;
  if (Atan2Special(y, x, r)) return false;
  a = Atan2Kernel<kFma>(y, x);
  return true;
}
template <bool kFma>
CR_INLINE bool AcosFastImpl(double x, crmath::TApprox& a) {
  double r;
  if (AcosSpecial(x, r)) return false;
  a = AcosKernel<kFma>(x);
  return true;
}

}  // namespace
