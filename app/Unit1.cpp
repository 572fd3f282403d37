#include "app/Unit1.h"

#include <new>
#include <string>

#include "app/Captions.h"
#include "app/ChainWalk.h"
#include "app/SegEnds.h"
#include "exchange/KdxGaibu.h"
#include "exchange/SjisText.h"
#include "geometry/MyFunc.h"

// Centred on the cursor from the outer size, halved towards zero; not kept
// on screen.
void TForm1::PlaceAtCursor() {
  const int left = host_.CursorPos().X - host_.OuterSize().Width / 2;
  const int top = host_.CursorPos().Y - host_.OuterSize().Height / 2;
  host_.MoveTo(left, top);
}

void TForm1::FormShow() {
  PlaceAtCursor();
  host_.SetStatus("");
  GaibuInit();
  ExeFolder = host_.ProgramFolder();
  exchangeFile_ = ExeFolder / kExchangeFileName;
  LoadExchangeFile(exchangeFile_);
  // The first lg, ly and pn of the reply are written whatever was read.
  ResetOutAttrs();
}

// The path is the one built when the form was shown, so that closing needs no
// memory of its own to replace, or at least remove, the host's selection.
void TForm1::FormClose() {
  bool hostFileLeft = false;
  SaveExchangeFile(exchangeFile_, &hostFileLeft);
  GaibuFree();
  if (hostFileLeft) host_.ReplyNotPlaced();
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
    const double d = StrToFloatZ(host_.EditText());
    if (d > kTolerance) {  // nothing below it is a distance
      running_ = true;
      done = Divide(d);
    }
  } catch (const std::bad_alloc&) {
    // Reading the edit box, or showing that memory ran out, found none;
    // Divide has taken back what it appended.
  }
  running_ = false;
  if (done || closeWanted_) {
    Close();
    return;
  }
  // The dialog stays open: the next distance is typed at once, over the last.
  host_.FocusEdit();
}

// Whatever way the run ends without a complete reply, the tables, the reply
// and the writer's memory are as they were before it, so that another OK
// replies what this one would have replied on a fresh start.
bool TForm1::Divide(double d) {
  const TReplyMark before = MarkReply();
  try {
    host_.SetStatus(status::kSearchingEnds);
    host_.RepaintStatus();
    TSegEndsScope ends;
    ends.Build();
    if (SegEnds.empty()) {
      host_.SetStatus(status::kNoEnds);
      return false;
    }
    host_.SetStatus(status::kSearchingStart);
    host_.RepaintStatus();
    const double hx = DesignatedPoints[1].X, hy = DesignatedPoints[1].Y;
    const int32_t start = FindStartEnd(hx, hy);
    if (start == -1) {
      host_.SetStatus(status::kNoStart);
      return false;
    }
    host_.SetStatus(status::kWalking);
    host_.RepaintStatus();

    TChain chain;
    const TTraceEnd end = TraceChain(start, hx, hy, d, [this] { return host_.EscBeforeSegment(); }, chain);
    if (end == TTraceEnd::TooManyPoints) {
      host_.SetStatus(status::kTooManyPoints);
      return false;
    }
    OutLayerGroup(FirstLayerGroup);
    OutLayer(FirstLayer);
    OutPen(FirstLineColor, 0);
    const double total = EmitPoints(chain, hx, hy, d, [this] { return host_.EscBetweenPoints(); },
                                    end == TTraceEnd::Escape);
    std::string comment(kTotalLengthLabel);
    comment += FormatFixedN(3, total);
    comment += "mm";
    OutComment(comment);
    return true;
  } catch (const std::bad_alloc&) {
    RewindReply(before);  // so that a later Cancel still replies "hq" alone
    host_.SetStatus(status::kOutOfMemory);  // may fail too, with nothing left to undo
    return false;
  }
}
