// Conversions that never fail, the grouped fixed form in the user's separators,
// and rounding to the 1e-10 grid.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/MyFunc.h"
#include "geometry/Separators.h"

TEST(StrToZ, MalformedTextReadsAsZero) {
  EXPECT_EQ(StrToIntZ(""), 0);
  EXPECT_EQ(StrToIntZ("12"), 12);
  EXPECT_EQ(StrToIntZ("-5"), -5);
  EXPECT_EQ(StrToIntZ(" 7"), 7);
  EXPECT_EQ(StrToIntZ("7 "), 0);
  EXPECT_EQ(StrToIntZ("12a"), 0);
  EXPECT_EQ(StrToIntZ("-"), 0);
  EXPECT_EQ(StrToFloatZ(""), 0.0);
  EXPECT_EQ(StrToFloatZ("2.5"), 2.5);
  EXPECT_EQ(StrToFloatZ("1e3"), 1000.0);
  EXPECT_EQ(StrToFloatZ("abc"), 0.0);
  EXPECT_EQ(StrToFloatZ("1,5"), 0.0);
  EXPECT_EQ(StrToFloatZ("1e999"), 0.0);  // no infinity ever comes out
}

TEST(FormatFixedN, UsesTheUserSeparators) {
  SetUserSeparators({".", ","});
  EXPECT_EQ(FormatFixedN(3, 1234.5678), "1,234.568");
  EXPECT_EQ(FormatFixedN(3, 0), "0.000");
  SetUserSeparators({",", "."});
  EXPECT_EQ(FormatFixedN(3, 1234.5), "1.234,500");
  SetUserSeparators({".", ","});
}

TEST(RoundE10, RoundsToTheGridHalvesAwayFromZero) {
  EXPECT_EQ(RoundE10(1.23456789012345), 1.2345678901);
  EXPECT_EQ(RoundE10(-1.23456789012345), -1.2345678901);
  EXPECT_EQ(RoundE10(359.99999999996), 360.0);
  EXPECT_EQ(RoundE10(89.99999999999999), 90.0);
  EXPECT_EQ(RoundE10(4e-11), 0.0);
  EXPECT_EQ(RoundE10(6e-11), 1e-10);
  EXPECT_EQ(RoundE10(-6e-11), -1e-10);
  const double z = RoundE10(-0.0);
  EXPECT_TRUE(z == 0 && !std::signbit(z));
  // In doubles 1234567890 * 1e-10 is one unit off 0.123456789.
  EXPECT_NE(1234567890 * 1e-10, 0.123456789);
  EXPECT_EQ(RoundE10(0.123456789), 0.123456789);
  EXPECT_EQ(RoundE10(0.12345678904), 0.123456789);
}

// The portable rounding is what targets without extended precision use; it
// must agree with the extended one on angles and on wider values.
TEST(RoundE10, PortableRoundingAgreesWithExtended) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> angle(-720, 720), wide(-1e9, 1e9);
  for (int i = 0; i < 1000000; ++i) {
    const double a = angle(rng);
    ASSERT_EQ(RoundE10(a), RoundE10Portable(a)) << a;
    // Values on and next to the grid and its half-way points.
    const double g = std::round(a * 1e10) / 1e10;
    for (double v : {g, std::nextafter(g, 1e9), std::nextafter(g, -1e9), g + 5e-11, g - 5e-11})
      ASSERT_EQ(RoundE10(v), RoundE10Portable(v)) << v;
    const double w = wide(rng);
    ASSERT_EQ(RoundE10(w), RoundE10Portable(w)) << w;
  }
  for (double v : {0.0, -0.0, 1.0 / 2048, -1.0 / 2048, 360.0, 1e-300, 5e-11, -5e-11})
    EXPECT_EQ(RoundE10(v), RoundE10Portable(v)) << v;
}
