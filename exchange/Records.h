// The record dispatch: one line of the exchange file into the state.
#pragma once

#include <string>
#include <string_view>

#include "exchange/Tokenizer.h"

// One line of the exchange file, without its line end.
void ParseLine(std::string_view line);

// ParseLine for every line of one read, with the tokens and the bytes of
// those that are not slices of their line kept from line to line.
class TRecordParser {
 public:
  void Parse(std::string_view line);

 private:
  std::string scratch_;
  TTokens tokens_;
};

// Four tokens led by no keyword: a plain line, whatever came before it.
bool IsPlainLine(const TTokens& t);
