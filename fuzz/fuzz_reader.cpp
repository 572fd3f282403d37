// The exchange file reader on any bytes: every line through ParseLine, and the
// same bytes as a file through LoadExchangeFile. Nothing may crash, hang or
// touch memory it does not own, and the state must stay consistent.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "exchange/KdxGaibu.h"

namespace {

void CheckState() {
  // Counts within the tables' lengths, designated points where they belong.
  if (LineCount > Lines.Length() || ArcCount > Arcs.Length() || CircleCount > Circles.Length() ||
      EntityOrderCount > EntityOrder.Length() || TextCount > Texts.Length())
    std::abort();
  if (DesignatedPoints.size() != 100 || CurLayerGroup < 0 || CurLayerGroup > 15 || CurLayer < 0 || CurLayer > 15)
    std::abort();
  for (int32_t i = 0; i < TextCount; ++i)
    if (Texts[i].Text.size() > kShortTextMax || Texts[i].FontName.size() > kShortTextMax) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  GaibuInit();
  for (size_t start = 0; start <= text.size();) {
    const size_t lf = text.find('\n', start);
    const size_t end = lf == std::string_view::npos ? text.size() : lf;
    ParseLine(text.substr(start, end - start));
    start = end + 1;
  }
  CheckState();

  static const auto file = std::filesystem::temp_directory_path() /
                           ("equidist-fuzz-reader-" + std::to_string(getpid()) + ".txt");
  std::ofstream(file, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
  GaibuInit();
  if (!LoadExchangeFile(file)) std::abort();
  CheckState();
  return 0;
}
