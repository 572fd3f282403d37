#include "Unit1.h"

#include <new>
#include <string>
#include <vector>

#include "Captions.h"
#include "ChainWalk.h"
#include "KdxGaibu.h"
#include "MyFunc.h"
#include "SegEnds.h"
#include "SjisText.h"

void TForm1::FormShow() {
  // Centred on the cursor from the outer size, halved towards zero; not kept
  // on screen.
  const int left = host_.CursorPos().X - host_.OuterSize().Width / 2;
  const int top = host_.CursorPos().Y - host_.OuterSize().Height / 2;
  host_.MoveTo(left, top);
  host_.SetStatus("");
  GaibuInit();
  ExeFolder = host_.ProgramFolder();
  LoadExchangeFile(ExeFolder / kExchangeFileName);
  // The first lg, ly and pn of the reply are written whatever was read.
  ResetOutAttrs();
}

void TForm1::FormClose() {
  bool hostFileLeft = false;
  SaveExchangeFile(ExeFolder / kExchangeFileName, &hostFileLeft);
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
  const double d = StrToFloatZ(host_.EditText());
  if (!(d > 1e-8)) return;
  running_ = true;
  const bool done = Divide(d);
  running_ = false;
  if (done || closeWanted_) Close();
}

bool TForm1::Divide(double d) {
  host_.SetStatus(status::kSearchingEnds);
  host_.RepaintStatus();
  const int32_t firstRecord = OutLineCount;
  try {
    BuildSegEnds();
    if (SegEnds.empty()) {
      ReleaseSegEnds();
      host_.SetStatus(status::kNoEnds);
      return false;
    }
    host_.SetStatus(status::kSearchingStart);
    host_.RepaintStatus();
    const double hx = DesignatedPoints[1].X, hy = DesignatedPoints[1].Y;
    const int32_t start = FindStartEnd(hx, hy);
    if (start == -1) {
      ReleaseSegEnds();
      host_.SetStatus(status::kNoStart);
      return false;
    }
    host_.SetStatus(status::kWalking);
    host_.RepaintStatus();

    std::vector<TWalkStep> steps;
    steps.reserve(SegEnds.size() / 2);  // at most every segment once
    const TTraceEnd end = TraceChain(start, hx, hy, d, [this] { return host_.EscBeforeSegment(); }, steps);
    if (end == TTraceEnd::TooManyPoints) {
      ReleaseSegEnds();
      host_.SetStatus(status::kTooManyPoints);
      return false;
    }
    OutLayerGroup(FirstLayerGroup);
    OutLayer(FirstLayer);
    OutPen(FirstLineColor, 0);
    const double total = EmitPoints(steps, hx, hy, d, [this] { return host_.EscBetweenPoints(); },
                                    end == TTraceEnd::Escape);
    ReleaseSegEnds();
    std::string comment(kTotalLengthLabel);
    comment += FormatFixedN(3, total);
    comment += "mm";
    OutComment(comment);
    return true;
  } catch (const std::bad_alloc&) {
    // Out of memory mid-run: take back what was appended, so that a later
    // Cancel still replies "hq" alone.
    ReleaseSegEnds();
    OutLines.Truncate(firstRecord);
    OutLineCount = firstRecord;
    host_.SetStatus(status::kTooManyPoints);
    return false;
  }
}
