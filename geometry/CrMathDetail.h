// The parts of CrMath one by one, for its checker: the fast paths with their
// error bounds, on each kernel; the accurate paths alone; the tables.
#pragma once

#include <cstdint>

#include "geometry/CrMath.h"

namespace crmath {

// Hi + Lo approximates the exact value to within Err.
struct TApprox {
  double Hi = 0, Lo = 0, Err = 0;
};

// The fast paths are built twice: with plain double arithmetic for every
// x86-64, and with fused multiply-adds for processors that have them.
enum class TKernel { Plain, Fma };
bool FmaAvailable();

// The public functions on one kernel (they pick the fused one where it runs).
double SinOn(TKernel k, double x);
double CosOn(TKernel k, double x);
TSinCos SinCosOn(TKernel k, double x);
double Atan2On(TKernel k, double y, double x);
double AcosOn(TKernel k, double x);

// The fast paths. False when the argument is decided without them (zeros,
// infinities, NaN, the tiny arguments and ratios that round directly).
bool SinCosFast(double x, TKernel k, TApprox& s, TApprox& c);
bool Atan2Fast(double y, double x, TKernel k, TApprox& a);
bool AcosFast(double x, TKernel k, TApprox& a);

// The accurate paths, taken where the fast path cannot decide; here callable
// for any argument.
TSinCos SinCosAccurate(double x);
double Atan2Accurate(double y, double x);
double AcosAccurate(double x);

// How many calls the fast paths could not decide (all threads; tests and
// benchmarks).
uint64_t AccurateCalls();
void CountAccurateCall();

// The functions built with fused multiply-adds (CrMathFma.cpp), for
// processors that have them.
double SinFma(double x);
double CosFma(double x);
TSinCos SinCosFma(double x);
double Atan2Fma(double y, double x);
double AcosFma(double x);
bool SinCosFastFma(double x, TApprox& s, TApprox& c);
bool Atan2FastFma(double y, double x, TApprox& a);
bool AcosFastFma(double x, TApprox& a);

// The tables (CrMathTables.cpp, written by the checker from MPFR).
// Bits of 1 / (2 pi) after the binary point, 64 to a word, first word first.
inline constexpr int kInvTwoPiWords = 24;
extern const uint64_t kInvTwoPi[kInvTwoPiWords];
// sin and cos of j pi / 512, j = 0 .. 255: {S hi, S lo, C hi, C lo} with
// S = sin within 2^-106 of itself (C the same for cos), then the same values
// as a 26-bit head and the double nearest the rest: {S26, S - S26, C26,
// C - C26}, for products with a 26-bit factor that are exact.
inline constexpr int kSinCosSteps = 256;
extern const double kSinCosTable[kSinCosSteps][8];
// atan(c + d) = T0 + T1 d + ... + T8 d^8 + O(d^9) about c = i / 256,
// i = 0 .. 256: {T0 hi, T0 lo, T1 as a 26-bit head, T1 rest, T2, ..., T8}.
inline constexpr int kAtanSteps = 256;
extern const double kAtanTable[kAtanSteps + 1][11];
// pi rounded to 192 bits: pi = M * 2^-190, M[0] most significant.
extern const uint64_t kPi192[3];
// pi = kPiHi + kPiLo to within 2^-106; the doubles nearest pi / 2 and pi / 4
// are kPiHi / 2 and kPiHi / 4.
inline constexpr double kPiHi = 0x1.921fb54442d18p+1, kPiLo = 0x1.1a62633145c07p-53;
// The double nearest 3 pi / 4.
inline constexpr double kThreeQuarterPi = 0x1.2d97c7f3321d2p+1;

}  // namespace crmath
