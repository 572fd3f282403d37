// MPFR for the checker: correctly rounded references, and the distance of
// CrMath's approximations from the exact values, measured in their bounds.
#pragma once

#include <mpfr.h>

#include <bit>
#include <cstdint>

#include "crmath/Accurate.h"
#include "crmath/Detail.h"

namespace mpfrcheck {

inline uint64_t Bits(double x) { return std::bit_cast<uint64_t>(x); }
inline double FromBits(uint64_t u) { return std::bit_cast<double>(u); }
// The same bits, or both NaN.
inline bool Same(double a, double b) { return Bits(a) == Bits(b) || (a != a && b != b); }

// A number of the given precision, freed at the end of its scope.
struct TMpfr {
  mpfr_t v;
  explicit TMpfr(mpfr_prec_t prec = 53) { mpfr_init2(v, prec); }
  ~TMpfr() { mpfr_clear(v); }
  TMpfr(const TMpfr&) = delete;
  TMpfr& operator=(const TMpfr&) = delete;
  operator mpfr_ptr() { return v; }
};

// The doubles IEEE 754 rounds sin x, cos x, atan2(y, x) and acos x to.
double RefSin(double x);
double RefCos(double x);
double RefAtan2(double y, double x);
double RefAcos(double x);

// The wide number exactly, in r of at least its precision.
void SetWide(const crmath::detail::wide::TMp& a, mpfr_ptr r);

// The exact values to prec bits, in r (of that precision).
enum class TFn { Sin, Cos, Atan2, Acos };
void Exact(TFn f, double a, double b, mpfr_ptr r);

// |Hi + Lo - exact| / Err for a fast path, |Value - exact| / 2^ErrExp for an
// accurate one.
double ErrorRatio(const crmath::detail::TApprox& a, mpfr_ptr exact);
double ErrorRatio(const crmath::detail::TWide& w, mpfr_ptr exact);

}  // namespace mpfrcheck
