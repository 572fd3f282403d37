// What the dialog's hosts on a desktop answer alike, whatever their toolkit:
// the ESC key through a poll of its state, the program's folder from the
// executable's path, and the two messages told in a message box.
#pragma once

#include <filesystem>

#include "app/Captions.h"
#include "app/EscPoll.h"
#include "app/Unit1.h"
#include "base/ProgramPath.h"

class TDesktopHost : public TFormHost {
 public:
  explicit TDesktopHost(bool (*escapeDown)()) : escape_(escapeDown) {}

  bool EscBeforeSegment() override { return escape_(); }
  bool EscBetweenPoints() override { return escape_(); }
  std::filesystem::path ProgramFolder() override { return ::ProgramFolder(); }
  void ReplyNotPlaced() override { Alert(message::kReplyNotPlaced); }
  void AnotherInstance() override { Alert(message::kAnotherInstance); }

 protected:
  virtual void Alert(const char* utf8) = 0;  // a message box, in front of the dialog

 private:
  TEscPoll<bool (*)()> escape_;
};
