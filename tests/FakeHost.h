// A window system for the dialog logic, recording what it is asked to do.
#pragma once

#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "TempDir.h"
#include "app/Unit1.h"

class TFakeHost : public TFormHost {
 public:
  std::filesystem::path Folder;
  std::string Edit;
  TScreenPoint Cursor{500, 400};
  TScreenSize Outer{301, 120};
  std::string Status = "Label3";
  long EscSegmentFrom = -1;  // the key is down from this question on; -1: never
  std::string EscPoints;     // per question between points: 'D' down, 'U' up; the last repeats
  long SegmentQuestions = 0, PointQuestions = 0;
  long ThrowAtPoint = -1;  // so many questions between points on, one fails; -1: none
  std::vector<std::string> Log;
  std::vector<std::string> RepliesAtClose;  // the exchange file as each CloseWindow found it

  TScreenPoint CursorPos() override { return Cursor; }
  TScreenSize OuterSize() override { return Outer; }
  void MoveTo(int left, int top) override {
    Log.push_back("move " + std::to_string(left) + " " + std::to_string(top));
  }
  std::string EditText() override { return Edit; }
  void SetStatus(std::string_view utf8) override {
    Status = utf8;
    Log.push_back("status " + Status);
  }
  void RepaintStatus() override { Log.push_back("repaint"); }
  bool EscBeforeSegment() override { return EscSegmentFrom >= 0 && SegmentQuestions++ >= EscSegmentFrom; }
  bool EscBetweenPoints() override {
    if (ThrowAtPoint >= 0 && ThrowAtPoint-- == 0) throw std::runtime_error("the key state");
    if (EscPoints.empty()) return false;
    const size_t q = static_cast<size_t>(PointQuestions++);
    return EscPoints[q < EscPoints.size() ? q : EscPoints.size() - 1] == 'D';
  }
  // As the windows' own, these two allocate nothing a test may need: with
  // memory exhausted they only forget to record.
  void CloseWindow() override {
    try {
      Log.push_back("close");
      RepliesAtClose.push_back(ReadBytes(Folder / kExchangeFileName));
    } catch (const std::bad_alloc&) {
    }
  }
  void FocusEdit() override {
    try {
      Log.push_back("focus edit");
    } catch (const std::bad_alloc&) {
    }
  }
  std::filesystem::path ProgramFolder() override { return Folder; }
  void ReplyNotPlaced() override { Log.push_back("selection left"); }
  void AnotherInstance() override { Log.push_back("held elsewhere"); }
};

// The reply of one exchange from a fresh start: shown on `input`, `distance`
// typed, one OK, then Cancel (ignored after a completed run).
inline std::string OneOkReply(const std::filesystem::path& folder, const std::string& input,
                              const std::string& distance) {
  TFakeHost host;
  host.Folder = folder;
  TForm1 form(host);
  WriteBytes(folder / kExchangeFileName, input);
  form.FormShow();
  host.Edit = distance;
  form.Button1Click();
  form.Button2Click();
  return ReadBytes(folder / kExchangeFileName);
}
