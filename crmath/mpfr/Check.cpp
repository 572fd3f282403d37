// CrMath against MPFR. Every result must be, bit for bit, the double MPFR
// rounds to (subnormals included), from each build of the fast paths; every
// fast path must err by no more than the bound it claims; and the accurate
// paths, taken one precision at a time, by no more than theirs, and round
// where they say they can as MPFR does. On random arguments of many kinds,
// and on hard ones that the fast paths cannot round (Args.h).
//   crmath-mpfr [--short] [N] [--hard H] [--seed S]
//       N random arguments (default 1,500,000: some 4 million calls) and H
//       hard ones (default 60,000); --short a tenth of each, and the
//       accurate paths up to 768 bits, not 3072
//   crmath-mpfr --tables     prints crmath/Tables.cpp
//   crmath-mpfr --near-pi2   the search behind kNearPi2
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "crmath/Accurate.h"
#include "crmath/Detail.h"
#include "crmath/mpfr/Args.h"
#include "crmath/mpfr/Mpfr.h"
#include "crmath/mpfr/TableGen.h"

namespace {

using namespace mpfrcheck;
namespace cr = crmath::detail;
using Plain = cr::TBuild<false>;
using Fused = cr::TBuild<true>;

constexpr int kLevels = 5;  // the accurate paths' levels checked, 192 to 3072 bits
const char* const kNames[] = {"sin, cos", "atan2", "acos"};

struct TStats {
  std::atomic<uint64_t> Checked{0}, Results{0}, Mismatches{0}, Calls[3]{}, Wrong[3]{};
  std::mutex Lock;
  double FastRatio[3][2] = {};  // per function, per build
  double LevelRatio[3][kLevels] = {};
  uint64_t LevelChecks[3][kLevels] = {};
  void Worst(double& w, double r) {
    std::lock_guard<std::mutex> g(Lock);
    w = std::max(w, r);
  }
};

void ExactOf(const TCall& c, TFn fn, mpfr_ptr r) { Exact(fn, fn == TFn::Atan2 ? c.Y : c.X, c.X, r); }

void Mismatch(TStats& st, const char* f, const TCall& c, double got, double want) {
  ++st.Wrong[static_cast<int>(c.Kind)];
  if (st.Mismatches.fetch_add(1) >= 20) return;
  if (c.Kind == TKind::Atan2)
    std::printf("MISMATCH %s(%a, %a) = %a, expected %a\n", f, c.Y, c.X, got, want);
  else
    std::printf("MISMATCH %s(%a) = %a, expected %a\n", f, c.X, got, want);
}

// The results of both builds of the fast paths, and the fast path's error.
void CheckBuilds(TStats& st, const TCall& c, double want, double want2, bool bound) {
  const int f = static_cast<int>(c.Kind);
  for (int fma = 0; fma < 1 + cr::FmaAvailable(); ++fma) {
    cr::TApprox a, a2;
    bool fast;
    if (c.Kind == TKind::SinCos) {
      const double s = fma ? Fused::Sin(c.X) : Plain::Sin(c.X),
                   co = fma ? Fused::Cos(c.X) : Plain::Cos(c.X);
      const cr::TSinCosPair p = fma ? Fused::SinCos(c.X) : Plain::SinCos(c.X);
      if (!Same(s, want) || !Same(p.Sin, want)) Mismatch(st, "sin", c, Same(s, want) ? p.Sin : s, want);
      if (!Same(co, want2) || !Same(p.Cos, want2)) Mismatch(st, "cos", c, Same(co, want2) ? p.Cos : co, want2);
      st.Results += 4, st.Calls[f] += 3;
      fast = bound && (fma ? Fused::SinCosFast(c.X, a, a2) : Plain::SinCosFast(c.X, a, a2));
    } else if (c.Kind == TKind::Atan2) {
      const double r = fma ? Fused::Atan2(c.Y, c.X) : Plain::Atan2(c.Y, c.X);
      if (!Same(r, want)) Mismatch(st, "atan2", c, r, want);
      ++st.Results, ++st.Calls[f];
      fast = bound && (fma ? Fused::Atan2Fast(c.Y, c.X, a) : Plain::Atan2Fast(c.Y, c.X, a));
    } else {
      const double r = fma ? Fused::Acos(c.X) : Plain::Acos(c.X);
      if (!Same(r, want)) Mismatch(st, "acos", c, r, want);
      ++st.Results, ++st.Calls[f];
      fast = bound && (fma ? Fused::AcosFast(c.X, a) : Plain::AcosFast(c.X, a));
    }
    if (!fast) continue;
    TMpfr e(320);
    ExactOf(c, c.Kind == TKind::SinCos ? TFn::Sin : c.Kind == TKind::Atan2 ? TFn::Atan2 : TFn::Acos, e);
    st.Worst(st.FastRatio[f][fma], ErrorRatio(a, e));
    if (c.Kind == TKind::SinCos) {
      ExactOf(c, TFn::Cos, e);
      st.Worst(st.FastRatio[f][fma], ErrorRatio(a2, e));
    }
  }
}

// One value of an accurate path at one level: within its bound, and where it
// says it rounds, rounded as MPFR rounds.
void CheckWide(TStats& st, const TCall& c, TFn fn, int level, const cr::TWide& w, double want) {
  const int f = static_cast<int>(c.Kind);
  TMpfr e(64 * (3 << level) + 128);
  ExactOf(c, fn, e);
  st.Worst(st.LevelRatio[f][level], ErrorRatio(w, e));
  double r;
  if (cr::wide::RoundsAlike(w.Value, w.ErrExp, r) && !Same(r, want)) Mismatch(st, "accurate", c, r, want);
  ++st.Results;
}

// The accurate paths at levels 0 to maxLevel, where the fast path runs.
void CheckLevels(TStats& st, const TCall& c, double want, double want2, int maxLevel) {
  cr::TApprox a, a2;
  const bool fast = c.Kind == TKind::SinCos  ? Plain::SinCosFast(c.X, a, a2)
                    : c.Kind == TKind::Atan2 ? Plain::Atan2Fast(c.Y, c.X, a)
                                             : Plain::AcosFast(c.X, a);
  for (int level = 0; fast && level <= maxLevel; ++level) {
    if (c.Kind == TKind::SinCos) {
      cr::TWide s, co;
      cr::SinCosAt(c.X, level, s, co);
      CheckWide(st, c, TFn::Sin, level, s, want);
      CheckWide(st, c, TFn::Cos, level, co, want2);
    } else if (c.Kind == TKind::Atan2) {
      CheckWide(st, c, TFn::Atan2, level, cr::Atan2At(c.Y, c.X, level), want);
    } else {
      CheckWide(st, c, TFn::Acos, level, cr::AcosAt(c.X, level), want);
    }
    std::lock_guard<std::mutex> g(st.Lock);
    ++st.LevelChecks[static_cast<int>(c.Kind)][level];
  }
}

void Check(TStats& st, const TCall& c, bool bound, int maxLevel) {
  const double want = c.Kind == TKind::SinCos  ? RefSin(c.X)
                      : c.Kind == TKind::Atan2 ? RefAtan2(c.Y, c.X)
                                               : RefAcos(c.X);
  const double want2 = c.Kind == TKind::SinCos ? RefCos(c.X) : 0;
  CheckBuilds(st, c, want, want2, bound);
  CheckLevels(st, c, want, want2, maxLevel);
  ++st.Checked;
}

// f(n) for n < count on every processor, in blocks so that the work spreads
// however long each takes.
template <class F>
void ParallelFor(uint64_t count, F f) {
  std::atomic<uint64_t> next{0};
  std::vector<std::thread> pool;
  for (unsigned w = 0; w < std::max(1u, std::thread::hardware_concurrency()); ++w)
    pool.emplace_back([&] {
      for (uint64_t b; (b = next.fetch_add(256)) < count;)
        for (uint64_t n = b; n < std::min(b + 256, count); ++n) f(n);
      mpfr_free_cache2(MPFR_FREE_LOCAL_CACHE);  // this thread's constants
    });
  for (std::thread& t : pool) t.join();
}

uint64_t AccurateTotal(int f, int level) { return cr::AccurateCount(static_cast<cr::TFunction>(f), level); }

// What a phase did: its calls through the fast paths, and how many the
// accurate paths decided at each level (the counters' growth in the phase).
void Report(const char* phase, TStats& st, const uint64_t (&before)[3][cr::kCountedLevels]) {
  std::printf("%s: %" PRIu64 " calls checked, %" PRIu64 " results, %" PRIu64 " mismatches\n", phase, st.Checked.load(),
              st.Results.load(), st.Mismatches.load());
  for (int f = 0; f < 3; ++f) {
    uint64_t acc[cr::kCountedLevels], sum = 0;
    for (int l = 0; l < cr::kCountedLevels; ++l) sum += acc[l] = AccurateTotal(f, l) - before[f][l];
    std::printf("  %-8s %10" PRIu64 " calls: %10" PRIu64 " fast, %8" PRIu64 " accurate (at 192 bits %" PRIu64
                ", 384 %" PRIu64 ", 768 %" PRIu64 ", more %" PRIu64 "); %" PRIu64 " results wrong\n",
                kNames[f], st.Calls[f].load(), st.Calls[f] - sum, sum, acc[0], acc[1], acc[2], acc[3],
                st.Wrong[f].load());
  }
}

void Snapshot(uint64_t (&c)[3][cr::kCountedLevels]) {
  for (int f = 0; f < 3; ++f)
    for (int l = 0; l < cr::kCountedLevels; ++l) c[f][l] = AccurateTotal(f, l);
}

// The largest error / bound of each path; false if any exceeds 1.
bool Bounds(TStats& random, TStats& hard) {
  bool ok = true;
  for (int f = 0; f < 3; ++f) {
    const double plain = std::max(random.FastRatio[f][0], hard.FastRatio[f][0]);
    const double fused = std::max(random.FastRatio[f][1], hard.FastRatio[f][1]);
    std::printf("largest error / bound, %-8s fast plain %.3f, fused %.3f; accurate", kNames[f], plain, fused);
    ok = ok && plain <= 1 && fused <= 1;
    for (int l = 0; l < kLevels; ++l) {
      const double r = std::max(random.LevelRatio[f][l], hard.LevelRatio[f][l]);
      std::printf(" %.2g (%" PRIu64 ")", r, random.LevelChecks[f][l] + hard.LevelChecks[f][l]);
      ok = ok && r <= 1;
    }
    std::printf("\n");
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t count = 1500000, hard = 60000, seed = 20240611;
  int top = 4;  // the widest level checked
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--tables") {
      PrintTables();
      return 0;
    }
    if (a == "--near-pi2") {
      NearPi2Search();
      return 0;
    }
    if (a == "--short") {
      count /= 10, hard /= 10, top = 2;
    } else if (a == "--hard" && i + 1 < argc) {
      hard = std::strtoull(argv[++i], nullptr, 10);
    } else if (a == "--seed" && i + 1 < argc) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (!a.empty() && a[0] != '-') {
      count = std::strtoull(a.c_str(), nullptr, 10);
    } else {
      std::fprintf(stderr, "usage: crmath-mpfr [--short] [N] [--hard H] [--seed S] | --tables | --near-pi2\n");
      return 64;
    }
  }
  const auto t0 = std::chrono::steady_clock::now();
  const int badTables = CheckTables();
  std::printf("tables: %d wrong entries\n", badTables);

  // Random arguments, each kind alike (n % 10 is the kind): the fast path's
  // bound every 8th, the accurate paths at 192 bits every 32nd, up to 768
  // bits every 1024th, to 3072 every 16384th (short: 768).
  uint64_t before[3][cr::kCountedLevels];
  TStats random;
  Snapshot(before);
  ParallelFor(count, [&](uint64_t n) {
    TCall calls[kMaxCalls];
    const int k = RandomCalls(n, seed, calls);
    const uint64_t i = n / 10;
    const int level = i % 16384 == 0 ? top : i % 1024 == 0 ? 2 : i % 32 == 0 ? 0 : -1;
    for (int j = 0; j < k; ++j) Check(random, calls[j], i % 8 == 0, level);
  });
  Report("random", random, before);

  // Hard arguments, each kind alike (n % kHardKinds is the kind), and the
  // published worst cases with their neighbours: every bound, the accurate
  // paths up to 768 bits every 16th, to 3072 every 256th (short: 768).
  TStats tough;
  Snapshot(before);
  ParallelFor(hard, [&](uint64_t n) {
    const uint64_t i = n / kHardKinds;
    const int level = i % 256 == 0 ? top : i % 16 == 0 ? 2 : 0;
    Check(tough, MakeHard(static_cast<THardKind>(n % kHardKinds), i, seed ^ (n * 0x2545f4914f6cdd1d)), true, level);
  });
  for (const double x : kWorstSin)
    for (int k = -2; k <= 2; ++k)
      Check(tough, {TKind::SinCos, 0, FromBits(Bits(x) + static_cast<uint64_t>(k))}, true, top);
  for (const double x : kWorstCos)
    for (int k = -2; k <= 2; ++k)
      Check(tough, {TKind::SinCos, 0, FromBits(Bits(x) + static_cast<uint64_t>(k))}, true, top);
  Report("hard", tough, before);

  mpfr_free_cache();
  const bool bounds = Bounds(random, tough);
  // The hard arguments must reach the accurate paths, or the check of them
  // could not fail.
  uint64_t reached = 0, calls = 0;
  for (int f = 0; f < 3; ++f) {
    calls += tough.Calls[f];
    for (int l = 0; l < cr::kCountedLevels; ++l) reached += AccurateTotal(f, l) - before[f][l];
  }
  const bool hardEnough = reached * 4 >= calls;
  if (!hardEnough)
    std::printf("the hard arguments sent only %" PRIu64 " of %" PRIu64 " calls to the accurate paths\n", reached,
                calls);
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("%.1f s on %u threads\n", secs, std::max(1u, std::thread::hardware_concurrency()));
  return random.Mismatches == 0 && tough.Mismatches == 0 && badTables == 0 && bounds && hardEnough ? 0 : 1;
}
