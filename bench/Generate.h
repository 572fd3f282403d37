// Large exchange files for the benchmarks, written as the host writes them.
#pragma once

#include <cstdio>

// An open polyline of n lines of 1 mm, a staircase from the designated point
// (0, 0); divided by 10 mm it takes n / 10 points.
void WritePolyline(std::FILE* f, long n);
// n joined half ellipses (r 100, flatness 0.5) along the x axis from (0, 0).
void WriteArcs(std::FILE* f, long n);
// n records of every kind the host writes, for the reader.
void WriteMixed(std::FILE* f, long n);
