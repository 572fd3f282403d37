// The segment end table's type: the ends of the segments of a selection,
// read by the walk and by the index of positions. Filled by BuildSegEnds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "exchange/State.h"
#include "geometry/Plane.h"

// What a segment end's Kind says it belongs to.
enum : int32_t { kSegLine = 0, kSegArc = 1 };

struct TSegEnd {
  double X, Y;
  int32_t Kind;   // kSegLine: a line of Lines; kSegArc: an arc of Arcs
  int32_t EndNo;  // 0: the first end (X1, Y1 / StartAngle); 1: the second
  int32_t Index;  // in Lines or Arcs
  bool Avail;     // not walked yet
};

// The segment end table: entry 2k holds end 0 and entry 2k + 1 end 1 of the
// same segment, so the partner of entry i is i ^ 1. The ends of lines come
// first and are read from Lines itself, which stays as it is while a table
// lives; the ends of arcs follow, stored. Both ends of a segment are walked
// together, so a segment has one Avail flag.
class TSegEndTable {
 public:
  size_t size() const { return static_cast<size_t>(lineEnds_) + stored_.size(); }
  bool empty() const { return size() == 0; }

  TPointD At(int32_t i) const {
    if (i < lineEnds_) {
      const TLineRec& l = Lines[i >> 1];
      return (i & 1) ? TPointD{l.X2, l.Y2} : TPointD{l.X1, l.Y1};
    }
    const TStored& e = stored_[static_cast<size_t>(i - lineEnds_)];
    return {e.X, e.Y};
  }
  int32_t Kind(int32_t i) const { return i < lineEnds_ ? kSegLine : stored_[static_cast<size_t>(i - lineEnds_)].Kind; }
  int32_t EndNo(int32_t i) const { return i & 1; }
  int32_t Index(int32_t i) const { return i < lineEnds_ ? i >> 1 : stored_[static_cast<size_t>(i - lineEnds_)].Index; }
  bool Avail(int32_t i) const { return avail_[static_cast<size_t>(i >> 1)] != 0; }
  void Walk(int32_t i) { avail_[static_cast<size_t>(i >> 1)] = 0; }  // both ends
  TSegEnd operator[](size_t i) const;  // the whole entry

  // Every line of Lines, then no more.
  void SetLines(int32_t count);
  // The two ends of a segment that is not a line of Lines.
  void AddPair(TSegEnd first, TSegEnd second);
  // A table of the given ends, all stored; for tests of what reads it.
  static TSegEndTable Of(const std::vector<TSegEnd>& ends);
  void Clear();

 private:
  struct TStored {
    double X, Y;
    int32_t Kind, Index;
  };
  int32_t lineEnds_ = 0;
  std::vector<TStored> stored_;
  std::vector<uint8_t> avail_;  // per segment
};

// The entry at the other end of the segment.
inline int32_t PartnerOf(int32_t i) { return i ^ 1; }

