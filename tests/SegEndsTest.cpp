// The segment end table: its order, the cutting of full circles and ellipses
// at the designated point, and the search for an end at a point.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "ExchangeTest.h"
#include "app/SegEnds.h"
#include "exchange/KdxGaibu.h"
#include "geometry/MyFunc.h"

namespace {

class SegEndsTest : public TExchangeTest {
 protected:
  void TearDown() override { ReleaseSegEnds(); }
  static void ExpectEnd(size_t i, double x, double y, int32_t kind, int32_t endNo, int32_t index) {
    ASSERT_LT(i, SegEnds.size());
    const TSegEnd& e = SegEnds[i];
    EXPECT_NEAR(e.X, x, 1e-12) << i;
    EXPECT_NEAR(e.Y, y, 1e-12) << i;
    EXPECT_EQ(e.Kind, kind) << i;
    EXPECT_EQ(e.EndNo, endNo) << i;
    EXPECT_EQ(e.Index, index) << i;
    EXPECT_TRUE(e.Avail) << i;
  }
};

}  // namespace

TEST_F(SegEndsTest, LinesGiveBothEndsEvenWhenTheyCoincide) {
  Parse({"0 0 10 0", "5 5 5 5"});
  BuildSegEnds();
  ASSERT_EQ(SegEnds.size(), 4u);
  ExpectEnd(0, 0, 0, kSegLine, 0, 0);
  ExpectEnd(1, 10, 0, kSegLine, 1, 0);
  ExpectEnd(2, 5, 5, kSegLine, 0, 1);
  ExpectEnd(3, 5, 5, kSegLine, 1, 1);
  EXPECT_EQ(PartnerOf(2), 3);
  EXPECT_EQ(PartnerOf(3), 2);
}

TEST_F(SegEndsTest, NothingSelectedGivesAnEmptyTable) {
  Parse({"hp1 3 4", "pt 1 2", "ch 0 0 1 1 x"});
  BuildSegEnds();
  EXPECT_TRUE(SegEnds.empty());
  EXPECT_EQ(FindFreeEnd(3, 4), -1);
}

TEST_F(SegEndsTest, CircleIsCutAtTheDesignatedPoint) {
  Parse({"hp1 0 10", "ci 0 0 10"});
  BuildSegEnds();
  ASSERT_EQ(ArcCount, 2);
  EXPECT_EQ(Arcs[0].StartAngle, 90.0);
  EXPECT_EQ(Arcs[0].EndAngle, 270.0);
  EXPECT_EQ(Arcs[1].StartAngle, 270.0);
  EXPECT_EQ(Arcs[1].EndAngle, 90.0);
  EXPECT_EQ(Arcs[0].Flatness, 1.0);
  EXPECT_EQ(Arcs[1].Tilt, 0.0);
  EXPECT_EQ(EntityOrderCount, 3);  // the circle, then its two halves
  EXPECT_EQ(EntityOrder[2].Kind, kKindArc);
  ASSERT_EQ(SegEnds.size(), 4u);
  ExpectEnd(0, 0, 10, kSegArc, 0, 0);
  ExpectEnd(1, 0, -10, kSegArc, 1, 0);
  ExpectEnd(2, 0, -10, kSegArc, 0, 1);
  ExpectEnd(3, 0, 10, kSegArc, 1, 1);
  EXPECT_EQ(CircleCount, 1);
}

TEST_F(SegEndsTest, CutDirectionComesFromTheCentre) {
  // H at the centre: 0 and 180. H off the circle: along its direction.
  // Concentric circles: both along the same direction.
  Parse({"hp1 0 0", "ci 0 0 10"});
  BuildSegEnds();
  EXPECT_EQ(Arcs[0].StartAngle, 0.0);
  EXPECT_EQ(Arcs[0].EndAngle, 180.0);
  GaibuInit();
  Parse({"hp1 30 30", "ci 0 0 10", "ci 0 0 20"});
  BuildSegEnds();
  EXPECT_EQ(Arcs[0].StartAngle, 45.0);
  EXPECT_EQ(Arcs[2].StartAngle, 45.0);
  EXPECT_EQ(Arcs[3].EndAngle, 45.0);
  EXPECT_EQ(FindFreeEnd(30, 30), -1);
  // Just below +x from the centre: AngleDeg gives exactly 360.
  GaibuInit();
  Parse({"hp1 10 -1e-30", "ci 0 0 10"});
  BuildSegEnds();
  EXPECT_EQ(Arcs[0].StartAngle, 360.0);
  EXPECT_EQ(Arcs[0].EndAngle, 180.0);
  EXPECT_EQ(Arcs[1].StartAngle, 180.0);
  EXPECT_EQ(Arcs[1].EndAngle, 360.0);
}

TEST_F(SegEndsTest, FullEllipseIsCutInPlace) {
  // r 100, flatness 0.5, tilt 30 about (10, 20); H at eccentric angle 60.
  const double t = 60.0 / 180 * std::numbers::pi;
  const TPointD h = RotateDeg(10 + 100 * std::cos(t), 20 + 50 * std::sin(t), 10, 20, 30);
  DesignatedPoints[1] = {true, h.X, h.Y, 0};
  Parse({"ci 10 20 100 15 15 0.5 30", "ci 0 0 5 0 360 1 0", "ci 0 0 5 10 10.0000001 0.5 0"});
  const double hx = DesignatedPoints[1].X, hy = DesignatedPoints[1].Y;
  BuildSegEnds();
  ASSERT_EQ(ArcCount, 4);
  const double cut = EllipseParamDeg(hx, hy, 10, 20, 100, 0.5, 30);
  EXPECT_NEAR(cut, 60, 1e-5);
  EXPECT_EQ(Arcs[0].StartAngle, cut);
  EXPECT_EQ(Arcs[0].EndAngle, cut + 180);
  EXPECT_EQ(Arcs[3].StartAngle, cut + 180);
  EXPECT_EQ(Arcs[3].EndAngle, cut);
  EXPECT_EQ(Arcs[3].Flatness, 0.5);
  // The closed circle in arc form, and the arc whose ends lie within 1e-8,
  // give no ends.
  ASSERT_EQ(SegEnds.size(), 4u);
  EXPECT_EQ(SegEnds[0].Index, 0);
  EXPECT_EQ(SegEnds[2].Index, 3);
  EXPECT_EQ(FindFreeEnd(hx, hy), 0);
  EXPECT_EQ(PartnerOf(0), 1);
  EXPECT_NEAR(SegEnds[3].X, hx, 1e-8);  // the second half ends at H
}

TEST_F(SegEndsTest, TableOrderDecidesTies) {
  // Arcs read from the file, then circle halves, then second ellipse halves.
  Parse({"hp1 10 0", "ci 0 0 10 0 90 1 0", "10 0 20 0", "ci 30 0 20", "ci 0 0 10 0 0 0.5 0"});
  BuildSegEnds();
  // Lines first, even when listed later in the file.
  EXPECT_EQ(FindFreeEnd(10, 0), 0);
  EXPECT_EQ(SegEnds[2].Index, 0);   // the quarter arc
  EXPECT_EQ(SegEnds[4].Index, 1);   // the cut ellipse, first half, in place
  EXPECT_EQ(SegEnds[6].Index, 2);   // circle halves
  EXPECT_EQ(SegEnds[8].Index, 3);
  EXPECT_EQ(SegEnds[10].Index, 4);  // the ellipse's second half
  SegEnds.Walk(0);
  EXPECT_EQ(FindFreeEnd(10, 0), 2);
}

TEST_F(SegEndsTest, FindFreeEndToleranceIncludesItsBound) {
  Parse({"0 0 1 0"});
  BuildSegEnds();
  EXPECT_EQ(FindFreeEnd(1e-8, -1e-8), 0);
  EXPECT_EQ(FindFreeEnd(1.1e-8, 0), -1);
  EXPECT_EQ(FindFreeEnd(1 + 1e-8, 1e-8), 1);
}

// One press of OK's table: what it appended to Arcs and EntityOrder, and the
// ellipses it cut in place, are as read again when its scope ends, so that
// every press builds the same table.
TEST_F(SegEndsTest, ScopeTakesItsCutsBack) {
  Parse({"hp1 55 55", "ci 0 0 10", "ci 0 0 10 0 0 0.5 0"});
  for (int i = 0; i < 998; ++i) ParseLine("ci 0 0 10 0 90 1 0");  // 999 arcs: the halves start a block
  for (int press = 0; press < 2; ++press) {
    TSegEndsScope scope;
    scope.Build();
    EXPECT_EQ(ArcCount, 1002);  // two circle halves, the ellipse's second half
    EXPECT_EQ(Arcs.Length(), 2000);
    EXPECT_EQ(EntityOrderCount, 1003);
    EXPECT_NE(Arcs[0].StartAngle, Arcs[0].EndAngle);
    EXPECT_EQ(SegEnds.size(), 2 * 1002u);
  }
  EXPECT_TRUE(SegEnds.empty());
  EXPECT_EQ(ArcCount, 999);
  EXPECT_EQ(Arcs.Length(), 1000);
  EXPECT_EQ(EntityOrderCount, 1000);
  EXPECT_EQ(Arcs[0].StartAngle, 0.0);
  EXPECT_EQ(Arcs[0].EndAngle, 0.0);
  EXPECT_EQ(FindStartEnd(55, 55), -1);
}

// From a radius of about 11,460 mm the grid of the cut angle moves the cut end
// more than 1e-8 away from a designated point on the curve.
TEST_F(SegEndsTest, LargeCirclesStillStartAtTheDesignatedPoint) {
  const double r = 50000, a = 33.33333333333;
  const double hx = r * std::cos(a / 180 * std::numbers::pi), hy = r * std::sin(a / 180 * std::numbers::pi);
  GaibuInit();
  ParseLine("ci 0 0 50000");
  DesignatedPoints[1] = {true, hx, hy, 0};
  BuildSegEnds();
  const TSegEnd& cutEnd = SegEnds[0];
  EXPECT_GT(std::fmax(std::fabs(cutEnd.X - hx), std::fabs(cutEnd.Y - hy)), 1e-8);
  EXPECT_EQ(FindFreeEnd(hx, hy), -1);
  EXPECT_EQ(FindStartEnd(hx, hy), 0);
  // The same for a full ellipse.
  GaibuInit();
  ParseLine("ci 0 0 50000 0 0 0.5 10");
  const double t = 0.7;
  const TPointD h = RotateRad(50000 * std::cos(t), 25000 * std::sin(t), 0, 0, 10.0 / 180 * std::numbers::pi);
  DesignatedPoints[1] = {true, h.X, h.Y, 0};
  BuildSegEnds();
  EXPECT_EQ(FindStartEnd(h.X, h.Y), 0);
  // A point off the curve is still not a start.
  EXPECT_EQ(FindStartEnd(h.X * 1.001, h.Y * 1.001), -1);
  // Where the plain search finds an end, it decides.
  GaibuInit();
  Parse({"ci 0 0 50000", "0 0 50000 0"});
  DesignatedPoints[1] = {true, 50000, 0, 0};
  BuildSegEnds();
  EXPECT_EQ(FindStartEnd(50000, 0), 1);
}
