#include "crmath/mpfr/Mpfr.h"

namespace mpfrcheck {
namespace {

// The correctly rounded double of f, as IEEE 754 doubles round (MPFR's
// exponent range narrowed to the doubles' on every thread that calls it).
template <class F>
double Rounded(F f) {
  mpfr_set_emin(-1073);
  mpfr_set_emax(1024);
  TMpfr r;
  const int inex = f(r);
  mpfr_subnormalize(r, inex, MPFR_RNDN);
  const double d = mpfr_get_d(r, MPFR_RNDN);
  mpfr_set_emin(mpfr_get_emin_min());
  mpfr_set_emax(mpfr_get_emax_max());
  return d;
}

}  // namespace

// Limb by limb, in halves (unsigned long may be 32 bits).
void SetWide(const crmath::detail::wide::TMp& a, mpfr_ptr r) {
  mpfr_set_zero(r, 1);
  TMpfr half(64);
  for (int i = 0; i < a.Limbs(); ++i)
    for (int h = 0; h < 2; ++h) {
      const unsigned long bits = static_cast<unsigned long>((a.M[i] >> (32 - 32 * h)) & 0xffffffffu);
      mpfr_set_ui_2exp(half, bits, a.Exp - 64 * i - 32 - 32 * h, MPFR_RNDN);
      mpfr_add(r, r, half, MPFR_RNDN);
    }
  if (a.Neg) mpfr_neg(r, r, MPFR_RNDN);
}

void Exact(TFn f, double a, double b, mpfr_ptr r) {
  TMpfr x, y;
  mpfr_set_d(x, a, MPFR_RNDN);
  mpfr_set_d(y, b, MPFR_RNDN);
  switch (f) {
    case TFn::Sin:
      mpfr_sin(r, x, MPFR_RNDN);
      break;
    case TFn::Cos:
      mpfr_cos(r, x, MPFR_RNDN);
      break;
    case TFn::Atan2:
      mpfr_atan2(r, x, y, MPFR_RNDN);
      break;
    case TFn::Acos:
      mpfr_acos(r, x, MPFR_RNDN);
      break;
  }
}

double RefSin(double x) {
  return Rounded([x](mpfr_ptr r) {
    TMpfr a;
    mpfr_set_d(a, x, MPFR_RNDN);
    return mpfr_sin(r, a, MPFR_RNDN);
  });
}
double RefCos(double x) {
  return Rounded([x](mpfr_ptr r) {
    TMpfr a;
    mpfr_set_d(a, x, MPFR_RNDN);
    return mpfr_cos(r, a, MPFR_RNDN);
  });
}
double RefAtan2(double y, double x) {
  return Rounded([y, x](mpfr_ptr r) {
    TMpfr a, b;
    mpfr_set_d(a, y, MPFR_RNDN);
    mpfr_set_d(b, x, MPFR_RNDN);
    return mpfr_atan2(r, a, b, MPFR_RNDN);
  });
}
double RefAcos(double x) {
  return Rounded([x](mpfr_ptr r) {
    TMpfr a;
    mpfr_set_d(a, x, MPFR_RNDN);
    return mpfr_acos(r, a, MPFR_RNDN);
  });
}

double ErrorRatio(const crmath::detail::TApprox& a, mpfr_ptr exact) {
  TMpfr d(320);
  mpfr_set_d(d, a.Hi, MPFR_RNDN);
  mpfr_add_d(d, d, a.Lo, MPFR_RNDN);
  mpfr_sub(d, d, exact, MPFR_RNDN);
  mpfr_abs(d, d, MPFR_RNDN);
  mpfr_div_d(d, d, a.Err, MPFR_RNDN);
  return mpfr_get_d(d, MPFR_RNDU);
}

double ErrorRatio(const crmath::detail::TWide& w, mpfr_ptr exact) {
  TMpfr d(mpfr_get_prec(exact) + 64);
  SetWide(w.Value, d);
  mpfr_sub(d, d, exact, MPFR_RNDN);
  mpfr_abs(d, d, MPFR_RNDN);
  mpfr_div_2si(d, d, w.ErrExp, MPFR_RNDN);
  return mpfr_get_d(d, MPFR_RNDU);
}

}  // namespace mpfrcheck
