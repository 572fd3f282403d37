// A window system for the dialog logic, recording what it is asked to do.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "Unit1.h"

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
    if (EscPoints.empty()) return false;
    const size_t q = static_cast<size_t>(PointQuestions++);
    return EscPoints[q < EscPoints.size() ? q : EscPoints.size() - 1] == 'D';
  }
  void CloseWindow() override {
    Log.push_back("close");
    RepliesAtClose.push_back(ReadBytes(Folder / kExchangeFileName));
  }
  std::filesystem::path ProgramFolder() override { return Folder; }
  void ReplyNotPlaced() override { Log.push_back("reply not placed"); }
};
