#include "app/Unit1.h"

#include <exception>

#include "app/Captions.h"
#include "app/Division.h"
#include "base/ReplaceFile.h"
#include "exchange/KdxGaibu.h"
#include "geometry/MyFunc.h"

namespace {

// A selection too large for the memory is told as memory running out.
const char* ReadCutStatus(TReadCut cut) {
  return cut == TReadCut::kMemory ? status::kOutOfMemory : status::kReadCut;
}

}  // namespace

// Centred on the cursor from the outer size, halved towards zero; not kept
// on screen.
void TForm1::PlaceAtCursor() {
  const int left = host_.CursorPos().X - host_.OuterSize().Width / 2;
  const int top = host_.CursorPos().Y - host_.OuterSize().Height / 2;
  host_.MoveTo(left, top);
}

void TForm1::FormShow() {
  try {
    PlaceAtCursor();
    host_.SetStatus("");
    GaibuInit();
    ExeFolder = host_.ProgramFolder();
    exchangeFile_ = ExeFolder / kExchangeFileName;
    if (!TakeLock()) {
      closed_ = anotherInstance_ = true;
      GaibuFree();
      host_.AnotherInstance();
      return;
    }
    if (lock_.Held()) RemoveStaleTemps(exchangeFile_);  // no running program can own them
    TFileStamp stamp;
    LoadExchangeFile(exchangeFile_, &readCut_, &stamp);
    read_ = stamp;
    // The first lg, ly and pn of the reply are written whatever was read.
    ResetOutAttrs();
    if (readCut_ != TReadCut::kNone) host_.SetStatus(ReadCutStatus(readCut_));  // told at once, and again on OK
  } catch (...) {
    CloseOnFailure();
  }
}

bool TForm1::TakeLock() {
  return lock_.Held() || lock_.Take(exchangeFile_) != TFileLock::kBusy;
}

// The path is the one built when the form was shown, so that closing needs no
// memory of its own to replace, or at least remove, the host's selection.
void TForm1::FormClose() {
  replySaved_ = SaveExchangeFile(exchangeFile_, &hostFileLeft_, read_ ? &*read_ : nullptr);
  lock_.Release();
  GaibuFree();
  if (hostFileLeft_) host_.ReplyNotPlaced();
}

void TForm1::CloseOnFailure() noexcept {
  if (closed_) return;
  closed_ = failed_ = true;
  OutLines.Clear();  // nothing of a run cut short is replied: "hq" alone
  hostFileLeft_ = true;
  try {
    if (exchangeFile_.empty()) exchangeFile_ = host_.ProgramFolder() / kExchangeFileName;
    if (TakeLock()) {
      replySaved_ = SaveExchangeFile(exchangeFile_, &hostFileLeft_, read_ ? &*read_ : nullptr);
    } else {  // the file is another program's to answer
      anotherInstance_ = true;
      hostFileLeft_ = false;
    }
  } catch (...) {  // not even the file's path: the selection stays where it is
  }
  lock_.Release();
  if (!running_) GaibuFree();  // a walk cut short may still have workers reading the tables
  try {
    if (hostFileLeft_) host_.ReplyNotPlaced();
  } catch (...) {
  }
}

void TForm1::Close() {
  if (closed_) return;
  if (running_) {  // a close sent while the division runs waits for its end
    closeWanted_ = true;
    return;
  }
  closed_ = true;
  FormClose();
  host_.CloseWindow();
}

void TForm1::Button2Click() { Close(); }

void TForm1::Button1Click() {
  if (closed_ || running_) return;  // a second Enter queued behind the walk
  bool done = false;
  try {
    if (readCut_ != TReadCut::kNone) {  // part of the host's selection is never walked
      host_.SetStatus(ReadCutStatus(readCut_));
    } else {
      const double d = StrToFloatZ(host_.EditText());
      if (d > kTolerance) {  // nothing below it is a distance
        running_ = true;
        done = DivideChain(d, host_);
      }
    }
  } catch (const std::exception&) {
    // Reading the edit box, or showing a message, found no memory; DivideChain
    // has taken back what it appended.
  }
  running_ = false;
  if (done || closeWanted_) {
    Close();
    return;
  }
  // The dialog stays open: the next distance is typed at once, over the last.
  host_.FocusEdit();
}
