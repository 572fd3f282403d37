#include "Generate.h"

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>

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


namespace {

// Doubles from a generator whose sequence is the same on every platform.
struct TRand {
  std::mt19937_64 G;
  double Unit() { return static_cast<double>(G() >> 11) * 0x1p-53; }  // [0, 1)
  double In(double lo, double hi) { return lo + (hi - lo) * Unit(); }
  bool Chance(double p) { return Unit() < p; }
  int Pick(int n) { return static_cast<int>(G() % static_cast<uint64_t>(n)); }
};

// The value the host writes for v, and the double the reader makes of it.
struct TNum {
  char Text[40];
  double V;
};
TNum Num(double v, int decimals) {
  TNum n;
  std::snprintf(n.Text, sizeof n.Text, "%.*f", decimals, v);
  n.V = std::strtod(n.Text, nullptr);
  return n;
}

// The point of an arc at angle a (degrees) as the walk finds its ends.
void ArcPoint(double cx, double cy, double r, double k, double tilt, double a, double& x, double& y) {
  const double t = a / 180 * std::numbers::pi, w = tilt / 180 * std::numbers::pi;
  const double u = r * std::cos(t), v = r * k * std::sin(t);
  x = cx + std::cos(w) * u - std::sin(w) * v;
  y = cy + std::sin(w) * u + std::cos(w) * v;
}

}  // namespace

double WriteVaried(std::FILE* f, uint64_t seed) {
  TRand rnd{std::mt19937_64(seed)};
  const double scale = rnd.Chance(0.2) ? std::pow(10.0, rnd.In(-2, 1)) : std::pow(10.0, rnd.In(0, 3));
  const double offset = rnd.Chance(0.2) ? rnd.In(-2e5, 2e5) : rnd.In(-1e3, 1e3);
  const TNum hx = Num(offset + rnd.In(-1, 1) * scale, 4), hy = Num(offset + rnd.In(-1, 1) * scale, 4);
  std::fprintf(f, "lg%X\r\nly%X\r\nlc%d\r\nhp1 %s %s\r\n", rnd.Pick(16), rnd.Pick(16), 1 + rnd.Pick(9), hx.Text,
               hy.Text);
  double x = hx.V, y = hy.V, length = 0;
  auto line = [&](double nx, double ny) {
    const TNum a = Num(nx, 6), b = Num(ny, 6);
    if (rnd.Chance(0.3))
      std::fprintf(f, "%s %s %.10f %.10f\r\n", a.Text, b.Text, x, y);
    else
      std::fprintf(f, "%.10f %.10f %s %s\r\n", x, y, a.Text, b.Text);
    length += std::hypot(a.V - x, b.V - y);
    x = a.V, y = b.V;
  };
  // An arc from (x, y): its centre placed so that its start (or end) lies there.
  auto arc = [&](bool full) {
    const double ks[] = {1, 1, 0.5, rnd.In(0.05, 1), rnd.In(0.001, 0.01), 1 - 1e-6, 1 + 1e-9, 1 + 3e-8, 0, -0.5};
    const TNum r = Num(scale * rnd.In(0.05, 1), 4), k = Num(ks[rnd.Pick(10)], 9);
    const TNum tilt = Num(rnd.Chance(0.3) ? 90.0 * rnd.Pick(5) : rnd.In(-400, 400), 4);
    const TNum a = Num(rnd.In(0, 360), 4);
    const TNum b = full ? a : Num(std::fmod(a.V + rnd.In(1, 359), 360), 4);
    const bool backward = !full && rnd.Chance(0.4);  // entered at its end angle
    double px, py;
    ArcPoint(0, 0, r.V, k.V, tilt.V, backward ? b.V : a.V, px, py);
    const TNum cx = Num(x - px, 10), cy = Num(y - py, 10);
    std::fprintf(f, "ci %s %s %s %s %s %s %s\r\n", cx.Text, cy.Text, r.Text, a.Text, b.Text, k.Text, tilt.Text);
    ArcPoint(cx.V, cy.V, r.V, k.V, tilt.V, backward ? a.V : b.V, x, y);
    length += std::fabs(r.V) * 2 * std::numbers::pi;
  };
  if (rnd.Chance(0.15)) {  // a full circle or ellipse through the designated point
    if (rnd.Chance(0.5)) {
      const TNum r = Num(scale * rnd.In(0.05, 1), 4);
      const double a = rnd.In(0, 2 * std::numbers::pi);
      std::fprintf(f, "ci %.10f %.10f %s\r\n", x - r.V * std::cos(a), y - r.V * std::sin(a), r.Text);
      length += 2 * std::numbers::pi * r.V;
    } else {
      arc(true);
    }
  }
  const int n = 1 + rnd.Pick(rnd.Chance(0.3) ? 40 : 8);
  for (int i = 0; i < n; ++i) {
    const double bx = x, by = y;
    if (rnd.Chance(0.45))
      line(x + rnd.In(-1, 1) * scale, y + rnd.In(-1, 1) * scale);
    else
      arc(false);
    if (rnd.Chance(0.05)) {  // a branch: another line from the same end
      const TNum a = Num(bx + rnd.In(-1, 1) * scale, 6), b = Num(by + rnd.In(-1, 1) * scale, 6);
      std::fprintf(f, "%.10f %.10f %s %s\r\n", bx, by, a.Text, b.Text);
    }
  }
  if (rnd.Chance(0.3))  // a loose segment nothing reaches
    std::fprintf(f, "%.4f %.4f %.4f %.4f\r\n", offset + 7 * scale, offset, offset + 8 * scale, offset + scale);
  // From a few points to a few thousand, and now and then none at all.
  const double d = rnd.Chance(0.05) ? length * 2 : length / std::pow(10.0, rnd.In(0, 3.5));
  return std::stod(Num(d > 1e-6 ? d : 1, 6).Text);
}
