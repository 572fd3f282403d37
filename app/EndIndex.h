// The segment ends by position, so that the first available end within 1e-8
// of a point is found in constant expected time instead of by a scan of the
// whole table: the walk asks once per segment, and selections run to a
// million segments. The answer is always the scan's: the lowest index among
// the available ends whose coordinates both lie within 1e-8, the bound
// included.
#pragma once

#include <cstdint>
#include <vector>

#include "SegEnds.h"

class TEndIndex {
 public:
  // Indexes `ends`, whose coordinates must not change afterwards; their
  // Avail flags may only go from true to false.
  void Build(const std::vector<TSegEnd>& ends);
  int32_t Find(const std::vector<TSegEnd>& ends, double x, double y);
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
  int32_t* Slot(TCell cell);  // the cell's entry in slots_: its first site, or -1

  std::vector<TSite> sites_;
  std::vector<int32_t> nextInSite_;  // per end: the next end of its site; -1 at the last
  std::vector<int32_t> slots_;       // open addressing by cell; size a power of two
};
