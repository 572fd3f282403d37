#include "app/EndIndex.h"

#include <bit>
#include <cmath>
#include <limits>

#include "base/Prefault.h"
#include "geometry/Plane.h"

namespace {

// Cells are w = 2^-24 mm (about 5.96e-8) wide and centred on the multiples
// of w, so that whole and binary-fraction millimetres lie mid-cell. A point
// within 1e-8 of a query lies in the query's cell or, when the query is
// within 0.17 w (1.013e-8, more than the tolerance and the rounding of the
// comparison) of a border, in the neighbour across it. The offsets are exact:
// scaling by 2^24 and adding 0.5 round nothing below 2^38. From 2^38 on,
// doubles are too coarse for two different values to lie within 1e-8, and
// the value itself is the cell.
constexpr double kCellScale = 16777216.0;  // 2^24
constexpr double kFine = 274877906944.0;   // 2^38
constexpr double kBorder = 0.17;

// floor(v * 2^24 + 0.5) for |v| < 2^38, where the value lies below 2^62:
// truncation, one down for negative fractions.
int64_t CellCoord(double v) {
  if (std::fabs(v) < kFine) {
    const double u = v * kCellScale + 0.5;
    const auto t = static_cast<int64_t>(u);
    return t - (u < static_cast<double>(t));
  }
  return std::bit_cast<int64_t>(v);
}

// The cells along one axis where points within 1e-8 of v may lie.
int Neighbours(double v, int64_t out[2]) {
  const int64_t c = CellCoord(v);
  out[0] = c;
  if (std::fabs(v) >= kFine) return 1;
  const double frac = v * kCellScale + 0.5 - static_cast<double>(c);  // in [0, 1)
  if (frac < kBorder) {
    out[1] = c - 1;
    return 2;
  }
  if (frac > 1 - kBorder) {
    out[1] = c + 1;
    return 2;
  }
  return 1;
}

uint64_t Hash(int64_t x, int64_t y) {
  uint64_t h = static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(y) * 0xC2B2AE3D27D4EB4Full;
  return h ^ (h >> 29);
}

// The high half of a slot: the tag, from the high half of the cell's hash.
constexpr uint64_t kTagBits = 0xFFFFFFFF00000000ull;

bool Finite(TPointD p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

}  // namespace

TEndIndex::TCell TEndIndex::CellOf(double x, double y) { return {CellCoord(x), CellCoord(y)}; }

uint64_t* TEndIndex::Slot(TCell cell) {
  const size_t mask = slots_.size() - 1;
  const uint64_t h = Hash(cell.X, cell.Y);
  const uint64_t tag = h & kTagBits;
  for (size_t p = h & mask;; p = (p + 1) & mask) {
    uint64_t& slot = slots_[p];
    if (slot == 0) return &slot;
    if ((slot & kTagBits) == tag) {
      const TSite& site = sites_[static_cast<size_t>(SiteIn(slot))];
      if (CellOf(site.X, site.Y) == cell) return &slot;
    }
  }
}

void TEndIndex::Build(const TSegEndTable& ends) {
  Clear();
  const size_t n = ends.size();
  // Every site begins a run of ends at one position in table order, so their
  // number bounds the sites and the cells: the table stays at most half full.
  size_t runs = 1;
  TPointD before = n > 0 ? ends.At(0) : TPointD{};
  for (size_t i = 1; i < n; ++i) {
    const TPointD p = ends.At(static_cast<int32_t>(i));
    runs += !(p.X == before.X && p.Y == before.Y);
    before = p;
  }
  ReservePrefaulted(nextInSite_, n);
  nextInSite_.assign(n, -1);
  ReservePrefaulted(siteOf_, n);
  siteOf_.assign(n, -1);
  ReservePrefaulted(slots_, std::bit_ceil(2 * runs), true);
  slots_.assign(std::bit_ceil(2 * runs), 0);
  ReservePrefaulted(sites_, runs);
  alone_.reserve(runs);
  std::vector<int32_t> tail;  // per site: its last end so far
  ReservePrefaulted(tail, runs);
  const size_t mask = slots_.size() - 1;
  constexpr size_t kAhead = 16;  // slots fetched ahead: the table is larger than the caches
  for (size_t i = 0; i < n; ++i) {
    if (i + kAhead < n) {
      const TPointD ahead = ends.At(static_cast<int32_t>(i + kAhead));
      if (Finite(ahead)) {
        const TCell c = CellOf(ahead.X, ahead.Y);
        __builtin_prefetch(&slots_[Hash(c.X, c.Y) & mask]);
      }
    }
    const TPointD e = ends.At(static_cast<int32_t>(i));
    if (!Finite(e)) continue;  // infinity and NaN coincide with nothing
    const auto index = static_cast<int32_t>(i);
    // Where a chain is listed in order, an end often lies where the one
    // before it lies, at the site made last.
    if (!sites_.empty() && sites_.back().X == e.X && sites_.back().Y == e.Y) {
      nextInSite_[static_cast<size_t>(tail.back())] = index;
      tail.back() = index;
      siteOf_[i] = static_cast<int32_t>(sites_.size() - 1);
      continue;
    }
    const TCell cell = CellOf(e.X, e.Y);
    uint64_t* slot = Slot(cell);
    // The site at this very position, if any; on the way, the sites of the
    // cell within 1e-8 of it.
    bool alone = true;
    int32_t s = SiteIn(*slot);
    for (; s != -1; s = sites_[static_cast<size_t>(s)].NextInCell) {
      const TSite& site = sites_[static_cast<size_t>(s)];
      if (site.X == e.X && site.Y == e.Y) break;
      if (Coincide(site.X, site.Y, e.X, e.Y)) {
        alone = false;
        alone_[static_cast<size_t>(s)] = 0;
      }
    }
    if (s == -1) {
      // A new position: it and the positions within 1e-8 of it, if any, are
      // not alone (the relation is symmetric, so every pair is seen here).
      // Those of other cells lie across a border it is near.
      ForSitesNear(e.X, e.Y, [&](int32_t t) {
        alone = false;
        alone_[static_cast<size_t>(t)] = 0;
      }, true);
      sites_.push_back({e.X, e.Y, index, SiteIn(*slot)});
      alone_.push_back(alone);
      tail.push_back(index);
      s = static_cast<int32_t>(sites_.size() - 1);
      *slot = (Hash(cell.X, cell.Y) & kTagBits) | static_cast<uint32_t>(s + 1);
    } else {
      nextInSite_[static_cast<size_t>(tail[static_cast<size_t>(s)])] = index;
      tail[static_cast<size_t>(s)] = index;
    }
    siteOf_[i] = s;
  }
}

template <class F>
void TEndIndex::ForSitesNear(double x, double y, F f, bool otherCells) {
  int64_t xs[2], ys[2];
  const int nx = Neighbours(x, xs), ny = Neighbours(y, ys);
  for (int i = 0; i < nx; ++i)
    for (int j = 0; j < ny; ++j)
      for (int32_t s = otherCells && i == 0 && j == 0 ? -1 : SiteIn(*Slot({xs[i], ys[j]})); s != -1;) {
        const TSite& site = sites_[static_cast<size_t>(s)];
        if (Coincide(site.X, site.Y, x, y)) f(s);
        s = site.NextInCell;
      }
}

// Walked ends are passed over once and for all.
int32_t TEndIndex::FirstAvailable(const TSegEndTable& ends, TSite& site) {
  int32_t h = site.Head;
  while (h != -1 && !ends.Avail(h)) h = nextInSite_[static_cast<size_t>(h)];
  site.Head = h;
  return h;
}

int32_t TEndIndex::Find(const TSegEndTable& ends, double x, double y) {
  if (slots_.empty() || !std::isfinite(x) || !std::isfinite(y)) return -1;
  int32_t best = std::numeric_limits<int32_t>::max();
  ForSitesNear(x, y, [&](int32_t s) {
    const int32_t h = FirstAvailable(ends, sites_[static_cast<size_t>(s)]);
    if (h != -1 && h < best) best = h;
  });
  return best == std::numeric_limits<int32_t>::max() ? -1 : best;
}

int32_t TEndIndex::FindAt(const TSegEndTable& ends, int32_t i) {
  const int32_t s = siteOf_[static_cast<size_t>(i)];
  if (s == -1) return -1;
  if (alone_[static_cast<size_t>(s)]) return FirstAvailable(ends, sites_[static_cast<size_t>(s)]);
  const TPointD p = ends.At(i);
  return Find(ends, p.X, p.Y);
}

void TEndIndex::Clear() {
  std::vector<TSite>().swap(sites_);
  std::vector<int32_t>().swap(nextInSite_);
  std::vector<int32_t>().swap(siteOf_);
  std::vector<uint8_t>().swap(alone_);
  std::vector<uint64_t>().swap(slots_);
}
