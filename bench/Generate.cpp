#include "Generate.h"

void WritePolyline(std::FILE* f, long n) {
  std::fprintf(f, "lg2\r\nly3\r\nlc5\r\nhp1 0 0\r\npl\r\n");
  long x = 0, y = 0;
  for (long i = 0; i < n; ++i) {
    const long nx = x + (i % 2 == 0), ny = y + (i % 2 == 1);
    // Millimetres with decimals, as a drawing holds them.
    std::fprintf(f, "%ld.000 %ld.000 %ld.000 %ld.000\r\n", x, y, nx, ny);
    x = nx;
    y = ny;
  }
}

void WriteArcs(std::FILE* f, long n) {
  std::fprintf(f, "hp1 0 0\r\n");
  for (long i = 0; i < n; ++i) std::fprintf(f, "ci %ld 0 100 180 0 0.5 0\r\n", 200 * i + 100);
}

void WriteMixed(std::FILE* f, long n) {
  std::fprintf(f, "file=C:\\\x90\x7D\x96\xCA\\\x8C\xBB\x8F\xEA\\plan.dat\r\nhk 0\r\nhzs 841 594\r\n");
  std::fprintf(f, "hs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\nhp1 0 0\r\n");
  unsigned seed = 12345;
  auto rnd = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<double>((seed >> 8) % 1000000) / 100.0;  // 0 .. 9999.99
  };
  for (long i = 0; i < n; ++i) {
    switch (i % 20) {
      case 0: std::fprintf(f, "lg%lX\r\n", i / 20 % 16); break;
      case 1: std::fprintf(f, "ly%lX\r\n", i / 20 % 16); break;
      case 2: std::fprintf(f, "lc%ld\r\n", i / 20 % 9 + 1); break;
      case 3: std::fprintf(f, "ci %.2f %.2f %.2f\r\n", rnd(), rnd(), rnd() / 10); break;
      case 4:
      case 5:
        std::fprintf(f, "ci %.3f %.3f %.3f %.4f %.4f %.3f %.2f\r\n", rnd(), rnd(), rnd() / 10,
                     rnd() / 30, rnd() / 30, 0.5, rnd() / 30);
        break;
      case 6: std::fprintf(f, "pt %.3f %.3f\r\n", rnd(), rnd()); break;
      case 7:
        // "文字" in a quoted text
        std::fprintf(f, "ch %.3f %.3f 1 0 \"\x95\xB6\x8E\x9A %ld\"\r\n", rnd(), rnd(), i);
        break;
      case 8: std::fprintf(f, "sl %.2f %.2f %.2f %.2f %.2f %.2f %.2f %.2f\r\n", rnd(), rnd(), rnd(), rnd(), rnd(), rnd(), rnd(), rnd()); break;
      case 9: std::fprintf(f, "BL %.3f %.3f door-%ld\r\n", rnd(), rnd(), i % 7); break;
      default:
        std::fprintf(f, "%.3f %.3f %.3f %.3f\r\n", rnd(), rnd(), rnd(), rnd());
        break;
    }
  }
}

