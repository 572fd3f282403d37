// The walk along the chain of connected segments from the designated point.
// The trace follows the chain as the walk goes, measures each segment and
// counts the points it will take, so that a division with too many points is
// refused before any record is written; the points are placed after it.
// Elliptical arcs, which cost thousands of steps to measure and to step
// along, are measured and stepped along on every core, ahead of the walk
// that takes their results in order: the reply is the same whatever the
// number of threads.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// The segments the trace found, in walking order.
struct TChain {
  std::vector<int32_t> Steps;  // per segment: the SegEnds entry at which it is entered
  // Per arc among them, in order: its place in Steps, its length, and the
  // path length walked since the last point when it is begun.
  std::vector<int32_t> ArcSteps;
  std::vector<double> ArcLengths, ArcCarried;
};

enum class TTraceEnd {
  ChainEnd,      // no unwalked segment connects any more
  Escape,        // ESC was down before the next segment
  TooManyPoints  // the division would place more than the limit
};

constexpr int64_t kMaxPoints = 1000000;

// Follows the chain from SegEnds entry `start` (the walker at (hx, hy)),
// marking each segment walked. escBeforeSegment is asked before every
// segment, in walking order, as the segment is begun.
TTraceEnd TraceChain(int32_t start, double hx, double hy, double d,
                     const std::function<bool()>& escBeforeSegment, TChain& chain);

// Appends one point record per division point on the traced segments and
// returns the total length of the segments begun. escBetweenPoints is asked
// before each point; when it answers true the walk ends there. After a trace
// that ESC stopped, the key still held down only finishes the segments begun;
// it must be let go and pressed again to stop this pass too.
double EmitPoints(const TChain& chain, double hx, double hy, double d,
                  const std::function<bool()>& escBetweenPoints, bool stoppedByEscape);
