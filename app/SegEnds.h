// The segment end table: every line and arc of the selection reduced to its
// two ends, full circles and ellipses first cut in two at the designated
// point. Its order decides which way the walk goes where several ends meet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct TSegEnd {
  double X, Y;
  int32_t Kind;   // 0: a line of Lines; 1: an arc of Arcs
  int32_t EndNo;  // 0: the first end (X1, Y1 / StartAngle); 1: the second
  int32_t Index;  // in Lines or Arcs
  bool Avail;     // not walked yet
};

// Entry 2k holds end 0 and entry 2k + 1 end 1 of the same segment.
extern std::vector<TSegEnd> SegEnds;

// Fills SegEnds from Lines, Circles and Arcs; appends the circle halves and
// the second halves of cut ellipses to Arcs.
void BuildSegEnds();

// The first available end within 1e-8 of (x, y) in each coordinate; -1 if none.
int32_t FindFreeEnd(double x, double y);
// FindFreeEnd at the position of entry i, as the walk asks at a segment's far end.
int32_t FindFreeEndAt(int32_t i);

// Where the walk starts: the free end at (x, y) or, when the cut of a large
// circle or ellipse through that point missed it by the rounding of the cut
// angle, the end of that cut. -1 if neither.
int32_t FindStartEnd(double x, double y);

// The entry at the other end of the segment.
inline int32_t PartnerOf(int32_t i) { return SegEnds[static_cast<size_t>(i)].EndNo == 0 ? i + 1 : i - 1; }

void ReleaseSegEnds();
