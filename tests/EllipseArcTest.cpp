// The circle fit and the elliptical arc measure, with the figures users check
// our points against.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/MyFunc.h"

namespace {
constexpr double kPi = std::numbers::pi;

TPointD EllipsePoint(double cx, double cy, double r, double k, double tiltDeg, double tDeg) {
  const double t = tDeg / 180 * kPi;
  return RotateDeg(cx + r * std::cos(t), cy + r * k * std::sin(t), cx, cy, tiltDeg);
}

void ExpectFit(const TCircleFit& f, double cx, double cy, double r, double start, double end,
               bool ccw) {
  ASSERT_TRUE(f.Ok);
  EXPECT_NEAR(f.CX, cx, 1e-12);
  EXPECT_NEAR(f.CY, cy, 1e-12);
  EXPECT_NEAR(f.R, r, 1e-12);
  EXPECT_NEAR(f.StartAngle, start, 1e-12);
  EXPECT_NEAR(f.EndAngle, end, 1e-12);
  EXPECT_EQ(f.Ccw, ccw);
}

void ExpectFailed(const TCircleFit& f) {
  EXPECT_FALSE(f.Ok);
  EXPECT_EQ(f.CX, 0.0);
  EXPECT_EQ(f.CY, 0.0);
  EXPECT_EQ(f.R, 0.0);
  EXPECT_EQ(f.StartAngle, 0.0);
  EXPECT_EQ(f.EndAngle, 0.0);
  EXPECT_FALSE(f.Ccw);
}
}  // namespace

TEST(Circle3P, SweepHoldsTheMiddlePoint) {
  ExpectFit(Circle3P(2, 1, 1, 2, 0, 1), 1, 1, 1, 0, kPi, true);
  ExpectFit(Circle3P(0, 1, 1, 2, 2, 1), 1, 1, 1, 0, kPi, false);
  // The ccw sweep from pi to 0 passes 3pi/2, where P2 lies.
  ExpectFit(Circle3P(1, 0, 0, -1, -1, 0), 0, 0, 1, kPi, 0, false);
}

TEST(Circle3P, FailsOnLinesAndTinyTriangles) {
  ExpectFailed(Circle3P(0, 0, 1, 1, 2, 2));
  // Not collinear, but |D| = 5e-9: the determinant test alone rejects it.
  EXPECT_GT(PointLineDist(0, 0, 1e-4, 0, 2e-4, 5e-5), 1e-8);
  ExpectFailed(Circle3P(0, 0, 1e-4, 0, 2e-4, 5e-5));
}

TEST(EllipseArcLength, CircularArcsInClosedForm) {
  EXPECT_EQ(EllipseArcLength(3, 4, 10, 1, 0, 90, 45), 90.0 / 180 * kPi * 10);
  EXPECT_NEAR(EllipseArcLength(0, 0, 10, 1, 0, 90, 0), 5 * kPi, 1e-14);
  EXPECT_EQ(EllipseArcLength(0, 0, 10, 1, 350, 10, 0), 20.0 / 180 * kPi * 10);
  EXPECT_EQ(EllipseArcLength(0, 0, 10, 1, 30, 30, 0), 0.0);
  EXPECT_EQ(EllipseArcLength(0, 0, 10, 0.5, 30, 30, 0), 0.0);
}

TEST(EllipseArcLength, SubStepMeasureOfEllipses) {
  EXPECT_NEAR(EllipseArcLength(0, 0, 100, 0.5, 0, 359.9999, 30), 484.4223, 5e-5);
  EXPECT_NEAR(EllipseArcLength(7, 8, 10, 0.5, 0, 90, 0), 12.1106, 5e-5);
}

// On a 10 x 5 ellipse every fitted triangle is too small for the determinant
// test, so the measure is the sum of the 3600 chords.
TEST(EllipseArcLength, SmallEllipsesAreMeasuredByChords) {
  const double h = 90.0 / 180 * kPi / 3600;
  double t = 0, sum = 0;
  auto q = [](double a) { return RotateDeg(10 * std::cos(a), 10 * 0.5 * std::sin(a), 0, 0, 0); };
  TPointD p0 = q(t);
  for (int i = 0; i < 3600; ++i) {
    t = t + h;
    const TPointD p1 = q(t);
    sum = sum + Distance(p0.X, p0.Y, p1.X, p1.Y);
    p0 = p1;
  }
  EXPECT_EQ(EllipseArcLength(0, 0, 10, 0.5, 0, 90, 0), sum);
}

TEST(EllipseArcLength, CircleWithinOneHundredMillionth) {
  const double circular = 90.0 / 180 * kPi * 10;
  EXPECT_EQ(EllipseArcLength(0, 0, 10, 1 + 1e-9, 0, 90, 0), circular);
  EXPECT_EQ(EllipseArcLength(0, 0, 10, 1 - 5e-9, 0, 90, 0), circular);
  const double stepped = EllipseArcLength(0, 0, 10, 1 + 2e-8, 0, 90, 0);
  EXPECT_NE(stepped, circular);
  EXPECT_NEAR(stepped, circular, 1e-5);
}

TEST(EllipsePointAtLength, CirclesInClosedForm) {
  const TPointD up = EllipsePointAtLength(15, 20, 1, 5 * kPi, 5, 20, 10, 1, 0, 360, 0);
  EXPECT_NEAR(up.X, 5, 1e-12);
  EXPECT_NEAR(up.Y, 30, 1e-12);
  const TPointD down = EllipsePointAtLength(15, 20, -1, 5 * kPi, 5, 20, 10, 1, 0, 360, 0);
  EXPECT_NEAR(down.X, 5, 1e-12);
  EXPECT_NEAR(down.Y, 10, 1e-12);
}

TEST(EllipsePointAtLength, StepsAlongTheEllipse) {
  const TPointD s = EllipsePoint(10, 20, 100, 0.5, 30, 0);
  const TPointD p = EllipsePointAtLength(s.X, s.Y, 90, 50, 10, 20, 100, 0.5, 0, 90, 30);
  const double t = EllipseParamDeg(p.X, p.Y, 10, 20, 100, 0.5, 30);
  EXPECT_NEAR(t, 46.2363, 5e-5);
  EXPECT_NEAR(EllipseArcLength(10, 20, 100, 0.5, 0, t, 30), 50, 1e-6);

  const TPointD e = EllipsePoint(10, 20, 100, 0.5, 30, 90);
  const TPointD q = EllipsePointAtLength(e.X, e.Y, -90, 50, 10, 20, 100, 0.5, 0, 90, 30);
  EXPECT_NEAR(EllipseParamDeg(q.X, q.Y, 10, 20, 100, 0.5, 30), 60.3867, 5e-5);

  // Beyond 3600 pieces the walk stops one sub-step past the sweep.
  const TPointD far = EllipsePointAtLength(s.X, s.Y, 90, 1000, 10, 20, 100, 0.5, 0, 90, 30);
  const TPointD want = EllipsePoint(10, 20, 100, 0.5, 30, 90.025);
  EXPECT_NEAR(far.X, want.X, 1e-9);
  EXPECT_NEAR(far.Y, want.Y, 1e-9);

  // A length of 0 gives the starting point, put onto the ellipse.
  const TPointD same = EllipsePointAtLength(s.X, s.Y, 90, 0, 10, 20, 100, 0.5, 0, 90, 30);
  EXPECT_NEAR(same.X, s.X, 1e-9);
  EXPECT_NEAR(same.Y, s.Y, 1e-9);
}

// Flatness at or below zero: a negative one mirrors the ellipse about its
// first axis; zero is a segment run there and back. Always finite.
TEST(FlatnessAtOrBelowZero, NegativeFlatnessMirrors) {
  EXPECT_EQ(EllipseArcLength(0, 0, 100, -0.5, 10, 80, 30), EllipseArcLength(0, 0, 100, 0.5, 10, 80, 30));
  const TPointD s = EllipsePoint(0, 0, 100, -0.5, 0, 0);
  const TPointD p = EllipsePointAtLength(s.X, s.Y, 90, 50, 0, 0, 100, -0.5, 0, 90, 0);
  const TPointD m = EllipsePointAtLength(s.X, s.Y, -90, 50, 0, 0, 100, 0.5, 270, 360, 0);
  EXPECT_NEAR(p.X, m.X, 1e-9);
  EXPECT_NEAR(p.Y, m.Y, 1e-9);
  EXPECT_LT(p.Y, 0);  // counter-clockwise in t runs below the axis here
  // Back from the arc's end by the rest of its length: the same point.
  const double rest = EllipseArcLength(0, 0, 100, -0.5, 0, 90, 0) - 50;
  const TPointD e = EllipsePoint(0, 0, 100, -0.5, 0, 90);
  const TPointD b = EllipsePointAtLength(e.X, e.Y, -90, rest, 0, 0, 100, -0.5, 0, 90, 0);
  EXPECT_NEAR(b.X, p.X, 1e-6);
  EXPECT_NEAR(b.Y, p.Y, 1e-6);
}

TEST(FlatnessAtOrBelowZero, ZeroFlatnessIsASegmentThereAndBack) {
  EXPECT_NEAR(EllipseArcLength(0, 0, 10, 0, 0, 180, 0), 20, 1e-9);
  EXPECT_NEAR(EllipseArcLength(0, 0, 10, 0, 0, 359.9999, 45), 40, 1e-6);
  const TPointD a = EllipsePointAtLength(10, 0, 180, 5, 0, 0, 10, 0, 0, 180, 0);
  EXPECT_NEAR(a.X, 5, 1e-9);
  EXPECT_NEAR(a.Y, 0, 1e-9);
  const TPointD b = EllipsePointAtLength(-10, 0, -180, 5, 0, 0, 10, 0, 0, 180, 0);
  EXPECT_NEAR(b.X, -5, 1e-9);
  // Tilted by 90 degrees, it lies on the y axis.
  const TPointD c = EllipsePointAtLength(0, 10, 180, 15, 0, 0, 10, 0, 0, 180, 90);
  EXPECT_NEAR(c.X, 0, 1e-9);
  EXPECT_NEAR(c.Y, -5, 1e-9);
}

TEST(FlatnessAtOrBelowZero, NeverNaNNorInfinite) {
  for (double k : {0.0, -0.0, -1.0, -1e-300, 1e-300, -7.5})
    for (double len : {0.0, 1.0, 37.5, 1e6, -3.0})
      for (double dir : {1.0, 0.0, -1.0}) {
        const double l = EllipseArcLength(1, 2, 10, k, 20, 300, 15);
        EXPECT_TRUE(std::isfinite(l)) << k;
        const TPointD s = EllipsePoint(1, 2, 10, k, 15, dir < 0 ? 300 : 20);
        const TPointD p = EllipsePointAtLength(s.X, s.Y, dir, len, 1, 2, 10, k, 20, 300, 15);
        EXPECT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y)) << k << ' ' << len << ' ' << dir;
      }
}
