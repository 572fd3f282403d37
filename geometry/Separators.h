// The user's decimal and thousands separators, as bytes for the exchange file.
#pragma once

#include <string>

struct TSeparators {
  std::string Decimal = ".";
  std::string Thousands = ",";
};

// Read from the user's locale the first time they are asked for; "." and ","
// where the locale gives none or gives one the exchange file cannot carry.
const TSeparators& UserSeparators();

// Replaces what the locale said (tests and callers that know better).
void SetUserSeparators(const TSeparators& seps);
