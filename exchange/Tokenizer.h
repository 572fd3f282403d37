// The tokens of one exchange file line, shared by the record dispatch and the
// entity stage. Blanks and tabs split a line into tokens until a double quote
// (dropped) or "=" (kept) ends the splitting; the rest of the line is then
// one token. Double-byte characters stay whole; control bytes are dropped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "geometry/NumConv.h"

struct TTokens {
  static constexpr size_t kTable = 32;  // no record needs more than 17
  std::string_view Tok[kTable];
  size_t Count = 0;  // as the scan counts them; tokens past the table are counted, not kept

  std::string_view operator[](size_t i) const { return i < kTable && i < Count ? Tok[i] : std::string_view(); }
};

// Operand k of a record as a number; 0 when it is absent or malformed.
inline double NumberAt(const TTokens& t, size_t k) { return StrToFloatZ(t[k]); }
inline int32_t IntegerAt(const TTokens& t, size_t k) { return StrToIntZ(t[k]); }

// Shift-JIS lead bytes: the byte after one belongs to the same character.
constexpr bool IsLeadByte(unsigned char c) { return (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFD); }

// Splits a line into tokens. Tokens that are not slices of the line itself
// are kept in `scratch`, which grows to the line's length when needed.
void Tokenize(std::string_view line, std::string& scratch, TTokens& out);

// Position of `needle` in `text`, tried only at character starts; npos if absent.
size_t FindChar(std::string_view text, std::string_view needle);
