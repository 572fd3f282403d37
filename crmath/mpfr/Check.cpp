// CrMath against MPFR, bit for bit: every result must be the double MPFR
// rounds to (subnormals included), on each kernel, on the accurate path alone,
// and every fast path's error within the bound it claims. The arguments:
// random over the whole exponent range, near multiples of pi / 2, pi / 4 and
// pi / 512 (the table's points) and around the thresholds, the doubles
// nearest multiples of pi / 2, the sign and quadrant cases of atan2 with
// ratios that under- and overflow, acos near -1, 0 and 1, and the angles the
// elliptical arc measure really takes.
//   crmath-mpfr [N] [--seed S]   N arguments in all (default 4,000,000)
//   crmath-mpfr --tables         prints crmath/Tables.cpp
//   crmath-mpfr --near-pi2       the continued-fraction search behind kNearPi2
#include <mpfr.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "crmath/Accurate.h"
#include "crmath/CrMath.h"
#include "crmath/Detail.h"
#include "geometry/MyFunc.h"

namespace {

namespace cr = crmath::detail;
using cr::TApprox;

// The two builds of the fast paths.
enum class TKernel { Plain, Fma };
double SinOn(TKernel k, double x) { return k == TKernel::Fma ? cr::fma::Sin(x) : cr::plain::Sin(x); }
double CosOn(TKernel k, double x) { return k == TKernel::Fma ? cr::fma::Cos(x) : cr::plain::Cos(x); }
cr::TSinCosPair SinCosOn(TKernel k, double x) {
  return k == TKernel::Fma ? cr::fma::SinCos(x) : cr::plain::SinCos(x);
}
double Atan2On(TKernel k, double y, double x) {
  return k == TKernel::Fma ? cr::fma::Atan2(y, x) : cr::plain::Atan2(y, x);
}
double AcosOn(TKernel k, double x) { return k == TKernel::Fma ? cr::fma::Acos(x) : cr::plain::Acos(x); }
bool SinCosFast(double x, TKernel k, TApprox& s, TApprox& c) {
  return k == TKernel::Fma ? cr::fma::SinCosFast(x, s, c) : cr::plain::SinCosFast(x, s, c);
}
bool Atan2Fast(double y, double x, TKernel k, TApprox& a) {
  return k == TKernel::Fma ? cr::fma::Atan2Fast(y, x, a) : cr::plain::Atan2Fast(y, x, a);
}
bool AcosFast(double x, TKernel k, TApprox& a) {
  return k == TKernel::Fma ? cr::fma::AcosFast(x, a) : cr::plain::AcosFast(x, a);
}

uint64_t Bits(double x) {
  uint64_t u;
  std::memcpy(&u, &x, sizeof u);
  return u;
}
double FromBits(uint64_t u) {
  double x;
  std::memcpy(&x, &u, sizeof x);
  return x;
}
bool Same(double a, double b) { return Bits(a) == Bits(b) || (a != a && b != b); }

// ---- MPFR --------------------------------------------------------------------------------------

// A number of the given precision, freed at the end of its scope.
struct TMpfr {
  mpfr_t v;
  explicit TMpfr(mpfr_prec_t prec = 53) { mpfr_init2(v, prec); }
  ~TMpfr() { mpfr_clear(v); }
  TMpfr(const TMpfr&) = delete;
  TMpfr& operator=(const TMpfr&) = delete;
  operator mpfr_ptr() { return v; }
};

// The correctly rounded double of f at x, as IEEE 754 doubles round (MPFR's
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

// |Hi + Lo - exact| / Err, exact given to 320 bits.
double ErrorRatio(const TApprox& a, mpfr_ptr exact) {
  TMpfr d(320);
  mpfr_set_d(d, a.Hi, MPFR_RNDN);
  mpfr_add_d(d, d, a.Lo, MPFR_RNDN);
  mpfr_sub(d, d, exact, MPFR_RNDN);
  mpfr_abs(d, d, MPFR_RNDN);
  mpfr_div_d(d, d, a.Err, MPFR_RNDN);
  return mpfr_get_d(d, MPFR_RNDU);
}

// ---- the tables --------------------------------------------------------------------------------

// v as hi + lo, each rounded to nearest.
void Split(mpfr_ptr v, double& hi, double& lo) {
  TMpfr t(1200);
  hi = mpfr_get_d(v, MPFR_RNDN);
  mpfr_sub_d(t, v, hi, MPFR_RNDN);
  lo = mpfr_get_d(t, MPFR_RNDN);
}
// v as a 26-bit head and the double nearest the rest.
void Split26(mpfr_ptr v, double& head, double& rest) {
  TMpfr h(26), t(1200);
  mpfr_set(h, v, MPFR_RNDN);
  head = mpfr_get_d(h, MPFR_RNDN);
  mpfr_sub_d(t, v, head, MPFR_RNDN);
  rest = mpfr_get_d(t, MPFR_RNDN);
}

struct TTables {
  uint64_t InvTwoPi[cr::kInvTwoPiWords];
  double SinCos[cr::kSinCosSteps][8];
  double Atan[cr::kAtanSteps + 1][11];
  uint64_t Pi[cr::kPiWords];
  double PiHi, PiLo, ThreeQuarterPi;
};

// The integer b < 2^64 as a word, in two halves (unsigned long may be 32
// bits); c is scratch.
uint64_t WordOf(mpfr_ptr b, mpfr_ptr c) {
  mpfr_div_2ui(c, b, 32, MPFR_RNDN);
  mpfr_floor(c, c);
  const uint64_t hi = mpfr_get_ui(c, MPFR_RNDZ);
  mpfr_mul_2ui(c, c, 32, MPFR_RNDN);
  mpfr_sub(c, b, c, MPFR_RNDN);
  return hi << 32 | mpfr_get_ui(c, MPFR_RNDZ);
}

TTables ComputeTables() {
  TTables t{};
  TMpfr pi(2000), a(2000), b(2000), c(2000), w(2000);
  mpfr_const_pi(pi, MPFR_RNDN);
  mpfr_mul_2ui(a, pi, 1, MPFR_RNDN);
  mpfr_ui_div(a, 1, a, MPFR_RNDN);  // 1 / (2 pi)
  for (uint64_t& word : t.InvTwoPi) {
    mpfr_mul_2ui(a, a, 64, MPFR_RNDN);
    mpfr_floor(b, a);
    mpfr_sub(a, a, b, MPFR_RNDN);
    word = WordOf(b, c);
  }
  for (int j = 0; j < cr::kSinCosSteps; ++j) {
    double* e = t.SinCos[j];
    mpfr_mul_ui(a, pi, static_cast<unsigned long>(j), MPFR_RNDN);
    mpfr_div_ui(a, a, 512, MPFR_RNDN);
    mpfr_sin(b, a, MPFR_RNDN);
    mpfr_cos(c, a, MPFR_RNDN);
    Split(b, e[0], e[1]);
    Split(c, e[2], e[3]);
    Split26(b, e[4], e[5]);
    Split26(c, e[6], e[7]);
  }
  // atan(c + d) = sum T_k d^k: T_k = (-1)^(k-1) sin(k phi) / (k (1 + c^2)^(k/2)),
  // phi = pi/2 - atan c.
  for (int i = 0; i <= cr::kAtanSteps; ++i) {
    double* e = t.Atan[i];
    mpfr_set_ui(a, static_cast<unsigned long>(i), MPFR_RNDN);
    mpfr_div_ui(a, a, cr::kAtanSteps, MPFR_RNDN);
    mpfr_atan(b, a, MPFR_RNDN);
    Split(b, e[0], e[1]);
    TMpfr phi(2000);
    mpfr_div_2ui(phi, pi, 1, MPFR_RNDN);
    mpfr_sub(phi, phi, b, MPFR_RNDN);
    for (unsigned long k = 1; k <= 8; ++k) {
      mpfr_mul_ui(b, phi, k, MPFR_RNDN);
      mpfr_sin(b, b, MPFR_RNDN);
      mpfr_sqr(w, a, MPFR_RNDN);
      mpfr_add_ui(w, w, 1, MPFR_RNDN);
      mpfr_sqrt(w, w, MPFR_RNDN);
      mpfr_pow_ui(w, w, k, MPFR_RNDN);
      mpfr_mul_ui(w, w, k, MPFR_RNDN);
      mpfr_div(b, b, w, MPFR_RNDN);
      if (k % 2 == 0) mpfr_neg(b, b, MPFR_RNDN);
      if (mpfr_cmpabs_ui(b, 0) != 0 && mpfr_get_exp(b) < -1000) mpfr_set_zero(b, 1);  // sin(k phi) = 0
      if (k == 1)
        Split26(b, e[2], e[3]);
      else
        e[2 + k] = mpfr_get_d(b, MPFR_RNDN);
    }
  }
  // pi / 4 truncated to 64 kPiWords bits, a word at a time
  mpfr_div_2ui(a, pi, 2, MPFR_RNDN);
  for (uint64_t& word : t.Pi) {
    mpfr_mul_2ui(a, a, 64, MPFR_RNDN);
    mpfr_floor(b, a);
    mpfr_sub(a, a, b, MPFR_RNDN);
    word = WordOf(b, c);
  }
  Split(pi, t.PiHi, t.PiLo);
  mpfr_mul_ui(a, pi, 3, MPFR_RNDN);
  mpfr_div_ui(a, a, 4, MPFR_RNDN);
  t.ThreeQuarterPi = mpfr_get_d(a, MPFR_RNDN);
  return t;
}

void PrintWords(const uint64_t* w, int n) {
  for (int k = 0; k < n; ++k)
    std::printf("%s0x%016" PRIx64 ",%s", k % 4 ? " " : "    ", w[k], k % 4 == 3 || k == n - 1 ? "\n" : "");
}

void PrintTables(const TTables& t) {
  std::printf("// Generated by crmath-mpfr --tables from MPFR: do not edit. Regenerate with\n");
  std::printf("//   build/bin/crmath-mpfr --tables > crmath/Tables.cpp\n");
  std::printf("#include \"crmath/Detail.h\"\n\nnamespace crmath::detail {\n\n");
  std::printf("const uint64_t kInvTwoPi[kInvTwoPiWords] = {\n");
  for (int k = 0; k < cr::kInvTwoPiWords; ++k)
    std::printf("%s0x%016" PRIx64 ",%s", k % 4 ? " " : "    ", t.InvTwoPi[k], k % 4 == 3 ? "\n" : "");
  std::printf("};\n\nalignas(64) const double kSinCosTable[kSinCosSteps][8] = {\n");
  for (const auto& e : t.SinCos)
    std::printf("    {%a, %a, %a, %a, %a, %a, %a, %a},\n", e[0], e[1], e[2], e[3], e[4], e[5], e[6], e[7]);
  std::printf("};\n\nconst double kAtanTable[kAtanSteps + 1][11] = {\n");
  for (const auto& e : t.Atan)
    std::printf("    {%a, %a, %a, %a, %a, %a, %a, %a, %a, %a, %a},\n", e[0], e[1], e[2], e[3], e[4], e[5],
                e[6], e[7], e[8], e[9], e[10]);
  std::printf("};\n\nconst uint64_t kPi[kPiWords] = {\n");
  PrintWords(t.Pi, cr::kPiWords);
  std::printf("};\n\n}  // namespace crmath::detail\n");
}

// The tables the library was built with, against MPFR's: the count of wrong
// entries.
int CheckTables(const TTables& t) {
  int bad = 0;
  auto same = [&bad](const char* what, double a, double b) {
    if (!Same(a, b)) {
      ++bad;
      std::printf("table %s: %a, expected %a\n", what, a, b);
    }
  };
  for (int k = 0; k < cr::kInvTwoPiWords; ++k)
    if (cr::kInvTwoPi[k] != t.InvTwoPi[k]) ++bad, std::printf("table kInvTwoPi[%d] wrong\n", k);
  for (int k = 0; k < cr::kPiWords; ++k)
    if (cr::kPi[k] != t.Pi[k]) ++bad, std::printf("table kPi[%d] wrong\n", k);
  for (int j = 0; j < cr::kSinCosSteps; ++j)
    for (int k = 0; k < 8; ++k) same("kSinCosTable", cr::kSinCosTable[j][k], t.SinCos[j][k]);
  for (int i = 0; i <= cr::kAtanSteps; ++i)
    for (int k = 0; k < 11; ++k) same("kAtanTable", cr::kAtanTable[i][k], t.Atan[i][k]);
  same("kPiHi", cr::kPiHi, t.PiHi);
  same("kPiLo", cr::kPiLo, t.PiLo);
  same("kThreeQuarterPi", cr::kThreeQuarterPi, t.ThreeQuarterPi);
  return bad;
}

// ---- the doubles nearest multiples of pi / 2 -----------------------------------------------------

// The doubles nearest multiples of pi / 2 (|x - k pi / 2| from 2^-60.9 up),
// found by --near-pi2: x = m 2^e, 2^52 <= m < 2^53, and x 2 / pi = m beta
// modulo 1 with beta = frac(2^e 2 / pi); for each e, the denominators q of
// the continued fraction of beta, their multiples up to 64 past 2^52 / q, and
// those plus or minus the previous denominator.
const double kNearPi2[] = {
    0x1.6ac5b262ca1ffp+849, 0x1.6c6cbc45dc8dep+5,   0x1.b951f1572eba5p+23,  0x1.504cac51f1eafp+131,
    0x1.e009c53148be1p+991, 0x1.4c96c11134d36p+577, 0x1.cfe482285f8edp+860, 0x1.db41f3cb71d7bp+680,
    0x1.e7e44a78ac18cp+197, 0x1.c45cd11154dfdp+295, 0x1.83009e2e9e2ebp+614, 0x1.b2196364d750bp+253,
    0x1.69eab0985179bp+246, 0x1.782b7a20df6d4p+67,
};

// ||m beta||: the distance of m beta to the nearest integer, for the search.
void NearPi2Search() {
  TMpfr pi(1400), twoOverPi(1400), beta(1400), t(1400), best(64);
  mpfr_const_pi(pi, MPFR_RNDN);
  mpfr_ui_div(twoOverPi, 2, pi, MPFR_RNDN);
  struct THit {
    double X, Dist;  // |x - k pi/2|
  };
  std::vector<THit> hits;
  for (int e = -52; e <= 971; ++e) {
    // x = m 2^e, x 2 / pi = m (2^e 2 / pi); only beta = frac(2^e 2 / pi) matters.
    mpfr_mul_2si(beta, twoOverPi, e, MPFR_RNDN);
    mpfr_frac(beta, beta, MPFR_RNDN);
    // Continued fraction denominators q of beta up to 2^53.
    std::vector<double> qs;
    {
      TMpfr r(1400), one(1400), fl(1400);
      mpfr_set(r, beta, MPFR_RNDN);
      double q0 = 1, q1 = 0;  // q_{k-1}, q_{k-2}
      for (int k = 0; k < 80 && mpfr_zero_p(r) == 0; ++k) {
        mpfr_ui_div(r, 1, r, MPFR_RNDN);
        mpfr_floor(fl, r);
        mpfr_sub(r, r, fl, MPFR_RNDN);
        const double a = mpfr_get_d(fl, MPFR_RNDN);
        const double q = a * q0 + q1;
        if (q >= 0x1p53) break;
        qs.push_back(q);
        q1 = q0;
        q0 = q;
      }
    }
    double bestX = 0, bestD = 1e300;
    auto consider = [&](double m) {
      if (m < 0x1p52 || m >= 0x1p53) return;
      mpfr_mul_d(t, beta, m, MPFR_RNDN);
      mpfr_frac(t, t, MPFR_RNDN);
      if (mpfr_cmp_d(t, 0.5) > 0) mpfr_ui_sub(t, 1, t, MPFR_RNDN);
      // |x - k pi/2| = ||m beta|| pi / 2
      mpfr_mul(t, t, pi, MPFR_RNDN);
      mpfr_div_2ui(t, t, 1, MPFR_RNDN);
      const double d = mpfr_get_d(t, MPFR_RNDN);
      if (d < bestD) bestD = d, bestX = std::ldexp(m, e);
    };
    for (size_t k = 0; k < qs.size(); ++k) {
      const double q = qs[k];
      for (double s = std::ceil(0x1p52 / q); s * q < 0x1p53 && s < std::ceil(0x1p52 / q) + 64; ++s) {
        consider(s * q);
        if (k > 0) consider(s * q + qs[k - 1]), consider(s * q - qs[k - 1]);
      }
    }
    if (bestX != 0) hits.push_back({bestX, bestD});
  }
  std::sort(hits.begin(), hits.end(), [](const THit& a, const THit& b) { return a.Dist < b.Dist; });
  for (size_t i = 0; i < hits.size() && i < 24; ++i)
    std::printf("%a  |x - k pi/2| = %.3g = 2^%.1f\n", hits[i].X, hits[i].Dist, std::log2(hits[i].Dist));
}

// ---- the checks --------------------------------------------------------------------------------

struct TStats {
  std::atomic<uint64_t> Args{0}, Results{0}, Mismatches{0}, Accurate{0};
  std::mutex Lock;
  double WorstRatio[3][2] = {};  // sin/cos, atan2, acos; per kernel
  void Ratio(int f, TKernel k, double r) {
    std::lock_guard<std::mutex> g(Lock);
    double& w = WorstRatio[f][k == TKernel::Fma];
    if (r > w) w = r;
  }
};

// what: the call, as "sin(0x1p+0)".
void Mismatch(TStats& st, const std::string& what, double got, double want) {
  if (st.Mismatches.fetch_add(1) < 20) std::printf("MISMATCH %s = %a, expected %a\n", what.c_str(), got, want);
}
std::string Call(const char* f, double a) {
  char s[80];
  std::snprintf(s, sizeof s, "%s(%a)", f, a);
  return s;
}
std::string Call(const char* f, double a, double b) {
  char s[120];
  std::snprintf(s, sizeof s, "%s(%a, %a)", f, a, b);
  return s;
}

std::vector<TKernel> Kernels() {
  std::vector<TKernel> k{TKernel::Plain};
  if (cr::FmaAvailable()) k.push_back(TKernel::Fma);
  return k;
}

// sin and cos of x on each kernel, the accurate path every 64th argument,
// the fast path's bound every 16th.
void CheckSinCos(TStats& st, double x, uint64_t n) {
  const double s = RefSin(x), c = RefCos(x);
  for (TKernel k : Kernels()) {
    const cr::TSinCosPair sc = SinCosOn(k, x);
    const double s1 = SinOn(k, x), c1 = CosOn(k, x);
    if (!Same(s1, s) || !Same(sc.Sin, s)) Mismatch(st, Call("sin", x), Same(s1, s) ? sc.Sin : s1, s);
    if (!Same(c1, c) || !Same(sc.Cos, c)) Mismatch(st, Call("cos", x), Same(c1, c) ? sc.Cos : c1, c);
    st.Results += 6;
    TApprox as, ac;
    if (n % 16 == 0 && SinCosFast(x, k, as, ac)) {
      TMpfr a(60), e(320);
      mpfr_set_d(a, x, MPFR_RNDN);
      mpfr_sin(e, a, MPFR_RNDN);
      st.Ratio(0, k, ErrorRatio(as, e));
      mpfr_cos(e, a, MPFR_RNDN);
      st.Ratio(0, k, ErrorRatio(ac, e));
    }
  }
  if (n % 64 == 0) {
    const cr::TSinCosPair acc = cr::SinCosAccurate(x);
    if (!Same(acc.Sin, s)) Mismatch(st, Call("accurate sin", x), acc.Sin, s);
    if (!Same(acc.Cos, c)) Mismatch(st, Call("accurate cos", x), acc.Cos, c);
    st.Results += 2;
  }
  ++st.Args;
}

void CheckAtan2(TStats& st, double y, double x, uint64_t n) {
  const double want = RefAtan2(y, x);
  for (TKernel k : Kernels()) {
    const double got = Atan2On(k, y, x);
    if (!Same(got, want)) Mismatch(st, Call("atan2", y, x), got, want);
    ++st.Results;
    TApprox a;
    if (n % 16 == 0 && Atan2Fast(y, x, k, a)) {
      TMpfr b(60), c(60), e(320);
      mpfr_set_d(b, y, MPFR_RNDN);
      mpfr_set_d(c, x, MPFR_RNDN);
      mpfr_atan2(e, b, c, MPFR_RNDN);
      st.Ratio(1, k, ErrorRatio(a, e));
    }
  }
  if (n % 64 == 0) {
    const double acc = cr::Atan2Accurate(y, x);
    if (!Same(acc, want)) Mismatch(st, Call("accurate atan2", y, x), acc, want);
    ++st.Results;
  }
  ++st.Args;
}

void CheckAcos(TStats& st, double x, uint64_t n) {
  const double want = RefAcos(x);
  for (TKernel k : Kernels()) {
    const double got = AcosOn(k, x);
    if (!Same(got, want)) Mismatch(st, Call("acos", x), got, want);
    ++st.Results;
    TApprox a;
    if (n % 16 == 0 && AcosFast(x, k, a)) {
      TMpfr b(60), e(320);
      mpfr_set_d(b, x, MPFR_RNDN);
      mpfr_acos(e, b, MPFR_RNDN);
      st.Ratio(2, k, ErrorRatio(a, e));
    }
  }
  if (n % 64 == 0) {
    const double acc = cr::AcosAccurate(x);
    if (!Same(acc, want)) Mismatch(st, Call("accurate acos", x), acc, want);
    ++st.Results;
  }
  ++st.Args;
}

// ---- the arguments -----------------------------------------------------------------------------

struct TGen {
  std::mt19937_64 Rng;
  explicit TGen(uint64_t seed) : Rng(seed) {}
  uint64_t U() { return Rng(); }
  double Unit() { return static_cast<double>(U() >> 11) * 0x1p-53; }  // [0, 1)
  int Int(int lo, int hi) { return lo + static_cast<int>(U() % static_cast<uint64_t>(hi - lo + 1)); }
  double Sign(double x) { return U() & 1 ? -x : x; }
  // Any finite double, every exponent alike.
  double AnyFinite() {
    const uint64_t e = U() % 2047, m = U() & ((uint64_t(1) << 52) - 1);
    return FromBits(U() >> 63 << 63 | e << 52 | m);
  }
  // x moved by up to k units in the last place.
  double Ulps(double x, int k) {
    const int64_t d = Int(-k, k);
    const uint64_t b = Bits(x);
    return d < 0 && (b & ~(uint64_t(1) << 63)) < static_cast<uint64_t>(-d) ? x : FromBits(b + static_cast<uint64_t>(d));
  }
};

// The special values every function must get right.
const double kSpecials[] = {0.0,     -0.0,    0x1p-1074, -0x1p-1074, 0x1p-1022, 0x1.8p-1022, 1.0,
                            -1.0,    0.5,     -0.5,      2.0,        0x1p1023,  -0x1p1023,  0x1.fffffffffffffp1023,
                            INFINITY, -INFINITY, NAN,    0x1p-26,    0x1p-27,   0x1p14,     -0x1p-26};

// One argument of category c (of 8) for the n-th check, checked.
void CheckOne(TStats& st, TGen& g, uint64_t n) {
  const double pi = std::numbers::pi;
  switch (n % 10) {
    case 0:  // sin, cos over every exponent
      CheckSinCos(st, g.AnyFinite(), n);
      break;
    case 1: {  // sin, cos of moderate arguments, near multiples of pi/512, pi/4, pi/2, the thresholds
      const int kind = g.Int(0, 5);
      double x;
      if (kind == 0) {
        x = std::ldexp(g.Unit() + 0.5, g.Int(-30, 20));
      } else if (kind <= 3) {
        const double step = kind == 1 ? pi / 512 : kind == 2 ? pi / 4 : pi / 2;
        x = g.Ulps(step * g.Int(1, 1 << g.Int(0, 24)), 4);
      } else if (kind == 4) {  // the double nearest a multiple of pi/2 up to 2^1000
        TMpfr m(1200);
        mpfr_const_pi(m, MPFR_RNDN);
        mpfr_mul_d(m, m, std::ldexp(g.Unit() + 1, g.Int(1, 960)), MPFR_RNDN);
        mpfr_div_2ui(m, m, 1, MPFR_RNDN);
        mpfr_round(m, m);  // an integer multiple k
        TMpfr p(1200);
        mpfr_const_pi(p, MPFR_RNDN);
        mpfr_mul(m, m, p, MPFR_RNDN);
        mpfr_div_2ui(m, m, 1, MPFR_RNDN);
        x = g.Ulps(mpfr_get_d(m, MPFR_RNDN), 1);
      } else {
        const double t[] = {0x1p-26, 0x1p-27, 0x1p14, pi / 1024, 0.78, 0x1p53, 0x1p52};
        x = g.Ulps(t[g.Int(0, 6)], 3);
      }
      CheckSinCos(st, g.Sign(x), n);
      break;
    }
    case 2: {  // the doubles nearest multiples of pi/2, their neighbours, and the specials
      const int k = g.Int(0, 1);
      const double x = k ? kNearPi2[g.U() % std::size(kNearPi2)] : kSpecials[g.U() % std::size(kSpecials)];
      CheckSinCos(st, g.Sign(g.Ulps(x, 2)), n);
      break;
    }
    case 3:
    case 4: {  // atan2: moderate directions, ratios near the table's points and 1
      const double x = g.Sign(std::ldexp(g.Unit() + 0.5, g.Int(-8, 8)));
      double y = g.Sign(std::ldexp(g.Unit() + 0.5, g.Int(-8, 8)));
      if (n % 3 == 0) y = g.Ulps(std::copysign(std::fabs(x) * g.Int(0, 256) / 256, y), 8);
      if (n % 7 == 0) y = g.Ulps(std::copysign(std::fabs(x), y), 3);
      CheckAtan2(st, y, x, n);
      break;
    }
    case 5: {  // atan2 over every exponent; tiny, huge and subnormal ratios; the specials
      const int kind = g.Int(0, 3);
      double y = g.AnyFinite(), x = g.AnyFinite();
      if (kind == 1) {
        y = kSpecials[g.U() % std::size(kSpecials)];
        x = kSpecials[g.U() % std::size(kSpecials)];
      } else if (kind == 2) {  // y / x an odd multiple of 2^-1075, or next to one
        const uint64_t nx = (g.U() & 0xfffff) | 1, w = (g.U() % ((uint64_t(1) << 53) / nx)) | 1;
        const int kx = g.Int(1, 100);
        x = std::ldexp(static_cast<double>(nx), kx);
        y = g.Ulps(std::ldexp(static_cast<double>(w * nx), kx - 1075), n % 2);
        x = g.Sign(x), y = g.Sign(y);
      } else if (kind == 3) {  // ratios around 2^-54 and their reciprocals
        x = std::ldexp(g.Unit() + 0.5, g.Int(-1000, 1000));
        y = std::ldexp(x * (g.Unit() + 0.5), -g.Int(50, 60));
        if (g.U() & 1) std::swap(x, y);
        x = g.Sign(x), y = g.Sign(y);
      }
      CheckAtan2(st, y, x, n);
      break;
    }
    case 6: {  // acos near -1, 0, 1/2 and 1, inside and around [-1, 1]
      const int kind = g.Int(0, 4);
      double x = g.Unit() * 2 - 1;
      if (kind == 1) x = g.Sign(1 - std::ldexp(static_cast<double>(g.Int(1, 1 << 20)), -53 + g.Int(0, 40)));
      if (kind == 2) x = g.Sign(std::ldexp(g.Unit(), -g.Int(1, 1074)));
      if (kind == 3) x = g.Sign(g.Ulps(0.5, 4));
      if (kind == 4) x = g.U() & 3 ? g.Sign(g.Ulps(1.0, 2)) : kSpecials[g.U() % std::size(kSpecials)];
      CheckAcos(st, x, n);
      break;
    }
    default: {  // 7, 8, 9: the angles of the elliptical arc measure, one sub-step each
      // A random arc and one of its sub-steps, as EllipseArcLength takes them.
      const double r = std::ldexp(g.Unit() + 0.5, g.Int(-10, 17)), k = g.U() & 7 ? g.Unit() : 1e-6;
      const double tilt = g.Unit() * 360, start = g.Unit() * 360, end = g.Unit() * 360;
      const double h = DegToRad(SweepDeg(start, end)) / 3600;
      double t = DegToRad(start);
      const int step = g.Int(0, 3599);
      for (int i = 0; i < step; ++i) t = t + h;
      const TRotation rot(DegToRad(tilt));
      const TPointD p0 = rot.EllipsePoint(0, 0, r, k, t), p1 = rot.EllipsePoint(0, 0, r, k, t + h),
                    p2 = rot.EllipsePoint(0, 0, r, k, t + h + h);
      CheckSinCos(st, t, n);
      CheckSinCos(st, DegToRad(tilt), n);
      const double dx = p1.X - p0.X, dy = p1.Y - p0.Y;
      CheckAtan2(st, dy, dx, n);
      CheckSinCos(st, -AngleRad(dx, dy), n);
      const TCircleFit c = Circle3P(p0.X, p0.Y, p1.X, p1.Y, p2.X, p2.Y);
      if (c.Ok) {
        CheckAtan2(st, p0.Y - c.CY, p0.X - c.CX, n);
        CheckAtan2(st, p1.Y - c.CY, p1.X - c.CX, n);
      }
      // A point placed on the arc, and a flat ellipse's eccentric angle
      CheckAcos(st, std::fmax(-1.0, std::fmin(1.0, p1.X / r)), n);
      break;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t count = 4000000, seed = 20240611;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--tables") {
      PrintTables(ComputeTables());
      return 0;
    }
    if (a == "--near-pi2") {
      NearPi2Search();
      return 0;
    }
    if (a == "--seed" && i + 1 < argc) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (!a.empty() && a[0] != '-') {
      count = std::strtoull(a.c_str(), nullptr, 10);
    } else {
      std::fprintf(stderr, "usage: crmath-mpfr [N] [--seed S] | --tables | --near-pi2\n");
      return 64;
    }
  }
  const auto t0 = std::chrono::steady_clock::now();
  const int bad = CheckTables(ComputeTables());

  TStats st;
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::atomic<uint64_t> next{0};
  std::vector<std::thread> pool;
  for (unsigned w = 0; w < threads; ++w)
    pool.emplace_back([&, w] {
      TGen g(seed * 1000003 + w);
      // Blocks of 256 checks, so that the work spreads however long each takes.
      while (st.Args < count)
        for (uint64_t b = next.fetch_add(256), n = b; n < b + 256; ++n) CheckOne(st, g, n);
      mpfr_free_cache2(MPFR_FREE_LOCAL_CACHE);  // this thread's constants
    });
  for (std::thread& t : pool) t.join();
  mpfr_free_cache();
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

  std::printf("%" PRIu64 " arguments, %" PRIu64 " results checked against MPFR in %.1f s on %u threads: %" PRIu64
              " mismatches; %d wrong table entries\n",
              st.Args.load(), st.Results.load(), secs, threads, st.Mismatches.load(), bad);
  uint64_t accurate = 0;
  for (int f = 0; f < 3; ++f)
    for (int l = 0; l < cr::kCountedLevels; ++l) accurate += cr::AccurateCount(cr::TFunction(f), l);
  std::printf("fast paths: %" PRIu64 " of the calls went on to the accurate path\n", accurate);
  const char* names[] = {"sin, cos", "atan2", "acos"};
  bool bounds = true;
  for (int f = 0; f < 3; ++f) {
    std::printf("largest error / bound, %-8s plain %.3f", names[f], st.WorstRatio[f][0]);
    if (cr::FmaAvailable()) std::printf(", fused %.3f", st.WorstRatio[f][1]);
    std::printf("\n");
    bounds = bounds && st.WorstRatio[f][0] <= 1 && st.WorstRatio[f][1] <= 1;
  }
  return st.Mismatches == 0 && bad == 0 && bounds ? 0 : 1;
}
