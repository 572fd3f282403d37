#include "app/ChainWalk.h"

#include <stdexcept>

#include "app/Ahead.h"
#include "app/SegEnds.h"
#include "exchange/KdxGaibu.h"
#include "geometry/MyFunc.h"

namespace {

const TArcRec& ArcOf(int32_t cur) { return Arcs[SegEnds.Index(cur)]; }

// The sweep in degrees, negative when the arc is entered at its end.
double SignedSweep(const TArcRec& a, int32_t endNo) {
  const double s = SweepDeg(a.StartAngle, a.EndAngle);
  return endNo == 1 ? -s : s;
}

// Where the walker stands as segment k of the chain is begun.
TPointD WalkerAt(const TChain& chain, size_t k, double hx, double hy) {
  return k == 0 ? TPointD{hx, hy} : SegEnds.At(PartnerOf(chain.Steps[k - 1]));
}

// The division points one segment takes, from the path length carried into
// it since the last point: one each time what is carried plus the segment's
// length reaches d, d taken off each time. Counting, placing and writing the
// points all step through them with this, so that all three agree.
class TSegmentPoints {
 public:
  TSegmentPoints(double carried, double length, double d) : rest_(carried + length), d_(d), missing_(d - carried) {}
  // Moves on to the next point; false when the segment takes no more.
  bool Next() {
    if (begun_) {
      rest_ = rest_ - d_;
      missing_ = d_;
    }
    begun_ = true;
    return rest_ >= d_;
  }
  // The path length from the last point (or from where the segment is
  // begun) to this one.
  double Missing() const { return missing_; }
  // Once Next() has said no more: what is carried into the next segment.
  double Carried() const { return rest_; }

 private:
  double rest_;  // from the last point (or the carried length's start) to the far end
  double d_, missing_;
  bool begun_ = false;
};

// How far the measuring of arcs may run ahead of the count: all the way.
constexpr size_t kMeasureAhead = ~size_t{0} / 2;
// How many arcs' points may wait for the walk, each in a slot of its own.
constexpr size_t kPlaceAhead = 64;

struct TCounted {
  TTraceEnd End;
  size_t Segments, Arcs;  // begun before the end
};

// Segment by segment as the walk goes: ESC before each, then its length and
// the points it takes, by the same arithmetic as the placing pass; the arcs
// are measured ahead on every core. Their measuring has stopped when it
// returns.
TCounted CountPoints(TChain& chain, double hx, double hy, double d,
                     const std::function<bool()>& escBeforeSegment) {
  TAhead measure(chain.ArcSteps.size(), kMeasureAhead, [&chain](size_t j) {
    const TArcRec& arc = ArcOf(chain.Steps[static_cast<size_t>(chain.ArcSteps[j])]);
    chain.ArcLengths[j] =
        EllipseArcLength(arc.CX, arc.CY, arc.R, arc.Flatness, arc.StartAngle, arc.EndAngle, arc.Tilt);
  });
  double carried = 0;
  int64_t points = 0;
  size_t arc = 0;
  for (size_t k = 0; k < chain.Steps.size(); ++k) {
    if (escBeforeSegment()) return {TTraceEnd::Escape, k, arc};
    const int32_t cur = chain.Steps[k];
    double length;
    if (SegEnds.Kind(cur) == kSegLine) {
      const TPointD w = WalkerAt(chain, k, hx, hy), f = SegEnds.At(PartnerOf(cur));
      length = Distance(w.X, w.Y, f.X, f.Y);
    } else {
      measure.Wait(arc);
      chain.ArcCarried[arc] = carried;
      length = chain.ArcLengths[arc++];
    }
    TSegmentPoints step(carried, length, d);
    while (step.Next())
      if (++points > kMaxPoints) return {TTraceEnd::TooManyPoints, k, arc};
    carried = step.Carried();
  }
  return {TTraceEnd::ChainEnd, chain.Steps.size(), arc};
}

}  // namespace

TTraceEnd TraceChain(int32_t start, double hx, double hy, double d,
                     const std::function<bool()>& escBeforeSegment, TChain& chain) {
  // The segments in walking order: at each far end, the first free end there.
  for (int32_t cur = start; cur != -1; cur = FindFreeEndAt(PartnerOf(cur))) {
    if (SegEnds.Kind(cur) == kSegArc) chain.ArcSteps.push_back(static_cast<int32_t>(chain.Steps.size()));
    chain.Steps.push_back(cur);
    SegEnds.Walk(cur);
  }
  chain.ArcLengths.assign(chain.ArcSteps.size(), 0.0);
  chain.ArcCarried.assign(chain.ArcSteps.size(), 0.0);
  const TCounted counted = CountPoints(chain, hx, hy, d, escBeforeSegment);
  if (counted.End == TTraceEnd::Escape) {  // the chain is the segments begun
    chain.Steps.resize(counted.Segments);
    chain.ArcSteps.resize(counted.Arcs);
  }
  return counted.End;
}

double EmitPoints(const TChain& chain, double hx, double hy, double d,
                  const std::function<bool()>& escBetweenPoints, bool stoppedByEscape) {
  // The points of each arc, placed on every core: each arc's depend only on
  // where it is begun and on the length carried into it.
  std::vector<std::vector<TPointD>> placed(std::min(kPlaceAhead, chain.ArcSteps.size()));
  TAhead place(chain.ArcSteps.size(), placed.size(), [&](size_t j) {
    const size_t k = static_cast<size_t>(chain.ArcSteps[j]);
    const int32_t cur = chain.Steps[k];
    const TArcRec& arc = ArcOf(cur);
    const double sweep = SignedSweep(arc, SegEnds.EndNo(cur));
    std::vector<TPointD>& out = placed[j % placed.size()];
    out.clear();
    TPointD p = WalkerAt(chain, k, hx, hy);
    for (TSegmentPoints step(chain.ArcCarried[j], chain.ArcLengths[j], d); step.Next();) {
      p = EllipsePointAtLength(p.X, p.Y, sweep, step.Missing(), arc.CX, arc.CY, arc.R, arc.Flatness,
                               arc.StartAngle, arc.EndAngle, arc.Tilt);
      out.push_back(p);
    }
  });

  double carried = 0, total = 0;
  bool armed = !stoppedByEscape;
  size_t arc = 0;
  for (size_t k = 0; k < chain.Steps.size(); ++k) {
    const int32_t cur = chain.Steps[k];
    const TPointD w = WalkerAt(chain, k, hx, hy), f = SegEnds.At(PartnerOf(cur));
    const bool line = SegEnds.Kind(cur) == kSegLine;
    const double length = line ? Distance(w.X, w.Y, f.X, f.Y) : chain.ArcLengths[arc];
    const std::vector<TPointD>* arcPoints = nullptr;
    if (!line) {
      place.Wait(arc);
      arcPoints = &placed[arc % placed.size()];
      ++arc;
    }
    double px = w.X, py = w.Y;
    total = total + length;
    TSegmentPoints step(carried, length, d);
    double cosTheta = 0, sinTheta = 0;
    for (size_t n = 0; step.Next(); ++n) {
      if (!escBetweenPoints())
        armed = true;
      else if (armed)
        return total;
      if (line) {
        if (n == 0) {  // the direction, only for a line that takes a point
          const TSinCos sc = CrSinCos(AngleRad(f.X - w.X, f.Y - w.Y));
          cosTheta = sc.Cos;
          sinTheta = sc.Sin;
        }
        // Each point is stepped from the previous one.
        px = px + cosTheta * step.Missing();
        py = py + sinTheta * step.Missing();
      } else {
        // The placing stepped through the same points; more here than it
        // placed is a fault, never a read beyond them.
        if (n >= arcPoints->size()) throw std::logic_error("an arc takes more points than were placed");
        px = (*arcPoints)[n].X;
        py = (*arcPoints)[n].Y;
      }
      OutPoint(px, py);
    }
    carried = step.Carried();
  }
  return total;
}
