#include "app/SegEnds.h"

#include <cmath>

#include "app/EndIndex.h"
#include "exchange/KdxGaibu.h"
#include "geometry/MyFunc.h"

TSegEndTable SegEnds;

namespace {

TEndIndex Index;

// Arcs that begin at a cut through the designated point: the first half of
// each circle and of each full ellipse. Valid from one build to the next.
std::vector<int32_t> CutStarts;

TPointD ArcPoint(const TArcRec& a, double angleDeg) {
  return TRotation(DegToRad(a.Tilt)).EllipsePoint(a.CX, a.CY, a.R, a.Flatness, DegToRad(angleDeg));
}

void AppendHalf(const TArcRec& half) { AppendEntity(kKindArc, Arcs) = half; }

}  // namespace

void BuildSegEnds(std::vector<TArcBefore>* rewritten) {
  SegEnds.Clear();
  CutStarts.clear();
  const double hx = DesignatedPoints[1].X, hy = DesignatedPoints[1].Y;

  // Full circles: two halves each, cut along the direction from the centre to H.
  for (int32_t i = 0; i < CircleCount; ++i) {
    const TCircleRec c = Circles[i];
    const double a = AngleDeg(hx - c.CX, hy - c.CY);
    const double b = OppositeDeg(a);
    CutStarts.push_back(ArcCount);
    AppendHalf(TArcRec{c.Attr, c.CX, c.CY, c.R, a, b, 1.0, 0.0});
    AppendHalf(TArcRec{c.Attr, c.CX, c.CY, c.R, b, a, 1.0, 0.0});
  }

  // Full ellipses: cut at H's eccentric angle; the first half in place.
  const int32_t m = ArcCount;
  for (int32_t k = 0; k < m; ++k) {
    TArcRec& arc = Arcs[k];
    if (std::fabs(NormDeg(arc.EndAngle - arc.StartAngle)) > kTolerance) continue;  // open
    if (std::fabs(arc.Flatness - 1) <= kTolerance) continue;  // a closed circle: never walked
    const double t = EllipseParamDeg(hx, hy, arc.CX, arc.CY, arc.R, arc.Flatness, arc.Tilt);
    const double t2 = OppositeDeg(t);
    TArcRec second = arc;
    second.StartAngle = t2;
    second.EndAngle = t;
    if (rewritten) rewritten->push_back({k, arc});
    CutStarts.push_back(k);
    AppendHalf(second);
    arc.StartAngle = t;  // last: nothing after it can fail
    arc.EndAngle = t2;
  }

  SegEnds.SetLines(LineCount);  // every line gives both ends, a line of zero length too
  for (int32_t k = 0; k < ArcCount; ++k) {
    const TArcRec& a = Arcs[k];
    const TPointD p0 = ArcPoint(a, a.StartAngle), p1 = ArcPoint(a, a.EndAngle);
    if (Coincide(p0, p1)) continue;  // closed or degenerate: no ends
    SegEnds.AddPair({p0.X, p0.Y, kSegArc, 0, k, true}, {p1.X, p1.Y, kSegArc, 1, k, true});
  }
  Index.Build(SegEnds);
}

int32_t FindFreeEnd(double x, double y) { return Index.Find(SegEnds, x, y); }

int32_t FindFreeEndAt(int32_t i) { return Index.FindAt(SegEnds, i); }

int32_t FindStartEnd(double x, double y) {
  const int32_t found = FindFreeEnd(x, y);
  if (found >= 0 || CutStarts.empty()) return found;
  // The cut angle lies on a 1e-10 degree grid, which moves the cut end along
  // the curve by up to R * 8.73e-13: beyond 1e-8 from a radius of about
  // 11,460 mm on. A point on the curve must still be found there.
  std::vector<bool> cut(static_cast<size_t>(ArcCount));
  for (int32_t k : CutStarts) cut[static_cast<size_t>(k)] = true;
  for (auto i = static_cast<int32_t>(2 * LineCount); i < static_cast<int32_t>(SegEnds.size()); i += 2) {
    if (!SegEnds.Avail(i) || !cut[static_cast<size_t>(SegEnds.Index(i))]) continue;
    const TArcRec& a = Arcs[SegEnds.Index(i)];
    const double reach = std::fabs(a.R) * std::fmax(1.0, std::fabs(a.Flatness));
    if (Coincide(SegEnds.At(i), {x, y}, kTolerance + reach * 1e-12)) return i;
  }
  return -1;
}

void ReleaseSegEnds() {
  Index.Clear();
  SegEnds.Clear();
  std::vector<int32_t>().swap(CutStarts);
}

TSegEndsScope::~TSegEndsScope() {
  ReleaseSegEnds();
  for (const TArcBefore& a : rewritten_) Arcs[a.Index] = a.Arc;
  Arcs.Truncate(arcCount_);
  EntityOrder.Truncate(orderCount_);
}
