// gen-exchange KIND N FILE: writes a large exchange file for the benchmarks
// (KIND: polyline, arcs or mixed; see Generate.h).
// gen-exchange varied N DIR [FIRST]: writes N different exchanges, seeds FIRST
// on, as DIR/SEED/QZT_TEMP.TXT with the distance in DIR/SEED/args, as the
// golden cases are laid out.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "Generate.h"

namespace {

int Varied(long n, const char* dir, long first) {
  for (long i = first; i < first + n; ++i) {
    const std::filesystem::path d = std::filesystem::path(dir) / std::to_string(i);
    std::filesystem::create_directories(d);
    std::FILE* f = std::fopen((d / "QZT_TEMP.TXT").string().c_str(), "wb");
    std::FILE* a = std::fopen((d / "args").string().c_str(), "wb");
    if (!f || !a) return 1;
    std::fprintf(a, "%.6f\n", WriteVaried(f, static_cast<uint64_t>(i)));
    if (std::fclose(f) != 0 || std::fclose(a) != 0) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "varied") == 0) {
    const long n = std::strtol(argv[2], nullptr, 10), first = argc > 4 ? std::strtol(argv[4], nullptr, 10) : 0;
    return n >= 0 && first >= 0 ? Varied(n, argv[3], first) : 64;
  }
  if (argc != 4) {
    std::fprintf(stderr, "usage: gen-exchange polyline|arcs|mixed N FILE | varied N DIR [FIRST]\n");
    return 64;
  }
  const long n = std::strtol(argv[2], nullptr, 10);
  void (*write)(std::FILE*, long) = std::strcmp(argv[1], "polyline") == 0 ? WritePolyline
                                    : std::strcmp(argv[1], "arcs") == 0   ? WriteArcs
                                    : std::strcmp(argv[1], "mixed") == 0  ? WriteMixed
                                                                          : nullptr;
  std::FILE* f = write && n >= 0 ? std::fopen(argv[3], "wb") : nullptr;
  if (!f) {
    std::fprintf(stderr, "usage: gen-exchange polyline|arcs|mixed N FILE | varied N DIR [FIRST]\n");
    return 64;
  }
  write(f, n);
  return std::fclose(f) == 0 ? 0 : 1;
}
