// The text forms of numbers: what the reader accepts and what the writer writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "geometry/NumText.h"

namespace {

std::string General(double v) {
  std::string s;
  AppendGeneralFloat(s, v);
  return s;
}

std::string Fixed(double v, int n = 3, const char* dec = ".", const char* thou = ",") {
  return FormatFixedGrouped(n, v, dec, thou);
}

bool Float(std::string_view s, double& v) { return ReadFloatText(s, v); }

}  // namespace

TEST(ReadIntText, AcceptsDecimalAndHexForms) {
  int32_t v = 0;
  EXPECT_TRUE(ReadIntText(" 12", v)); EXPECT_EQ(v, 12);
  EXPECT_TRUE(ReadIntText("+7", v)); EXPECT_EQ(v, 7);
  EXPECT_TRUE(ReadIntText("$1F", v)); EXPECT_EQ(v, 31);
  EXPECT_TRUE(ReadIntText("x1f", v)); EXPECT_EQ(v, 31);
  EXPECT_TRUE(ReadIntText("0X1f", v)); EXPECT_EQ(v, 31);
  EXPECT_TRUE(ReadIntText("-$1", v)); EXPECT_EQ(v, -1);
  EXPECT_TRUE(ReadIntText("$FFFFFFFF", v)); EXPECT_EQ(v, -1);
  EXPECT_TRUE(ReadIntText("-2147483648", v)); EXPECT_EQ(v, INT32_MIN);
  EXPECT_TRUE(ReadIntText("2147483647", v)); EXPECT_EQ(v, INT32_MAX);
  EXPECT_TRUE(ReadIntText("007", v)); EXPECT_EQ(v, 7);
}

TEST(ReadIntText, RejectsEverythingElse) {
  for (const char* s : {"", "12 ", "2147483648", "-2147483649", "1e3", "1.5", "12a", "-", "$",
                        "x", "- 5", "$100000000", "+-1", "1,000", "\t1"}) {
    int32_t v = 99;
    EXPECT_FALSE(ReadIntText(s, v)) << '"' << s << '"';
    EXPECT_EQ(v, 99);
  }
}

TEST(ReadFloatText, AcceptsTheRealForm) {
  double v = 0;
  EXPECT_TRUE(Float(" 12", v)); EXPECT_EQ(v, 12.0);
  EXPECT_TRUE(Float("+7", v)); EXPECT_EQ(v, 7.0);
  EXPECT_TRUE(Float("2147483648", v)); EXPECT_EQ(v, 2147483648.0);
  EXPECT_TRUE(Float("1e3", v)); EXPECT_EQ(v, 1000.0);
  EXPECT_TRUE(Float("2.5", v)); EXPECT_EQ(v, 2.5);
  EXPECT_TRUE(Float("-1.25E-2", v)); EXPECT_EQ(v, -0.0125);
  EXPECT_TRUE(Float("0.00000002", v)); EXPECT_EQ(v, 2e-8);
  EXPECT_TRUE(Float("12345678901234567890", v)); EXPECT_EQ(v, 12345678901234567890.0);
  EXPECT_TRUE(Float(".5", v)); EXPECT_EQ(v, 0.5);
  EXPECT_TRUE(Float("5.", v)); EXPECT_EQ(v, 5.0);
  EXPECT_TRUE(Float("-0", v)); EXPECT_TRUE(v == 0 && std::signbit(v));
  EXPECT_TRUE(Float("1e-400", v)); EXPECT_EQ(v, 0.0);  // below the smallest double: zero
  EXPECT_TRUE(Float("1.7976931348623157e308", v)); EXPECT_EQ(v, 1.7976931348623157e308);
}

TEST(ReadFloatText, RejectsMalformedTextAndOverflow) {
  for (const char* s : {"", "12 ", "$1F", "x1f", "1.5.2", "1,5", "abc", ".", "e5", "1e", "1e+",
                        "+-1", "inf", "nan", "0x10", "1e999", "-1e999", "1.8e308", "1d3", "1 e3"}) {
    double v = 99;
    EXPECT_FALSE(Float(s, v)) << '"' << s << '"';
    EXPECT_EQ(v, 99);
  }
}

// The quick path (one exact operation) must give what a full decimal
// conversion at the same precision gives, then rounded to a double.
TEST(ReadFloatText, QuickPathMatchesFullConversion) {
  std::mt19937_64 rng(12345);
  for (int i = 0; i < 200000; ++i) {
    std::string s;
    if (rng() % 2) s += '-';
    const int digits = 1 + static_cast<int>(rng() % 24);
    const int point = static_cast<int>(rng() % static_cast<unsigned>(digits + 1));
    for (int d = 0; d < digits; ++d) {
      if (d == point && d > 0) s += '.';
      s += static_cast<char>('0' + rng() % 10);
    }
    if (rng() % 3 == 0) {
      s += 'e';
      s += std::to_string(static_cast<int>(rng() % 81) - 40);
    }
    double got = 0;
    ASSERT_TRUE(Float(s, got)) << s;
    const double want = static_cast<double>(std::strtold(s.c_str(), nullptr));
    ASSERT_EQ(got, want) << s;
  }
}

// Up to three decimals take one double operation; it must round as the
// extended conversion does, for every mantissa a double holds.
TEST(ReadFloatText, FewDecimalsMatchTheExtendedConversion) {
  std::mt19937_64 rng(77);
  for (int i = 0; i < 1000000; ++i) {
    const uint64_t mant = rng() >> (11 + rng() % 40);  // below 2^53, of every length
    const int decimals = static_cast<int>(rng() % 4);
    std::string s = std::to_string(mant);
    if (decimals > 0) {
      while (s.size() <= static_cast<size_t>(decimals)) s.insert(s.begin(), '0');
      s.insert(s.end() - decimals, '.');
    }
    double got = 0;
    ASSERT_TRUE(Float(s, got)) << s;
    ASSERT_EQ(got, static_cast<double>(std::strtold(s.c_str(), nullptr))) << s;
  }
}

TEST(GeneralFloat, WritesFifteenSignificantDigitsWithoutTrailingZeros) {
  EXPECT_EQ(General(12.5), "12.5");
  EXPECT_EQ(General(-3.0), "-3");
  EXPECT_EQ(General(0.1 + 0.2), "0.3");
  EXPECT_EQ(General(0.0001), "0.0001");
  EXPECT_EQ(General(0.00001), "1E-5");
  EXPECT_EQ(General(123456789012345.0), "123456789012345");
  EXPECT_EQ(General(1e14), "100000000000000");
  EXPECT_EQ(General(1e15), "1E15");
  EXPECT_EQ(General(1.5e-7), "1.5E-7");
  EXPECT_EQ(General(-2.5e20), "-2.5E20");
  EXPECT_EQ(General(0.0), "0");
  EXPECT_EQ(General(-0.0), "0");
  EXPECT_EQ(General(10.0), "10");
  EXPECT_EQ(General(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(General(2.0 / 3), "0.666666666666667");
  EXPECT_EQ(General(999999999999999.9), "1E15");  // decided after rounding
  EXPECT_EQ(General(0.000099999999999999999), "0.0001");
  EXPECT_EQ(General(std::nan("")), "NAN");
  EXPECT_EQ(General(-INFINITY), "-INF");
}

TEST(GeneralFloat, ExactHalvesRoundAwayFromZero) {
  EXPECT_EQ(General(1000000000000005.0), "1.00000000000001E15");
  EXPECT_EQ(General(123456789012344.5), "123456789012345");
  EXPECT_EQ(General(-123456789012344.5), "-123456789012345");
}

// Against the exact expansion of each double, rounded by hand.
TEST(GeneralFloat, DigitsMatchTheExactValue) {
  std::mt19937_64 rng(99);
  for (int i = 0; i < 100000; ++i) {
    double v;
    do {
      const uint64_t bits = rng();
      std::memcpy(&v, &bits, sizeof v);
    } while (!std::isfinite(v) || v == 0);
    char buf[800];
    auto r = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(v), std::chars_format::scientific, 767);
    *r.ptr = '\0';
    std::string digits;
    const char* e = std::find(buf, r.ptr, 'e');
    for (const char* p = buf; p < e; ++p)
      if (*p != '.') digits += *p;
    int exp = std::atoi(e + 1);
    std::string keep = digits.substr(0, 15);
    if (digits[15] >= '5') {
      size_t k = 15;
      while (k > 0 && keep[k - 1] == '9') keep[--k] = '0';
      if (k > 0) ++keep[k - 1];
      else keep.pop_back(), keep.insert(keep.begin(), '1'), ++exp;
    }
    const std::string got = General(v);
    std::string gotDigits;
    for (char c : got.substr(0, got.find('E'))) if (c >= '0' && c <= '9') gotDigits += c;
    gotDigits.erase(0, gotDigits.find_first_not_of('0'));
    while (gotDigits.size() > 1 && gotDigits.back() == '0') gotDigits.pop_back();
    while (keep.size() > 1 && keep.back() == '0') keep.pop_back();
    ASSERT_EQ(gotDigits, keep) << got;
    ASSERT_EQ(got.find('E') != std::string::npos, exp >= 15 || exp < -4) << got;
  }
}

TEST(FixedGrouped, GroupsThousandsAndKeepsTheDecimals) {
  EXPECT_EQ(Fixed(1234.5678), "1,234.568");
  EXPECT_EQ(Fixed(0.5), "0.500");
  EXPECT_EQ(Fixed(-1234567.0), "-1,234,567.000");
  EXPECT_EQ(Fixed(999.9996), "1,000.000");
  EXPECT_EQ(Fixed(0), "0.000");
  EXPECT_EQ(Fixed(1234.5), "1,234.500");
  EXPECT_EQ(Fixed(62.83185307179586), "62.832");
  EXPECT_EQ(Fixed(123456789.0, 0), "123,456,789");
  EXPECT_EQ(Fixed(1234.5, 3, ",", "."), "1.234,500");
  EXPECT_EQ(Fixed(1234567.25, 2, ",", " "), "1 234 567,25");
  EXPECT_EQ(Fixed(1e20), "100,000,000,000,000,000,000.000");
}

TEST(FixedGrouped, HalvesAwayFromZeroAndNoNegativeZero) {
  EXPECT_EQ(Fixed(1.0625), "1.063");   // exactly half: a double holds 1.0625
  EXPECT_EQ(Fixed(-1.0625), "-1.063");
  EXPECT_EQ(Fixed(1.0005), "1.000");   // the double lies just below the half
  EXPECT_EQ(Fixed(3.0005), "3.001");   // and this one just above
  EXPECT_EQ(Fixed(-0.0004), "0.000");
  EXPECT_EQ(Fixed(-0.0), "0.000");
  EXPECT_EQ(Fixed(std::nan("")), "NAN");
}

TEST(IntegerForms, DecimalAndUpperCaseHex) {
  std::string s;
  AppendDecimalInt(s, -5);
  s += '|';
  AppendDecimalInt(s, 101);
  s += '|';
  for (int32_t v : {0, 9, 10, 11, 15}) AppendHexInt(s, v);
  EXPECT_EQ(s, "-5|101|09ABF");
}
