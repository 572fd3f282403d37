// Reading the exchange file: a million mixed records, every kind the host
// writes, and one line built to cost more than its length. Reported as bytes
// per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "TempFile.h"
#include "exchange/KdxGaibu.h"

namespace {

// Reads the file into a fresh state on every iteration; bytes per second.
void LoadEachTime(benchmark::State& state, const std::filesystem::path& file) {
  for (auto _ : state) {
    state.PauseTiming();
    GaibuInit();
    state.ResumeTiming();
    if (!LoadExchangeFile(file)) state.SkipWithError("the file could not be read");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(file)));
}

// One line of "file=" behind a lead byte, over and over, to about `bytes`.
void WriteHostileLine(std::FILE* f, long bytes) {
  for (long n = 0; n + 6 <= bytes; n += 6) std::fputs("\x81" "file=", f);
  std::fputs("\r\n", f);
}

}  // namespace

static void BM_LoadExchangeFile(benchmark::State& state) {
  static const auto file = GeneratedExchange("mixed", WriteMixed, 1000000);
  LoadEachTime(state, file);
  state.counters["records"] = EntityOrderCount;
}
BENCHMARK(BM_LoadExchangeFile)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();

static void BM_ParsePlainLine(benchmark::State& state) {
  GaibuInit();
  for (auto _ : state) {
    ParseLine("12345.678 2345.125 12346.678 2346.125");
    if (LineCount == 100000) GaibuInit();
  }
  state.SetBytesProcessed(state.iterations() * 38);
}
BENCHMARK(BM_ParsePlainLine);

// One line of "file=" behind a lead byte, over and over: every "file=" in it
// starts on the second byte of a character, so none is the keyword, and each
// must be told so without going back to the line's start. Read as a file,
// which from 1 MiB on takes the two-thread reader; the rate must not fall
// as the line grows.
static void BM_HostileLine(benchmark::State& state) {
  const long bytes = state.range(0);
  LoadEachTime(state, GeneratedExchange("hostile-" + std::to_string(bytes), WriteHostileLine, bytes));
}
BENCHMARK(BM_HostileLine)->RangeMultiplier(4)->Range(64 << 10, 4 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();
