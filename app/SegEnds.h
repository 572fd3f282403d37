// The segment end table of a division: every line and arc of the selection
// reduced to its two ends, full circles and ellipses first cut in two at the
// designated point, and the search for a free end at a point. Its order
// decides which way the walk goes where several ends meet.
#pragma once

#include <cstdint>
#include <vector>

#include "app/SegEndTable.h"
#include "exchange/KdxGaibu.h"

extern TSegEndTable SegEnds;

// A full ellipse as it was before BuildSegEnds cut it in place.
struct TArcBefore {
  int32_t Index;
  TArcRec Arc;
};

// Fills SegEnds from Lines, Circles and Arcs; appends the circle halves and
// the second halves of cut ellipses to Arcs, and rewrites the first halves in
// place. Each ellipse is added to `rewritten`, if given, before it is cut.
void BuildSegEnds(std::vector<TArcBefore>* rewritten = nullptr);

// The first available end within 1e-8 of (x, y) in each coordinate; -1 if none.
int32_t FindFreeEnd(double x, double y);
// FindFreeEnd at the position of entry i, as the walk asks at a segment's far end.
int32_t FindFreeEndAt(int32_t i);

// Where the walk starts: the free end at (x, y) or, when the cut of a large
// circle or ellipse through that point missed it by the rounding of the cut
// angle, the end of that cut. -1 if neither.
int32_t FindStartEnd(double x, double y);

void ReleaseSegEnds();

// The segment end table of one press of OK. When the scope ends, whatever
// way, the table is released and Arcs and EntityOrder are as the scope found
// them, so that another press of OK starts from the tables as read.
class TSegEndsScope {
 public:
  TSegEndsScope() noexcept : arcCount_(ArcCount), orderCount_(EntityOrderCount) {}
  TSegEndsScope(const TSegEndsScope&) = delete;
  TSegEndsScope& operator=(const TSegEndsScope&) = delete;
  ~TSegEndsScope();

  void Build() { BuildSegEnds(&rewritten_); }

 private:
  int32_t arcCount_, orderCount_;
  std::vector<TArcBefore> rewritten_;
};
