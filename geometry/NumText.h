// The text forms of numbers in the exchange file and the dialog.
// Reading never depends on the locale; writing uses the separators given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Integer form: blanks, optional sign, decimal digits or "$"/"x"/"0x" with up
// to 8 hex digits, nothing after. False (and out untouched) when invalid.
bool ReadIntText(std::string_view text, int32_t& out);

// Real form: blanks, optional sign, digits with an optional "." fraction, an
// optional exponent, nothing after. Parsed at extended precision where the
// target has it, then rounded to a double. A value a double cannot hold is
// invalid, so no infinity ever comes out.
bool ReadFloatText(std::string_view text, double& out);

// The common case of a drawing: an optional minus, at most 15 digits, at most
// three of them decimals. For these one double operation, exact or rounded
// once, gives what rounding through the extended format gives: that quotient
// is never within 2^-64 of a half-way point between doubles without being
// one, which it cannot be. False, with nothing decided, for anything else.
inline bool ReadShortDecimal(std::string_view s, double& out) {
  constexpr double kSmallPow10[] = {1, 10, 100, 1000};
  const char* p = s.data();
  const char* const end = p + s.size();
  const bool neg = p < end && *p == '-';
  p += neg;
  const char* const start = p;
  uint64_t mant = 0;
  for (; p < end && (*p >= '0' && *p <= '9'); ++p) mant = mant * 10 + static_cast<unsigned>(*p - '0');
  const char* const point = p;
  if (p < end && *p == '.')
    for (++p; p < end && (*p >= '0' && *p <= '9'); ++p) mant = mant * 10 + static_cast<unsigned>(*p - '0');
  const auto decimals = p - point - (p > point);  // digits after the point
  const auto digits = (point - start) + decimals;
  if (p != end || digits == 0 || digits > 15 || decimals > 3) return false;
  const double q = static_cast<double>(mant) / kSmallPow10[decimals];
  out = neg ? -q : q;
  return true;
}

// General form of a "pt" coordinate: 15 significant digits, trailing zeros
// dropped, scientific below 1E-4 or from 1E15 on, always "." as the point.
void AppendGeneralFloat(std::string& out, double value);

// Fixed form with `decimals` decimals (halves away from zero) and the integer
// digits grouped in threes.
std::string FormatFixedGrouped(int decimals, double value, std::string_view decimalSep,
                               std::string_view thousandsSep);

// "pn" numbers: decimal; "lg"/"ly" numbers: upper-case hex, no prefix.
void AppendDecimalInt(std::string& out, int32_t value);
void AppendHexInt(std::string& out, int32_t value);
