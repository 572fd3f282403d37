// The walk along the chain of connected segments from the designated point.
// It runs in two passes: the first follows the chain exactly as the walk
// goes, measures each segment and counts the points it will take, so that a
// division with too many points is refused before any record is written; the
// second places the points on the segments the first one found.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct TWalkStep {
  int32_t Cur;  // the entry of SegEnds at which the segment is entered
  double Lseg;  // its path length
};

enum class TTraceEnd {
  ChainEnd,      // no unwalked segment connects any more
  Escape,        // ESC was down before the next segment
  TooManyPoints  // the division would place more than the limit
};

constexpr int64_t kMaxPoints = 1000000;

// Follows the chain from SegEnds entry `start` (the walker at (hx, hy)),
// marking each segment walked. escBeforeSegment is asked before every segment.
TTraceEnd TraceChain(int32_t start, double hx, double hy, double d,
                     const std::function<bool()>& escBeforeSegment, std::vector<TWalkStep>& steps);

// Appends one point record per division point on the traced segments and
// returns the total length of the segments begun. escBetweenPoints is asked
// before each point; when it answers true the walk ends there. After a trace
// that ESC stopped, the key still held down only finishes the segments begun;
// it must be let go and pressed again to stop this pass too.
double EmitPoints(const std::vector<TWalkStep>& steps, double hx, double hy, double d,
                  const std::function<bool()>& escBetweenPoints, bool stoppedByEscape);
