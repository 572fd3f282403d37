// What the dialog logic needs from a window system; each front end, and the
// tests' fake, implements it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

struct TScreenPoint {
  int X = 0, Y = 0;
};

struct TScreenSize {
  int Width = 0, Height = 0;
};

// What the dialog logic needs from a window system.
class TFormHost {
 public:
  virtual ~TFormHost() = default;
  virtual TScreenPoint CursorPos() = 0;  // screen pixels
  virtual TScreenSize OuterSize() = 0;   // the whole window, frame included
  virtual void MoveTo(int left, int top) = 0;  // the whole window's top left corner
  virtual std::string EditText() = 0;  // Edit1, UTF-8
  virtual void SetStatus(std::string_view utf8) = 0;  // Label3
  virtual void RepaintStatus() = 0;  // paints now, handles no input
  // The ESC key's state at this moment, without consuming the key press:
  // asked before each segment of the walk, and between points.
  virtual bool EscBeforeSegment() = 0;
  virtual bool EscBetweenPoints() = 0;
  virtual void CloseWindow() = 0;  // hides the window and ends the event loop
  // Edit1 takes the focus with its whole text selected, from wherever it was.
  virtual void FocusEdit() = 0;
  virtual std::filesystem::path ProgramFolder() = 0;
  // At the close, when the reply could not be placed and the host's selection
  // is still in the exchange file: the host would add it again.
  virtual void ReplyNotPlaced() = 0;
  // As the form is shown, when another program holds the exchange file: the
  // form closes at once and leaves the file as it is.
  virtual void AnotherInstance() = 0;
};
