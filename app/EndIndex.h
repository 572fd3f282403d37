// The segment ends by position, so that the first available end within 1e-8
// of a point is found in constant expected time instead of by a scan of the
// whole table: the walk asks once per segment, and selections run to a
// million segments. The answer is always the scan's: the lowest index among
// the available ends whose coordinates both lie within 1e-8, the bound
// included.
#pragma once

#include <cstdint>
#include <vector>

#include "app/SegEndTable.h"

class TEndIndex {
 public:
  // Indexes `ends`, whose coordinates must not change afterwards; their
  // Avail flags may only go from true to false.
  void Build(const TSegEndTable& ends);
  int32_t Find(const TSegEndTable& ends, double x, double y);
  // Find at the position of end i, where the walk asks: without a look at
  // the cells when no other position lies within 1e-8 of it.
  int32_t FindAt(const TSegEndTable& ends, int32_t i);
  void Clear();

 private:
  // A site: one position and the ends that lie exactly there, in table order.
  struct TSite {
    double X, Y;
    int32_t Head;        // the first end not known to be walked; -1: none left
    int32_t NextInCell;  // the next site of the same cell; -1: none
  };
  struct TCell {
    int64_t X, Y;
    bool operator==(const TCell&) const = default;
  };

  static TCell CellOf(double x, double y);
  // The cell's slot: its first site + 1 in the low half (0: empty), a tag
  // from the cell's hash in the high half, so that other cells met on the
  // way are passed without a look at their sites.
  uint64_t* Slot(TCell cell);
  static int32_t SiteIn(uint64_t slot) { return static_cast<int32_t>(static_cast<uint32_t>(slot)) - 1; }
  // Calls f(site) for every site within 1e-8 of (x, y); with `otherCells`,
  // only for those outside the cell of (x, y).
  template <class F>
  void ForSitesNear(double x, double y, F f, bool otherCells = false);
  int32_t FirstAvailable(const TSegEndTable& ends, TSite& site);

  std::vector<TSite> sites_;
  std::vector<int32_t> nextInSite_;  // per end: the next end of its site; -1 at the last
  std::vector<int32_t> siteOf_;      // per end: its site; -1 for a position that is not finite
  std::vector<uint8_t> alone_;       // per site: no other site within 1e-8
  std::vector<uint64_t> slots_;      // open addressing by cell; size a power of two
};
