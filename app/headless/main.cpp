// equidist-run DIR DISTANCE [--esc-at K]: one exchange on DIR/QZT_TEMP.TXT
// exactly as the dialog performs it (shown, the distance typed, OK, closed),
// without a window. With --esc-at K the ESC key reads as down from the K-th
// question before a segment on (0: already at the first).
// Exit codes: 0 the exchange is done; 2 OK left the dialog open, and it was
// closed as Cancel does; 3 the reply could not be placed and the host's
// selection is still in the exchange file; 64 a wrong command line.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "Captions.h"
#include "Unit1.h"
#include "Version.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

class THeadlessHost : public TFormHost {
 public:
  THeadlessHost(std::filesystem::path folder, std::string distance, long long escAt)
      : folder_(std::move(folder)), distance_(std::move(distance)), escAt_(escAt) {}

  TScreenPoint CursorPos() override { return {}; }
  TScreenSize OuterSize() override { return {}; }
  void MoveTo(int, int) override {}
  std::string EditText() override { return distance_; }
  void SetStatus(std::string_view utf8) override { status_ = utf8; }
  void RepaintStatus() override {}
  bool EscBeforeSegment() override { return escAt_ >= 0 && asked_++ >= escAt_; }
  bool EscBetweenPoints() override { return false; }  // the key is never down mid-segment
  void CloseWindow() override {}
  std::filesystem::path ProgramFolder() override { return folder_; }
  void ReplyNotPlaced() override { replyNotPlaced_ = true; }

  const std::string& Status() const { return status_; }
  bool ReplyWasNotPlaced() const { return replyNotPlaced_; }

 private:
  std::filesystem::path folder_;
  std::string distance_;
  long long escAt_;
  long long asked_ = 0;
  std::string status_;
  bool replyNotPlaced_ = false;
};

constexpr int kExitLeftOpen = 2, kExitReplyNotPlaced = 3, kExitUsage = 64;

int Usage() {
  std::cerr << "usage: equidist-run DIR DISTANCE [--esc-at K]\n       equidist-run --version\n";
  return kExitUsage;
}

// The arguments, with the folder as a path that keeps any characters it has.
struct TArgs {
  std::filesystem::path Folder;
  std::vector<std::string> Rest;  // UTF-8
};

#ifdef _WIN32
TArgs ReadArgs(int, char**) {
  TArgs args;
  int n = 0;
  wchar_t** w = CommandLineToArgvW(GetCommandLineW(), &n);
  for (int i = 1; w && i < n; ++i) {
    if (i == 1) {
      args.Folder = w[i];
      continue;
    }
    const int len = WideCharToMultiByte(CP_UTF8, 0, w[i], -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(len > 0 ? len - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w[i], -1, s.data(), len, nullptr, nullptr);
    args.Rest.push_back(s);
  }
  LocalFree(w);
  return args;
}
#else
TArgs ReadArgs(int argc, char** argv) {
  TArgs args;
  if (argc > 1) args.Folder = argv[1];
  for (int i = 2; i < argc; ++i) args.Rest.emplace_back(argv[i]);
  return args;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const TArgs args = ReadArgs(argc, argv);
  if (args.Folder == "--version" && args.Rest.empty()) {
    std::cout << "equidist-run " EQUIDIST_VERSION "\n";
    return 0;
  }
  if (args.Folder.empty() || (args.Rest.size() != 1 && args.Rest.size() != 3)) return Usage();
  long long escAt = -1;
  if (args.Rest.size() == 3) {
    char* end = nullptr;
    escAt = std::strtoll(args.Rest[2].c_str(), &end, 10);
    if (args.Rest[1] != "--esc-at" || *end != '\0' || escAt < 0) return Usage();
  }
  THeadlessHost host(args.Folder, args.Rest[0], escAt);
  TForm1 form(host);
  form.FormShow();
  form.Button1Click();
  int code = 0;
  if (!form.Closed()) {
    // OK left the dialog open: say why, and close it as Cancel does.
    if (!host.Status().empty()) std::cerr << host.Status() << '\n';
    form.Button2Click();
    code = kExitLeftOpen;
  }
  if (host.ReplyWasNotPlaced()) {
    std::cerr << message::kReplyNotPlaced << '\n';
    code = kExitReplyNotPlaced;
  }
  return code;
}
