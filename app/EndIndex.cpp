#include "EndIndex.h"

#include <bit>
#include <cmath>
#include <limits>

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
constexpr double kTolerance = 1e-8;

int64_t CellCoord(double v) {
  if (std::fabs(v) < kFine) return static_cast<int64_t>(std::floor(v * kCellScale + 0.5));
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

bool Finite(const TSegEnd& e) { return std::isfinite(e.X) && std::isfinite(e.Y); }

}  // namespace

TEndIndex::TCell TEndIndex::CellOf(double x, double y) { return {CellCoord(x), CellCoord(y)}; }

int32_t* TEndIndex::Slot(TCell cell) {
  const size_t mask = slots_.size() - 1;
  for (size_t p = Hash(cell.X, cell.Y) & mask;; p = (p + 1) & mask) {
    int32_t& s = slots_[p];
    if (s == -1 || CellOf(sites_[static_cast<size_t>(s)].X, sites_[static_cast<size_t>(s)].Y) == cell) return &s;
  }
}

void TEndIndex::Build(const std::vector<TSegEnd>& ends) {
  Clear();
  const size_t n = ends.size();
  // Every site begins a run of ends at one position in table order, so their
  // number bounds the sites and the cells: the table stays at most half full.
  size_t runs = 1;
  for (size_t i = 1; i < n; ++i) runs += !(ends[i].X == ends[i - 1].X && ends[i].Y == ends[i - 1].Y);
  nextInSite_.assign(n, -1);
  slots_.assign(std::bit_ceil(2 * runs), -1);
  sites_.reserve(runs);
  std::vector<int32_t> tail;  // per site: its last end so far
  tail.reserve(runs);
  for (size_t i = 0; i < n; ++i) {
    const TSegEnd& e = ends[i];
    if (!Finite(e)) continue;  // infinity and NaN coincide with nothing
    const auto index = static_cast<int32_t>(i);
    // Where a chain is listed in order, an end often lies where the one
    // before it lies, at the site made last.
    if (!sites_.empty() && sites_.back().X == e.X && sites_.back().Y == e.Y) {
      nextInSite_[static_cast<size_t>(tail.back())] = index;
      tail.back() = index;
      continue;
    }
    int32_t* head = Slot(CellOf(e.X, e.Y));
    int32_t s = *head;
    while (s != -1 && !(sites_[static_cast<size_t>(s)].X == e.X && sites_[static_cast<size_t>(s)].Y == e.Y))
      s = sites_[static_cast<size_t>(s)].NextInCell;
    if (s == -1) {
      sites_.push_back({e.X, e.Y, index, *head});
      tail.push_back(index);
      *head = static_cast<int32_t>(sites_.size() - 1);
    } else {
      nextInSite_[static_cast<size_t>(tail[static_cast<size_t>(s)])] = index;
      tail[static_cast<size_t>(s)] = index;
    }
  }
}

int32_t TEndIndex::Find(const std::vector<TSegEnd>& ends, double x, double y) {
  if (slots_.empty() || !std::isfinite(x) || !std::isfinite(y)) return -1;
  int64_t xs[2], ys[2];
  const int nx = Neighbours(x, xs), ny = Neighbours(y, ys);
  int32_t best = std::numeric_limits<int32_t>::max();
  for (int i = 0; i < nx; ++i)
    for (int j = 0; j < ny; ++j)
      for (int32_t s = *Slot({xs[i], ys[j]}); s != -1;) {
        TSite& site = sites_[static_cast<size_t>(s)];
        if (std::fabs(site.X - x) <= kTolerance && std::fabs(site.Y - y) <= kTolerance) {
          // Walked ends are passed over once and for all.
          int32_t h = site.Head;
          while (h != -1 && !ends[static_cast<size_t>(h)].Avail) h = nextInSite_[static_cast<size_t>(h)];
          site.Head = h;
          if (h != -1 && h < best) best = h;
        }
        s = site.NextInCell;
      }
  return best == std::numeric_limits<int32_t>::max() ? -1 : best;
}

void TEndIndex::Clear() {
  std::vector<TSite>().swap(sites_);
  std::vector<int32_t>().swap(nextInSite_);
  std::vector<int32_t>().swap(slots_);
}
