#include "app/ChainWalk.h"

#include <cmath>

#include "app/SegEnds.h"
#include "exchange/KdxGaibu.h"
#include "geometry/MyFunc.h"

namespace {

struct TSegment {
  const TSegEnd& E;
  double FX, FY;  // the far end
};

TSegment SegmentAt(int32_t cur) {
  const TSegEnd& far = SegEnds[static_cast<size_t>(PartnerOf(cur))];
  return {SegEnds[static_cast<size_t>(cur)], far.X, far.Y};
}

// The sweep in degrees, negative when the arc is entered at its end.
double SignedSweep(const TArcRec& a, int32_t endNo) {
  const double s = SweepDeg(a.StartAngle, a.EndAngle);
  return endNo == 1 ? -s : s;
}

}  // namespace

TTraceEnd TraceChain(int32_t start, double hx, double hy, double d,
                     const std::function<bool()>& escBeforeSegment, std::vector<TWalkStep>& steps) {
  double wx = hx, wy = hy, a = 0;
  int64_t points = 0;
  for (int32_t cur = start;;) {
    if (escBeforeSegment()) return TTraceEnd::Escape;
    const TSegment s = SegmentAt(cur);
    double lseg;
    if (s.E.Kind == kSegLine) {
      lseg = Distance(wx, wy, s.FX, s.FY);
    } else {
      const TArcRec& arc = Arcs[s.E.Index];
      lseg = EllipseArcLength(arc.CX, arc.CY, arc.R, arc.Flatness, arc.StartAngle, arc.EndAngle,
                              arc.Tilt);
    }
    steps.push_back({cur, lseg});
    // The same arithmetic as the placing pass, so the count is its count.
    a = a + lseg;
    while (a >= d) {
      if (++points > kMaxPoints) return TTraceEnd::TooManyPoints;
      a = a - d;
    }
    const int32_t far = PartnerOf(cur);
    SegEnds[static_cast<size_t>(cur)].Avail = false;
    SegEnds[static_cast<size_t>(far)].Avail = false;
    wx = s.FX;
    wy = s.FY;
    cur = FindFreeEndAt(far);  // FindFreeEnd(wx, wy)
    if (cur == -1) return TTraceEnd::ChainEnd;
  }
}

double EmitPoints(const std::vector<TWalkStep>& steps, double hx, double hy, double d,
                  const std::function<bool()>& escBetweenPoints, bool stoppedByEscape) {
  double wx = hx, wy = hy, a = 0, total = 0;
  bool armed = !stoppedByEscape;
  for (const TWalkStep& step : steps) {
    const TSegment s = SegmentAt(step.Cur);
    double px = wx, py = wy;
    double aprev = a;
    a = a + step.Lseg;
    total = total + step.Lseg;
    const double theta = s.E.Kind == kSegLine ? AngleRad(s.FX - wx, s.FY - wy) : 0;
    while (a >= d) {
      if (!escBetweenPoints())
        armed = true;
      else if (armed)
        return total;
      const double l = d - aprev;  // still missing to the next point, measured from P
      if (s.E.Kind == kSegLine) {
        // Each point is stepped from the previous one.
        px = px + std::cos(theta) * l;
        py = py + std::sin(theta) * l;
      } else {
        const TArcRec& arc = Arcs[s.E.Index];
        const TPointD p = EllipsePointAtLength(px, py, SignedSweep(arc, s.E.EndNo), l, arc.CX,
                                               arc.CY, arc.R, arc.Flatness, arc.StartAngle,
                                               arc.EndAngle, arc.Tilt);
        px = p.X;
        py = p.Y;
      }
      OutPoint(px, py);
      a = a - d;
      aprev = 0;
    }
    wx = s.FX;
    wy = s.FY;
  }
  return total;
}
