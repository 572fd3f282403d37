// Conversions between numbers and their text that never fail, and rounding.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The integer / real the text denotes; 0 when it is empty or malformed.
int32_t StrToIntZ(std::string_view text);
double StrToFloatZ(std::string_view text);

// The value with n decimals and digit grouping, in the user's separators.
std::string FormatFixedN(int n, double value);

// x rounded to the nearest multiple of 1e-10, halves away from zero, worked in
// extended precision so that the result is the double nearest the grid value.
double RoundE10(double x);

// The same rounding without extended arithmetic, for targets whose long double
// is a plain double; tested against RoundE10 where both exist.
double RoundE10Portable(double x);
