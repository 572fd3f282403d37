// Replying 100,000 points: the whole save (a temporary file written, flushed
// to the disk and moved over the exchange file), and the same bytes written
// with and without the flush, whose difference is what the flush costs. The
// files go beside the program: a temporary folder may be held in memory,
// where a flush costs nothing.
#include <benchmark/benchmark.h>

#include <string>

#include "TempDir.h"
#include "base/FileIO.h"
#include "base/ProgramPath.h"
#include "exchange/KdxGaibu.h"

namespace {

constexpr long kPoints = 100000;

std::filesystem::path Folder() {
  static const auto dir = [] {
    auto d = ProgramFolder() / "save-bench";
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

// A reply as a run of OK leaves it: attributes, the points, the total.
void FillReply() {
  GaibuInit();
  ResetOutAttrs();
  OutLayerGroup(0);
  OutLayer(0);
  OutPen(1, 0);
  for (long i = 0; i < kPoints; ++i) {
    const auto x = static_cast<double>(i);
    OutPoint(12345.678 + 10.0 * x, -2345.5 + 0.25 * x);
  }
  OutComment("total");
}

void BM_SaveReply(benchmark::State& state) {
  FillReply();
  const auto file = Folder() / "QZT_TEMP.TXT";
  for (auto _ : state) benchmark::DoNotOptimize(SaveExchangeFile(file));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_SaveReply)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteReplyBytes(benchmark::State& state) {
  const bool flush = state.range(0) != 0;
  FillReply();
  const auto file = Folder() / "QZT_TEMP.TXT";
  SaveExchangeFile(file);
  const std::string bytes = ReadBytes(file);
  const auto temp = Folder() / "reply.tmp";
  for (auto _ : state) {
    // A new file each time, as the save makes one.
    state.PauseTiming();
    RemoveFile(temp);
    state.ResumeTiming();
    TFileWriter out;
    const bool ok = out.Create(temp, true) && out.Write(bytes.data(), bytes.size()) &&
                    (!flush || out.Flush()) && out.Close();
    if (!ok) state.SkipWithError("cannot write the file");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
  state.counters["flush"] = flush;
}
BENCHMARK(BM_WriteReplyBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
