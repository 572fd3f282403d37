// The position index of segment ends must answer exactly what a scan of the
// table from its start answers, for every table and every query.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "app/EndIndex.h"

namespace {

int32_t Scan(const TSegEndTable& ends, double x, double y) {
  for (size_t i = 0; i < ends.size(); ++i) {
    const TSegEnd e = ends[i];
    if (e.Avail && std::fabs(e.X - x) <= 1e-8 && std::fabs(e.Y - y) <= 1e-8) return static_cast<int32_t>(i);
  }
  return -1;
}

class TPoints {
 public:
  explicit TPoints(uint64_t seed) : rng_(seed) {}

  // Positions that stress the index: every magnitude, cell borders, the
  // border of exact cells at 2^38, signed zeros, and huge values.
  double Base() {
    switch (rng_() % 9) {
      case 0: return Uniform(-1, 1);
      case 1: return Uniform(-1e4, 1e4);
      case 2: return Uniform(-1e9, 1e9);
      case 3: return std::ldexp(static_cast<double>(static_cast<int64_t>(rng_() % 2000) - 1000), -24);
      case 4: return std::ldexp(1.0, 38) * (rng_() % 2 ? 1 : -1) + Uniform(-2, 2);
      case 5: return rng_() % 2 ? 0.0 : -0.0;
      case 6: return Uniform(-1e300, 1e300);
      case 7: return std::round(Uniform(-100, 100));
      default: return Uniform(-1e-7, 1e-7);
    }
  }

  // Near a base: on it, exactly 1e-8 off, just inside or outside the bound.
  double Near(double b) {
    const double t = 1e-8;
    switch (rng_() % 12) {
      case 0: return b + t;
      case 1: return b - t;
      case 2: return std::nextafter(b + t, INFINITY);
      case 3: return std::nextafter(b - t, -INFINITY);
      case 4: return std::nextafter(b + t, -INFINITY);
      case 5: return b + Uniform(-2 * t, 2 * t);
      case 6: return b + 0.5 * t;
      case 7: return std::nextafter(b, INFINITY);
      default: return b;
    }
  }

  double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  uint64_t Next() { return rng_(); }

 private:
  std::mt19937_64 rng_;
};

}  // namespace

TEST(EndIndex, AnswersAsTheScanDoes) {
  TPoints pts(2024);
  for (int table = 0; table < 400; ++table) {
    // A few sites, many ends at some of them, every end near one of them.
    std::vector<std::pair<double, double>> sites(1 + pts.Next() % 40);
    for (auto& s : sites) s = {pts.Base(), pts.Base()};
    std::vector<TSegEnd> list(2 * (1 + pts.Next() % 600));
    for (size_t i = 0; i < list.size(); ++i) {
      const auto& s = sites[pts.Next() % sites.size()];
      list[i] = {pts.Near(s.first), pts.Near(s.second), 0, static_cast<int32_t>(i % 2), static_cast<int32_t>(i / 2), true};
      if (pts.Next() % 97 == 0) list[i].X = pts.Next() % 2 ? INFINITY : std::nan("");
    }
    TSegEndTable ends = TSegEndTable::Of(list);
    TEndIndex index;
    index.Build(ends);
    for (int q = 0; q < 1500; ++q) {
      // Walked ends go two at a time, as the walk marks them.
      if (pts.Next() % 4 == 0) ends.Walk(static_cast<int32_t>(pts.Next() % ends.size()));
      const auto& s = sites[pts.Next() % sites.size()];
      double x = pts.Near(s.first), y = pts.Near(s.second);
      if (pts.Next() % 50 == 0) x = pts.Base();
      if (pts.Next() % 200 == 0) y = std::nan("");
      ASSERT_EQ(index.Find(ends, x, y), Scan(ends, x, y))
          << "table " << table << " query " << q << " at " << x << ", " << y;
      // And at an end's own position, as the walk asks.
      const auto at = static_cast<int32_t>(pts.Next() % ends.size());
      ASSERT_EQ(index.FindAt(ends, at), Scan(ends, ends.At(at).X, ends.At(at).Y))
          << "table " << table << " query " << q << " at end " << at;
    }
  }
}

TEST(EndIndex, ManyEndsAtOnePoint) {
  std::vector<TSegEnd> list(200000);
  for (size_t i = 0; i < list.size(); ++i)
    list[i] = {5, -5, 0, static_cast<int32_t>(i % 2), static_cast<int32_t>(i / 2), true};
  TSegEndTable ends = TSegEndTable::Of(list);
  TEndIndex index;
  index.Build(ends);
  // Walking them one by one in order costs each end once.
  for (size_t i = 0; i < ends.size(); i += 2) {
    ASSERT_EQ(index.Find(ends, 5, -5), static_cast<int32_t>(i));
    ends.Walk(static_cast<int32_t>(i));
  }
  EXPECT_EQ(index.Find(ends, 5, -5), -1);
  index.Clear();
  EXPECT_EQ(index.Find(ends, 5, -5), -1);
}
