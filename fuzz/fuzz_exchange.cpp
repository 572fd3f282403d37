// The whole exchange on fuzzed input: an exchange file, a distance and the
// moment ESC goes down, through the dialog's logic; then the reply is read
// back. The reply must be "hq" alone or a complete answer: attribute records,
// finite points, the closing comment; and reading it must give those points.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "KdxGaibu.h"
#include "Unit1.h"

namespace {

class TFuzzHost : public TFormHost {
 public:
  std::filesystem::path Folder;
  std::string Distance;
  long EscSegment = -1, EscPoint = -1;  // the key is down from this question on

  TScreenPoint CursorPos() override { return {}; }
  TScreenSize OuterSize() override { return {301, 114}; }
  void MoveTo(int, int) override {}
  std::string EditText() override { return Distance; }
  void SetStatus(std::string_view) override {}
  void RepaintStatus() override {}
  bool EscBeforeSegment() override { return EscSegment >= 0 && segments_++ >= EscSegment; }
  // Up at the first question between points, down from EscPoint on: a fresh
  // press, which stops the points even after ESC stopped the trace.
  bool EscBetweenPoints() override { return EscPoint >= 1 && points_++ >= EscPoint; }
  void CloseWindow() override {}
  std::filesystem::path ProgramFolder() override { return Folder; }
  void ReplyNotPlaced() override { std::abort(); }  // the folder is always writable

 private:
  long segments_ = 0, points_ = 0;
};

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void CheckReply(const std::string& reply, const std::filesystem::path& file) {
  if (reply == "hq\r\n") return;
  std::istringstream lines(reply);
  std::string line;
  int n = 0, points = 0;
  bool comment = false;
  while (std::getline(lines, line)) {
    if (line.empty() || line.back() != '\r' || comment) std::abort();  // CR LF lines, comment last
    line.pop_back();
    if (n == 0 && line.rfind("lg", 0) != 0) std::abort();
    if (n == 1 && line.rfind("ly", 0) != 0) std::abort();
    if (n == 2 && line.rfind("pn", 0) != 0) std::abort();
    if (n > 2 && line.rfind("pt ", 0) == 0) {
      if (line.find("NAN") != std::string::npos || line.find("INF") != std::string::npos) std::abort();
      ++points;
    } else if (n > 2) {
      if (line.rfind("h#", 0) != 0) std::abort();
      comment = true;
    }
    ++n;
  }
  if (!comment || points > 1000000) std::abort();
  GaibuInit();
  if (!LoadExchangeFile(file) || PointCount != points) std::abort();
  for (int32_t i = 0; i < PointCount; ++i)
    if (!std::isfinite(Points[i].X) || !std::isfinite(Points[i].Y)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // First line: the distance; the next two bytes: when ESC goes down; the
  // rest: the exchange file.
  const std::string all(reinterpret_cast<const char*>(data), size);
  const size_t lf = all.find('\n');
  if (lf == std::string::npos || lf + 3 > all.size()) return 0;
  static const auto folder = std::filesystem::temp_directory_path() /
                             ("equidist-fuzz-exchange-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const auto file = folder / kExchangeFileName;
  std::ofstream(file, std::ios::binary) << all.substr(lf + 3);

  TFuzzHost host;
  host.Folder = folder;
  host.Distance = all.substr(0, lf);
  const auto a = static_cast<unsigned char>(all[lf + 1]), b = static_cast<unsigned char>(all[lf + 2]);
  host.EscSegment = a == 255 ? -1 : a;
  // Bounded, so that one input cannot keep the fuzzer for minutes on arcs.
  host.EscPoint = 1 + (b == 255 ? 4000 : b * 8);
  TForm1 form(host);
  form.FormShow();
  form.Button1Click();
  form.Button2Click();  // a Cancel after a failure, or the late one after a run
  CheckReply(ReadAll(file), file);
  return 0;
}
