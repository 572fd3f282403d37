// Unit1: the dialog form's behaviour, free of any toolkit. Each front end
// implements TFormHost (app/FormHost.h) and forwards its events to TForm1's
// handlers.
#pragma once

#include <filesystem>
#include <optional>

#include "app/FormHost.h"
#include "base/FileLock.h"
#include "exchange/Loader.h"

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
