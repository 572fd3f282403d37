// equidist-run DIR DISTANCE [--esc-at K] [--threads N]: one exchange on
// DIR/QZT_TEMP.TXT exactly as the dialog performs it (shown, the distance
// typed, OK, closed), without a window. With --esc-at K the ESC key reads as
// down from the K-th question before a segment on (0: already at the first).
// --threads N works on N threads instead of one per core.
// The exit codes are the dialogs' own (app/RunForm.h).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Version.h"
#include "app/Captions.h"
#include "app/RunForm.h"
#include "app/Unit1.h"
#include "app/headless/Console.h"
#include "base/Threads.h"
#include "base/Utf16.h"

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
  void FocusEdit() override {}
  std::filesystem::path ProgramFolder() override { return folder_; }
  void ReplyNotPlaced() override {}  // said once the form has closed, as the exit code is
  void AnotherInstance() override {}

  const std::string& Status() const { return status_; }

 private:
  std::filesystem::path folder_;
  std::string distance_;
  long long escAt_;
  long long asked_ = 0;
  std::string status_;
};

// No window: the distance is typed as the form is shown, and OK pressed once.
class THeadlessRun : public TFrontEnd {
 public:
  THeadlessRun(TForm1& form, const THeadlessHost& host) : form_(form), host_(host) {}
  bool MakeWindow() override { return true; }
  void ShowWindow() override {}
  bool RunLoop() override {
    form_.Button1Click();
    if (form_.Closed()) return false;
    // OK left the dialog open: say why, and close it as Cancel does.
    if (!host_.Status().empty()) PrintLine(stderr, host_.Status());
    form_.Button2Click();
    return true;
  }

 private:
  TForm1& form_;
  const THeadlessHost& host_;
};

int Usage() {
  PrintLine(stderr, "使い方：equidist-run フォルダー 分割距離 [--esc-at K] [--threads N]");
  PrintLine(stderr, "        equidist-run --version");
  return kExitUsage;
}

// A whole number from 0 up, or -1.
long long Count(const std::string& text) {
  char* end = nullptr;
  const long long n = std::strtoll(text.c_str(), &end, 10);
  return text.empty() || *end != '\0' || n < 0 ? -1 : n;
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
    args.Rest.push_back(Narrow(w[i]));
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
    PrintLine(stdout, "equidist-run " EQUIDIST_VERSION);
    return 0;
  }
  if (args.Folder.empty() || args.Rest.size() % 2 != 1) return Usage();
  long long escAt = -1;
  for (size_t i = 1; i < args.Rest.size(); i += 2) {
    const long long n = Count(args.Rest[i + 1]);
    if (args.Rest[i] == "--esc-at" && n >= 0)
      escAt = n;
    else if (args.Rest[i] == "--threads" && n >= 1 && n <= 1024)
      SetWorkerThreads(static_cast<unsigned>(n));
    else
      return Usage();
  }
  THeadlessHost host(args.Folder, args.Rest[0], escAt);
  TForm1 form(host);
  THeadlessRun run(form, host);
  const int code = RunForm(form, run);
  if (form.AnotherInstance()) {
    PrintLine(stderr, message::kAnotherInstance);
  } else {
    if (form.Failed()) PrintLine(stderr, status::kOutOfMemory);  // nothing else stops it early
    if (form.HostFileLeft()) PrintLine(stderr, message::kReplyNotPlaced);
  }
  return code;
}
