// Plane geometry: directions, angles, rotations, eccentric angles.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "geometry/MyFunc.h"

namespace {
constexpr double kPi = std::numbers::pi;

// The point of an ellipse at eccentric angle t (degrees).
TPointD EllipsePoint(double cx, double cy, double r, double k, double tiltDeg, double tDeg) {
  const double t = tDeg / 180 * kPi;
  return RotateDeg(cx + r * std::cos(t), cy + r * k * std::sin(t), cx, cy, tiltDeg);
}
}  // namespace

TEST(Plane, DistanceAndDirection) {
  EXPECT_EQ(Distance(0, 0, 3, 4), 5.0);
  EXPECT_EQ(AngleRad(0, 0), 0.0);
  EXPECT_EQ(AngleRad(5e-11, -5e-11), 0.0);  // both below 1e-10: a null vector
  EXPECT_EQ(AngleRad(0, 2e-10), kPi / 2);   // one coordinate reaches 1e-10: measured
  EXPECT_EQ(AngleRad(0, -1), 3 * kPi / 2);
  EXPECT_EQ(AngleRad(-1, 0), kPi);
  EXPECT_EQ(AngleRad(1, -1e-30), 2 * kPi);  // just below +x the sum rounds to 2 pi
}

TEST(Plane, DegreesAreOnTheGrid) {
  EXPECT_EQ(AngleDeg(0, 1), 90.0);
  EXPECT_EQ(AngleDeg(1, -1), 315.0);
  EXPECT_EQ(AngleDeg(1, -1e-30), 360.0);
  EXPECT_EQ(AngleDeg(1, 1), 45.0);
  EXPECT_EQ(AngleDeg(std::cos(1.0), std::sin(1.0)), 57.2957795131);
}

TEST(Plane, NormDegBringsAnglesIntoOneTurn) {
  EXPECT_EQ(NormDeg(725), 5.0);
  EXPECT_EQ(NormDeg(-30), 330.0);
  EXPECT_EQ(NormDeg(360), 0.0);
  EXPECT_EQ(NormDeg(-360), 0.0);
  EXPECT_EQ(NormDeg(-720), 0.0);
  EXPECT_EQ(NormDeg(359.5), 359.5);
  EXPECT_EQ(NormDeg(-1e-20), 0.0);  // -1e-20 + 360 rounds to 360
  EXPECT_EQ(NormDeg(3600.5), 0.5);
}

TEST(Plane, Rotations) {
  const TPointD p = RotateDeg(2, 1, 1, 1, 90);
  EXPECT_NEAR(p.X, 1, 1e-15);
  EXPECT_NEAR(p.Y, 2, 1e-15);
  const TPointD same = RotateDeg(3.25, -7.5, 1, 2, 0);
  EXPECT_EQ(same.X, 3.25);
  EXPECT_EQ(same.Y, -7.5);
  const TPointD there = RotateRad(3.25, -7.5, 1, 2, 0.7);
  const TPointD back = RotateRad(there.X, there.Y, 1, 2, -0.7);
  EXPECT_NEAR(back.X, 3.25, 1e-14);
  EXPECT_NEAR(back.Y, -7.5, 1e-14);
  EXPECT_EQ(RotatedY(3.25, -7.5, 1, 2, 0.7), there.Y);
}

TEST(Plane, EllipseParamRecoversTheEccentricAngle) {
  EXPECT_EQ(EllipseParamDeg(EllipsePoint(10, 20, 100, 0.5, 30, 60).X,
                            EllipsePoint(10, 20, 100, 0.5, 30, 60).Y, 10, 20, 100, 0.5, 30),
            60.0);
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> coord(-1e4, 1e4), radius(1, 1e4), flat(0.05, 2),
      tilt(-360, 360), angle(0, 360);
  for (int i = 0; i < 200000; ++i) {
    const double cx = coord(rng), cy = coord(rng), r = radius(rng), k = flat(rng), a = tilt(rng);
    const double t = RoundE10(angle(rng));
    const TPointD p = EllipsePoint(cx, cy, r, k, a, t);
    const double got = EllipseParamDeg(p.X, p.Y, cx, cy, r, k, a);
    const double diff = std::fabs(got - t);
    ASSERT_TRUE(diff <= 1e-9 || std::fabs(diff - 360) <= 1e-9) << t << " came back as " << got;
  }
}

TEST(Plane, EllipseParamTakesFlatnessAtOrBelowZeroAsOne) {
  for (double k : {0.0, -2.0, -0.0}) {
    EXPECT_EQ(EllipseParamRad(1, 1, 0, 0, 5, k, 0), kPi / 4);
    EXPECT_EQ(EllipseParamRad(-2, 3, 1, 1, 5, k, 0.3), EllipseParamRad(-2, 3, 1, 1, 5, 1, 0.3));
  }
  EXPECT_EQ(EllipseParamRad(0, 0, 0, 0, 5, 0.5, 0), 0.0);  // the centre
}

TEST(Plane, PointLineDistance) {
  EXPECT_EQ(PointLineDist(0, 0, 10, 0, 3, 4), 4.0);
  EXPECT_NEAR(PointLineDist(0, 0, 1, 1, 1, 0), std::sqrt(2.0) / 2, 1e-15);
  EXPECT_EQ(PointLineDist(1, 1, 1, 1, 5, 4), 3.0);  // no direction: vertical distance
}

// The circle fit's collinearity test decides from a cross product where it
// can: always as PointLineDist itself would, the distance within a hair of
// the tolerance, far from the origin, nearly a null direction or not.
TEST(Plane, PointLineDistBelowDecidesAsPointLineDist) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> unit(0, 1);
  int near = 0;
  for (int i = 0; i < 200000; ++i) {
    const double scale = std::ldexp(1.0, static_cast<int>(rng() % 40) - 10);
    const double x1 = (unit(rng) - 0.5) * scale * 100, y1 = (unit(rng) - 0.5) * scale * 100;
    const double len = std::ldexp(unit(rng) + 0.01, static_cast<int>(rng() % 50) - 40);
    const double a = unit(rng) * 2 * kPi, along = (unit(rng) - 0.5) * 4 * len;
    // distances from 1e-12 to 1e-4, a fifth of them within 1e-15 of 1e-8
    double dist = std::pow(10.0, -12 + 8 * unit(rng));
    if (i % 5 == 0) dist = kTolerance * (1 + (unit(rng) - 0.5) * 1e-7);
    const double x2 = x1 + len * std::cos(a), y2 = y1 + len * std::sin(a);
    const double px = x1 + along * std::cos(a) - dist * std::sin(a);
    const double py = y1 + along * std::sin(a) + dist * std::cos(a);
    const bool below = PointLineDist(x1, y1, x2, y2, px, py) < kTolerance;
    near += std::fabs(PointLineDist(x1, y1, x2, y2, px, py) - kTolerance) < 1e-14;
    ASSERT_EQ(PointLineDistBelow(x1, y1, x2, y2, px, py, kTolerance), below)
        << std::hexfloat << x1 << " " << y1 << " " << x2 << " " << y2 << " " << px << " " << py;
  }
  EXPECT_GT(near, 1000);
}
