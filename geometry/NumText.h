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
