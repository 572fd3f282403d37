// The whole exchange on fuzzed input: an exchange file, the distances typed
// before each press of OK and the moment ESC goes down, through the dialog's
// logic; then the reply is read back. The reply must be "hq" alone or a
// complete answer: attribute records, finite points, the closing comment; and
// reading it must give those points. Presses that leave the dialog open must
// leave no trace: the reply is the one a single OK with the last distance
// gives on a fresh start. The work runs on one to four threads, as the input
// has it, and replies what one thread replies.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "base/Threads.h"
#include "exchange/KdxGaibu.h"
#include "tests/ReplyCheck.h"
#include "tests/TempDir.h"

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
  // Each press of OK meets ESC at the same moments.
  void RewindEsc() { segments_ = points_ = 0; }
  bool EscBeforeSegment() override { return EscSegment >= 0 && segments_++ >= EscSegment; }
  // Up at the first question between points, down from EscPoint on: a fresh
  // press, which stops the points even after ESC stopped the trace.
  bool EscBetweenPoints() override { return EscPoint >= 1 && points_++ >= EscPoint; }
  void CloseWindow() override {}
  void FocusEdit() override {}
  std::filesystem::path ProgramFolder() override { return Folder; }
  void ReplyNotPlaced() override { std::abort(); }  // the folder is always writable
  void AnotherInstance() override { std::abort(); }  // and this program its only user

 private:
  long segments_ = 0, points_ = 0;
};

struct TScript {
  std::vector<std::string> Distances;  // one per press of OK, at most four
  long EscSegment = -1, EscPoint = -1;
};

// Shows the dialog on the file, presses OK with each distance in turn until
// one closes it, then Cancel; the reply, and in `pressed` how many presses
// were made.
std::string Exchange(const std::filesystem::path& file, const std::string& input, const TScript& script,
                     size_t& pressed) {
  std::ofstream(file, std::ios::binary) << input;
  TFuzzHost host;
  host.Folder = file.parent_path();
  host.EscSegment = script.EscSegment;
  host.EscPoint = script.EscPoint;
  TForm1 form(host);
  form.FormShow();
  for (pressed = 0; pressed < script.Distances.size() && !form.Closed(); ++pressed) {
    host.Distance = script.Distances[pressed];
    host.RewindEsc();
    form.Button1Click();
  }
  form.Button2Click();  // a Cancel after a failure, or the late one after a run
  return ReadBytes(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // First line: the distances, separated by blanks; the next two bytes: when
  // ESC goes down; the rest: the exchange file.
  const std::string all(reinterpret_cast<const char*>(data), size);
  const size_t lf = all.find('\n');
  if (lf == std::string::npos || lf + 3 > all.size()) return 0;
  static const auto folder = std::filesystem::temp_directory_path() /
                             ("equidist-fuzz-exchange-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const auto file = folder / kExchangeFileName;
  const std::string input = all.substr(lf + 3);

  TScript script;
  std::istringstream words(all.substr(0, lf));
  for (std::string d; script.Distances.size() < 4 && std::getline(words, d, ' ');) script.Distances.push_back(d);
  if (script.Distances.empty()) script.Distances.emplace_back();
  const auto a = static_cast<unsigned char>(all[lf + 1]), b = static_cast<unsigned char>(all[lf + 2]);
  script.EscSegment = a == 255 ? -1 : a;
  // Bounded, so that one input cannot keep the fuzzer for minutes on arcs.
  script.EscPoint = 1 + (b == 255 ? 4000 : b * 8);

  const unsigned threads = 1 + static_cast<unsigned char>(all.back()) % 4;
  SetWorkerThreads(threads);
  size_t pressed = 0;
  const std::string reply = Exchange(file, input, script, pressed);
  if (!ReplyFault(reply, file).empty()) std::abort();
  if (pressed > 1) {  // the presses before the last left no trace
    TScript once = script;
    once.Distances = {script.Distances[pressed - 1]};
    if (Exchange(file, input, once, pressed) != reply) std::abort();
  }
  if (threads > 1) {
    SetWorkerThreads(1);
    if (Exchange(file, input, script, pressed) != reply) std::abort();
  }
  return 0;
}
