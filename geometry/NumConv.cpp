#include "geometry/NumConv.h"

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "geometry/NumText.h"
#include "geometry/Separators.h"

int32_t StrToIntZ(std::string_view text) {
  int32_t v = 0;
  return ReadIntText(text, v) ? v : 0;
}

double StrToFloatZ(std::string_view text) {
  double v = 0;
  if (ReadShortDecimal(text, v)) return v;
  return ReadFloatText(text, v) ? v : 0.0;
}

std::string FormatFixedN(int n, double value) {
  const TSeparators& s = UserSeparators();
  return FormatFixedGrouped(n, value, s.Decimal, s.Thousands);
}

double RoundE10(double x) {
#if LDBL_MANT_DIG >= 64
  // In doubles the last product can land one unit off the grid value.
  const long double step = 1e-10L;
  const long double q = std::fabs(static_cast<long double>(x)) / step + 0.5L;
  long double r = std::trunc(q) * step;
  if (x < 0) r = -r;
  return r == 0 ? 0.0 : static_cast<double>(r);
#else
  return RoundE10Portable(x);
#endif
}

#if defined(__SIZEOF_INT128__)
namespace {

// RoundE10's extended steps, done on integers: a 64-bit significand rounded
// to nearest, ties to even, after every operation, as the x87 unit does.
using u128 = unsigned __int128;

int BitLength(u128 v) {
  const auto hi = static_cast<uint64_t>(v >> 64), lo = static_cast<uint64_t>(v);
  if (hi) return 128 - __builtin_clzll(hi);
  return lo ? 64 - __builtin_clzll(lo) : 0;
}

// v * 2^exp rounded to `bits` significant bits; `sticky`: nonzero bits lie
// below v. Returns the significand and moves exp to match.
u128 RoundBits(u128 v, int& exp, int bits, bool sticky) {
  const int drop = BitLength(v) - bits;
  if (drop <= 0) return v;
  u128 kept = v >> drop;
  const u128 rest = v & ((u128(1) << drop) - 1), half = u128(1) << (drop - 1);
  exp += drop;
  if (rest > half || (rest == half && (sticky || (kept & 1)))) {
    ++kept;
    if (BitLength(kept) > bits) {
      kept >>= 1;
      ++exp;
    }
  }
  return kept;
}

// 1e-10 as the extended format holds it: kStepSig * 2^kStepExp.
constexpr uint64_t kStepSig = 0xdbe6fecebdedd5bfULL;
constexpr int kStepExp = -97;

}  // namespace

double RoundE10Portable(double x) {
  if (x == 0) return 0.0;
  if (!std::isfinite(x)) return x;
  int ea;
  const double fa = std::frexp(std::fabs(x), &ea);
  const auto ma = static_cast<uint64_t>(std::ldexp(fa, 53));  // |x| = ma * 2^(ea - 53)
  // q = |x| / step, to 64 bits: a long division with eight bits to spare.
  const u128 num = u128(ma) << 75;
  const u128 rem = num % kStepSig;
  const u128 quot = (num / kStepSig) << 8 | ((rem << 8) / kStepSig);
  int qexp = ea - 53 - kStepExp - 75 - 8;
  const u128 q = RoundBits(quot, qexp, 64, (rem << 8) % kStepSig != 0);
  if (qexp > 0) return x;  // |x| beyond 1.8e9: the grid is below the double's resolution
  if (qexp < -66) return 0.0;  // q below a quarter: q + 0.5 truncates to 0
  // s = q + 0.5, to 64 bits, then truncated to a whole number n.
  const int e0 = qexp < -1 ? qexp : -1;
  u128 s = (q << (qexp - e0)) + (u128(1) << (-1 - e0));
  int sexp = e0;
  s = RoundBits(s, sexp, 64, false);
  const u128 n = sexp >= 0 ? s << sexp : (-sexp >= 128 ? 0 : s >> -sexp);
  if (n == 0) return 0.0;
  // r = n * step to 64 bits, then to the double's 53.
  int rexp = kStepExp;
  u128 r = RoundBits(n * kStepSig, rexp, 64, false);
  r = RoundBits(r, rexp, 53, false);
  const double v = std::ldexp(static_cast<double>(static_cast<uint64_t>(r)), rexp);
  return x < 0 ? -v : v;
}
#else
#error "RoundE10 needs an extended long double or a 128-bit integer type"
#endif
