// Unit1: the dialog form's behaviour, free of any toolkit. Each front end
// implements TFormHost and forwards its events to TForm1's handlers.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/FileLock.h"
#include "exchange/Loader.h"

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

class TForm1 {
 public:
  explicit TForm1(TFormHost& host) : host_(host) {}

  // Shows the form and reads the exchange file, holding it until the close
  // against other programs like this one. When anything in it fails (memory
  // running out), the form is closed at once as CloseOnFailure does; when
  // another program holds the file, it is closed at once without touching
  // the file: Closed() and AnotherInstance() tell.
  void FormShow();
  // The first steps of FormShow: where the window goes. A toolkit that
  // learns the frame's size only once the window is shown asks again then.
  void PlaceAtCursor();
  void FormClose();
  void Button1Click();  // OK: the division run
  void Button2Click();  // Cancel

  // Every way of closing: the close button, Esc, Cancel, a finished run.
  // Only the first close counts; input after it is ignored. A close that
  // reaches the form while the division runs takes effect when it ends.
  void Close();
  bool Closed() const { return closed_; }
  // Whether the close wrote the reply ("hq" included) into the exchange file.
  bool ReplySaved() const { return replySaved_; }
  bool AnotherInstance() const { return anotherInstance_; }
  // Whether the close left the host's selection in the exchange file (the
  // host was told: ReplyNotPlaced).
  bool HostFileLeft() const { return hostFileLeft_; }
  // Whether CloseOnFailure, not a close, ended the form.
  bool Failed() const { return failed_; }

  // The program cannot go on: its window could not be made, the toolkit has
  // no display, something escaped the event loop, or the session ends. The
  // host is answered as Cancel answers it, whatever the reply held, so that
  // it never takes its own selection back, unless the form was closed
  // already or another program holds the file. The window is not touched:
  // the front end ends the program.
  void CloseOnFailure() noexcept;

  std::filesystem::path ExeFolder;

 private:
  bool TakeLock();  // false when another program holds the file

  TFormHost& host_;
  std::filesystem::path exchangeFile_;  // ExeFolder / kExchangeFileName
  TFileLock lock_;
  std::optional<TFileStamp> read_;  // the file as it was read, once it was
  bool closed_ = false;
  bool replySaved_ = false;
  bool anotherInstance_ = false;
  bool hostFileLeft_ = false;
  bool failed_ = false;
  TReadCut readCut_ = TReadCut::kNone;  // the exchange file was read only in part: nothing is walked
  bool running_ = false;
  bool closeWanted_ = false;
};

inline constexpr char kExchangeFileName[] = "QZT_TEMP.TXT";
