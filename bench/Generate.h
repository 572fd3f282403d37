// Exchange files for the benchmarks and the reply comparisons, written as the
// host writes them.
#pragma once

#include <cstdint>
#include <cstdio>

// An open polyline of n lines of 1 mm, a staircase from the designated point
// (0, 0); divided by 10 mm it takes n / 10 points.
void WritePolyline(std::FILE* f, long n);
// n joined half ellipses (r 100, flatness 0.5) along the x axis from (0, 0).
void WriteArcs(std::FILE* f, long n);
// n records of every kind the host writes, for the reader.
void WriteMixed(std::FILE* f, long n);
// One of many different selections, chosen by seed: a chain from the
// designated point of lines, circular and elliptical arcs (any tilt, flatness
// from 0 to just off 1, entered at either end), a full circle or ellipse
// through the point, branches, loose segments, near and far from the origin.
// Returns a division distance that gives it at most a few thousand points.
double WriteVaried(std::FILE* f, uint64_t seed);
