// CrMath's internals, in crmath::detail: what its units share (the two builds
// of the fast paths, the accurate paths, the tables), and what its checker and
// benchmark take apart. The public header is CrMath.h; nothing here includes
// it, so the dependency runs one way, from the public functions to these.
#pragma once

#include <cstdint>

namespace crmath::detail {

// Hi + Lo approximates the exact value to within Err. An aggregate without
// member initialisers, like every type the FMA unit uses: nothing of it is
// code that unit could emit for the others (see Fma.cpp).
struct TApprox {
  double Hi, Lo, Err;
};
struct TSinCosPair {
  double Sin, Cos;
};

// The fast paths are built twice: TBuild<false> with plain double arithmetic
// for every x86-64 (CrMath.cpp), TBuild<true> with fused multiply-adds for
// processors that have them (Fma.cpp); each unit instantiates its own from
// Kernel.h, and no other. Each offers the whole functions, and the fast path
// alone with its error bound: false where the argument is decided without it
// (zeros, infinities, NaN, the tiny arguments and ratios that round
// directly).
template <bool kFma>
struct TBuild {
  static double Sin(double x);
  static double Cos(double x);
  static TSinCosPair SinCos(double x);
  static double Atan2(double y, double x);
  static double Acos(double x);
  static bool SinCosFast(double x, TApprox& s, TApprox& c);
  static bool Atan2Fast(double y, double x, TApprox& a);
  static bool AcosFast(double x, TApprox& a);
};
extern template struct TBuild<false>;
extern template struct TBuild<true>;
// Whether the public functions take TBuild<true>.
bool FmaAvailable();

// The accurate paths (Accurate.cpp), for the arguments the fast paths cannot
// round; correctly rounded for any argument.
double SinAccurate(double x);
double CosAccurate(double x);
TSinCosPair SinCosAccurate(double x);
double Atan2Accurate(double y, double x);
double AcosAccurate(double x);

// The tables (Tables.cpp, generated from MPFR by crmath-mpfr --tables).
// Bits of 1 / (2 pi) after the binary point, 64 to a word, first word first.
constexpr int kInvTwoPiWords = 24;
extern const uint64_t kInvTwoPi[kInvTwoPiWords];
// pi / 4 truncated to 384 bits: pi = 4 (kPi[0] 2^-64 + kPi[1] 2^-128 + ...).
constexpr int kPiWords = 6;
extern const uint64_t kPi[kPiWords];
// sin and cos of j pi / 512, j = 0 .. 255: {S hi, S lo, C hi, C lo} with
// S = sin within 2^-106 of itself (C the same for cos), then the same values
// as a 26-bit head and the double nearest the rest: {S26, S - S26, C26,
// C - C26}, for products with a 26-bit factor that are exact.
constexpr int kSinCosSteps = 256;
extern const double kSinCosTable[kSinCosSteps][8];
// atan(c + d) = T0 + T1 d + ... + T8 d^8 + O(d^9) about c = i / 256,
// i = 0 .. 256: {T0 hi, T0 lo, T1 as a 26-bit head, T1 rest, T2, ..., T8}.
constexpr int kAtanSteps = 256;
extern const double kAtanTable[kAtanSteps + 1][11];
// pi = kPiHi + kPiLo to within 2^-106; the doubles nearest pi / 2 and pi / 4
// are kPiHi / 2 and kPiHi / 4.
constexpr double kPiHi = 0x1.921fb54442d18p+1, kPiLo = 0x1.1a62633145c07p-53;
// The double nearest 3 pi / 4.
constexpr double kThreeQuarterPi = 0x1.2d97c7f3321d2p+1;

}  // namespace crmath::detail
