// equidist-run DIR DISTANCE [--esc-at K]: one exchange on DIR/QZT_TEMP.TXT
// exactly as the dialog performs it (shown, the distance typed, OK, closed),
// without a window. With --esc-at K the ESC key reads as down from the K-th
// question before a segment on (0: already at the first).
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "Unit1.h"

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

  const std::string& Status() const { return status_; }

 private:
  std::filesystem::path folder_;
  std::string distance_;
  long long escAt_;
  long long asked_ = 0;
  std::string status_;
};

int Usage() {
  std::cerr << "usage: equidist-run DIR DISTANCE [--esc-at K]\n";
  return 64;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) return Usage();
  long long escAt = -1;
  if (argc == 5) {
    char* end = nullptr;
    escAt = std::strtoll(argv[4], &end, 10);
    if (std::string(argv[3]) != "--esc-at" || *end != '\0' || escAt < 0) return Usage();
  }
  THeadlessHost host(argv[1], argv[2], escAt);
  TForm1 form(host);
  form.FormShow();
  form.Button1Click();
  if (form.Closed()) return 0;
  // OK left the dialog open: say why, and close it as Cancel does.
  if (!host.Status().empty()) std::cerr << host.Status() << '\n';
  form.Button2Click();
  return 2;
}
