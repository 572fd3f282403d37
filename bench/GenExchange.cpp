// gen-exchange KIND N FILE: writes a large exchange file for the benchmarks
// (KIND: polyline, arcs or mixed; see Generate.h).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Generate.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: gen-exchange polyline|arcs|mixed N FILE\n");
    return 64;
  }
  const long n = std::strtol(argv[2], nullptr, 10);
  void (*write)(std::FILE*, long) = std::strcmp(argv[1], "polyline") == 0 ? WritePolyline
                                    : std::strcmp(argv[1], "arcs") == 0   ? WriteArcs
                                    : std::strcmp(argv[1], "mixed") == 0  ? WriteMixed
                                                                          : nullptr;
  std::FILE* f = write && n >= 0 ? std::fopen(argv[3], "wb") : nullptr;
  if (!f) {
    std::fprintf(stderr, "usage: gen-exchange polyline|arcs|mixed N FILE\n");
    return 64;
  }
  write(f, n);
  return std::fclose(f) == 0 ? 0 : 1;
}
