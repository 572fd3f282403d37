// exchange-phases FILE DISTANCE: one exchange on a copy of FILE, step by step
// as OK performs it, with the time and the peak memory after each step:
// where a large exchange spends its time.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ChainWalk.h"
#include "app/SegEnds.h"
#include "exchange/KdxGaibu.h"
#include "geometry/MyFunc.h"

namespace {

using TClock = std::chrono::steady_clock;

long PeakMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024;
}

class TPhases {
 public:
  void Done(const char* name) {
    const auto now = TClock::now();
    const double ms = std::chrono::duration<double, std::milli>(now - last_).count();
    total_ += ms;
    std::printf("%-28s %9.1f ms %6ld MB peak\n", name, ms, PeakMb());
    last_ = now;
  }
  ~TPhases() { std::printf("%-28s %9.1f ms\n", "all", total_); }

 private:
  TClock::time_point last_ = TClock::now();
  double total_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: exchange-phases FILE DISTANCE\n");
    return 64;
  }
  const auto work = std::filesystem::temp_directory_path() / "equidist-phases.TXT";
  std::filesystem::copy_file(argv[1], work, std::filesystem::copy_options::overwrite_existing);
  const double d = StrToFloatZ(argv[2]);
  {
    TPhases phases;
    GaibuInit();
    LoadExchangeFile(work);
    ResetOutAttrs();
    phases.Done("read");
    const double hx = DesignatedPoints[1].X, hy = DesignatedPoints[1].Y;
    TSegEndsScope ends;
    ends.Build();
    phases.Done("segment ends and index");
    const int32_t start = FindStartEnd(hx, hy);
    TChain chain;
    const TTraceEnd end = TraceChain(start, hx, hy, d, [] { return false; }, chain);
    phases.Done("walk: trace and measure");
    if (end == TTraceEnd::TooManyPoints) return 2;
    OutLayerGroup(FirstLayerGroup);
    OutLayer(FirstLayer);
    OutPen(FirstLineColor, 0);
    const double total = EmitPoints(chain, hx, hy, d, [] { return false; }, false);
    OutComment("total " + FormatFixedN(3, total));
    phases.Done("walk: points");
    SaveExchangeFile(work);
    phases.Done("write");
    GaibuFree();
    phases.Done("release");
  }
  std::filesystem::remove(work);
  return 0;
}
