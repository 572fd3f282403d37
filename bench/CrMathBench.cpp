// CrMath against the system's math library, in nanoseconds per call: the sine
// and cosine of one angle, the arctangent of a direction, the arccosine, on
// angles and directions like those of the elliptical arc measure, then huge
// arguments, and the accurate path alone. Each on the kernel the processor
// gets (Best), and on the plain and fused kernels one by one.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "crmath/CrMath.h"
#include "crmath/Detail.h"

namespace {

namespace cr = crmath::detail;
using Plain = cr::TBuild<false>;
using Fused = cr::TBuild<true>;

// 4096 arguments, so that neither the branches nor the table lookups repeat.
std::vector<double> Args(double lo, double hi, unsigned seed) {
  std::mt19937_64 g(seed);
  std::vector<double> v(4096);
  for (double& x : v) x = lo + (hi - lo) * (static_cast<double>(g() >> 11) * 0x1p-53);
  return v;
}
const std::vector<double> kAngles = Args(-8, 8, 1), kHuge = Args(1e15, 1e300, 2);
const std::vector<double> kX = Args(-200, 200, 3), kY = Args(-200, 200, 4), kCos = Args(-1, 1, 5);

template <class F>
void Loop(benchmark::State& state, const std::vector<double>& a, F f) {
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(f(a[i]));
    i = (i + 1) & 4095;
  }
}

void BM_SinCos_System(benchmark::State& s) {
  Loop(s, kAngles, [](double x) { return std::sin(x) + std::cos(x); });
}
void BM_SinCos_Cr(benchmark::State& s) {
  Loop(s, kAngles, [](double x) { return CrSinCos(x).Sin; });
}
void BM_SinCos_CrPlain(benchmark::State& s) {
  Loop(s, kAngles, [](double x) { return Plain::SinCos(x).Sin; });
}
void BM_SinCos_CrFused(benchmark::State& s) {
  if (!cr::FmaAvailable()) return s.SkipWithError("no FMA");
  Loop(s, kAngles, [](double x) { return Fused::SinCos(x).Sin; });
}
void BM_SinCosHuge_System(benchmark::State& s) {
  Loop(s, kHuge, [](double x) { return std::sin(x) + std::cos(x); });
}
void BM_SinCosHuge_Cr(benchmark::State& s) {
  Loop(s, kHuge, [](double x) { return CrSinCos(x).Sin; });
}
void BM_Atan2_System(benchmark::State& s) {
  size_t j = 0;
  Loop(s, kX, [&j](double x) { return std::atan2(kY[j++ & 4095], x); });
}
void BM_Atan2_Cr(benchmark::State& s) {
  size_t j = 0;
  Loop(s, kX, [&j](double x) { return CrAtan2(kY[j++ & 4095], x); });
}
void BM_Atan2_CrPlain(benchmark::State& s) {
  size_t j = 0;
  Loop(s, kX, [&j](double x) { return Plain::Atan2(kY[j++ & 4095], x); });
}
void BM_Acos_System(benchmark::State& s) {
  Loop(s, kCos, [](double x) { return std::acos(x); });
}
void BM_Acos_Cr(benchmark::State& s) {
  Loop(s, kCos, [](double x) { return CrAcos(x); });
}
// What a call costs when the fast path cannot decide.
void BM_Accurate_SinCos(benchmark::State& s) {
  Loop(s, kAngles, [](double x) { return cr::SinCosAccurate(x).Sin; });
}
void BM_Accurate_Atan2(benchmark::State& s) {
  size_t j = 0;
  Loop(s, kX, [&j](double x) { return cr::Atan2Accurate(kY[j++ & 4095], x); });
}

}  // namespace

BENCHMARK(BM_SinCos_System);
BENCHMARK(BM_SinCos_Cr);
BENCHMARK(BM_SinCos_CrPlain);
BENCHMARK(BM_SinCos_CrFused);
BENCHMARK(BM_SinCosHuge_System);
BENCHMARK(BM_SinCosHuge_Cr);
BENCHMARK(BM_Atan2_System);
BENCHMARK(BM_Atan2_Cr);
BENCHMARK(BM_Atan2_CrPlain);
BENCHMARK(BM_Acos_System);
BENCHMARK(BM_Acos_Cr);
BENCHMARK(BM_Accurate_SinCos);
BENCHMARK(BM_Accurate_Atan2);
