#include "app/Division.h"

#include <exception>
#include <new>
#include <string>

#include "app/Captions.h"
#include "app/ChainWalk.h"
#include "app/SegEnds.h"
#include "exchange/KdxGaibu.h"
#include "geometry/MyFunc.h"

// Whatever way the run ends without a complete reply, the tables, the reply
// and the writer's memory are as they were before it, so that another OK
// replies what this one would have replied on a fresh start.
bool DivideChain(double d, TFormHost& host) {
  const TReplyMark before = MarkReply();
  try {
    host.SetStatus(status::kSearchingEnds);
    host.RepaintStatus();
    TSegEndsScope ends;
    ends.Build();
    if (SegEnds.empty()) {
      host.SetStatus(status::kNoEnds);
      return false;
    }
    host.SetStatus(status::kSearchingStart);
    host.RepaintStatus();
    const double hx = DesignatedPoints[1].X, hy = DesignatedPoints[1].Y;
    const int32_t start = FindStartEnd(hx, hy);
    if (start == -1) {
      host.SetStatus(status::kNoStart);
      return false;
    }
    host.SetStatus(status::kWalking);
    host.RepaintStatus();

    TChain chain;
    const TTraceEnd end = TraceChain(start, hx, hy, d, [&host] { return host.EscBeforeSegment(); }, chain);
    if (end == TTraceEnd::TooManyPoints) {
      host.SetStatus(status::kTooManyPoints);
      return false;
    }
    OutLayerGroup(FirstLayerGroup);
    OutLayer(FirstLayer);
    OutPen(FirstLineColor, 0);
    const double total = EmitPoints(chain, hx, hy, d, [&host] { return host.EscBetweenPoints(); },
                                    end == TTraceEnd::Escape);
    std::string comment(kTotalLengthLabel);
    comment += FormatFixedN(3, total);
    comment += "mm";
    OutComment(comment);
    return true;
  } catch (const std::exception& e) {
    RewindReply(before);  // so that a later Cancel still replies "hq" alone
    // May fail too, with nothing left to undo.
    host.SetStatus(dynamic_cast<const std::bad_alloc*>(&e) ? status::kOutOfMemory : status::kWalkFailed);
    return false;
  }
}
