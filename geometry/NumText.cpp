#include "geometry/NumText.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <locale.h>
#endif

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Correctly rounded conversion of a plain decimal text ("-123.45e-6") to the
// widest floating type, whatever LC_NUMERIC says.
long double StrToLongDoubleC(const char* text) {
#if defined(__GLIBC__)
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return strtold_l(text, nullptr, cLocale);
#else
  // Nothing in this program changes the C runtime's locale from "C".
  return std::strtold(text, nullptr);
#endif
}

// Powers of ten that the widest type holds exactly: 5^27 < 2^64, 5^22 < 2^53.
constexpr int kExactPow10 = LDBL_MANT_DIG >= 64 ? 27 : 22;
constexpr unsigned long long kExactMantissa =
    LDBL_MANT_DIG >= 64 ? ~0ULL : (1ULL << 53) - 1;


long double Pow10(int e) {
  static const auto table = [] {
    struct T { long double v[kExactPow10 + 1]; } t{};
    long double p = 1;
    for (int i = 0; i <= kExactPow10; ++i, p *= 10) t.v[i] = p;
    return t;
  }();
  return table.v[e];
}

}  // namespace

bool ReadIntText(std::string_view s, int32_t& out) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  bool neg = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  bool hex = false;
  if (i < n && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == n) return false;
  uint64_t v = 0;
  if (hex) {
    for (; i < n; ++i) {
      int d = HexValue(s[i]);
      if (d < 0) return false;
      v = v * 16 + static_cast<unsigned>(d);
      if (v > 0xFFFFFFFFull) return false;
    }
    uint32_t u = static_cast<uint32_t>(v);
    out = static_cast<int32_t>(neg ? 0u - u : u);
    return true;
  }
  const uint64_t limit = neg ? 2147483648ull : 2147483647ull;
  for (; i < n; ++i) {
    if (!IsDigit(s[i])) return false;
    v = v * 10 + static_cast<unsigned>(s[i] - '0');
    if (v > limit) return false;
  }
  out = neg ? static_cast<int32_t>(-static_cast<int64_t>(v)) : static_cast<int32_t>(v);
  return true;
}

bool ReadFloatText(std::string_view s, double& out) {
  if (ReadShortDecimal(s, out)) return true;
  const char* p = s.data();
  const char* const end = p + s.size();
  while (p < end && *p == ' ') ++p;
  bool neg = false;
  if (p < end && (*p == '+' || *p == '-')) neg = *p++ == '-';

  // The digits go into `mant` while it has room for one more (19 or 20 of
  // them), scaled by 10^exp10; the quick path leaves longer ones to strtold,
  // given the validated text.
  constexpr unsigned long long kRoom = 1844674407370955161ull;  // (2^64 - 1) / 10
  const char* const mantStart = p;
  unsigned long long mant = 0;
  long long exp10 = 0;
  bool exact = true;
  const char* const intStart = p;
  for (; p < end && IsDigit(*p); ++p) {
    if (mant < kRoom) {
      mant = mant * 10 + static_cast<unsigned>(*p - '0');
    } else {
      exact = exact && *p == '0';
      ++exp10;
    }
  }
  bool any = p > intStart;
  if (p < end && *p == '.') {
    const char* const fracStart = ++p;
    for (; p < end && IsDigit(*p); ++p) {
      if (mant < kRoom) {
        mant = mant * 10 + static_cast<unsigned>(*p - '0');
        --exp10;
      } else {
        exact = exact && *p == '0';
      }
    }
    any = any || p > fracStart;
  }
  if (!any) return false;
  const char* const mantEnd = p;
  long long e = 0;
  if (p < end && (*p == 'e' || *p == 'E')) {
    ++p;
    bool eneg = false;
    if (p < end && (*p == '+' || *p == '-')) eneg = *p++ == '-';
    if (p == end) return false;
    for (; p < end; ++p) {
      if (!IsDigit(*p)) return false;
      if (e < 100000) e = e * 10 + (*p - '0');
    }
    if (eneg) e = -e;
  }
  if (p != end) return false;

  const long long scale = exp10 + e;
  long double v;
  if (mant == 0) {
    v = 0;
  } else if (exact && mant <= kExactMantissa && scale >= -kExactPow10 && scale <= kExactPow10) {
    // One correctly rounded operation: the same value strtold gives.
    v = scale >= 0 ? static_cast<long double>(mant) * Pow10(static_cast<int>(scale))
                   : static_cast<long double>(mant) / Pow10(static_cast<int>(-scale));
  } else {
    std::string text(mantStart, mantEnd);
    text += 'e';
    text += std::to_string(e);
    v = StrToLongDoubleC(text.c_str());
  }
  const double d = static_cast<double>(neg ? -v : v);
  if (!std::isfinite(d)) return false;
  out = d;
  return true;
}

namespace {

// The decimal digits of |value| and its decimal exponent, rounded to `keep`
// significant digits, halves away from zero. digits holds exactly `keep`
// characters; the value is 0.d1d2... x 10^(exp + 1), i.e. d1 sits at 10^exp.
struct TDecimal {
  char digits[32];
  int exp;
};

TDecimal RoundSignificant(double value, int keep) {
  TDecimal r{};
  const double a = std::fabs(value);
  char buf[800];
  // Two more digits than kept tell the direction, except when they read "50":
  // then the 17-digit text itself was rounded and only the exact one decides.
  auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, keep + 1);
  char* ePos = static_cast<char*>(std::memchr(buf, 'e', static_cast<size_t>(res.ptr - buf)));
  int exp = 0;
  std::from_chars(ePos + (ePos[1] == '+' ? 2 : 1), res.ptr, exp);
  char all[20];
  int na = 0;
  for (char* p = buf; p < ePos; ++p)
    if (*p != '.') all[na++] = *p;
  bool up = all[keep] > '5' || (all[keep] == '5' && all[keep + 1] != '0');
  if (all[keep] == '5' && all[keep + 1] == '0') {
    res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, 767);
    up = buf[keep + 1] >= '5';  // buf[0] is d1, buf[1] the point
  }
  std::memcpy(r.digits, all, static_cast<size_t>(keep));
  if (up) {
    int k = keep - 1;
    while (k >= 0 && r.digits[k] == '9') r.digits[k--] = '0';
    if (k >= 0) {
      ++r.digits[k];
    } else {
      r.digits[0] = '1';
      ++exp;
    }
  }
  r.exp = exp;
  return r;
}

bool AppendNonFinite(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "NAN";
    return true;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-INF" : "INF";
    return true;
  }
  return false;
}

}  // namespace

void AppendGeneralFloat(std::string& out, double value) {
  if (AppendNonFinite(out, value)) return;
  if (value == 0) {
    out += '0';
    return;
  }
  constexpr int kDigits = 15;
  const TDecimal d = RoundSignificant(value, kDigits);
  int used = kDigits;
  while (used > 1 && d.digits[used - 1] == '0') --used;
  if (value < 0) out += '-';
  if (d.exp >= kDigits || d.exp < -4) {
    out += d.digits[0];
    if (used > 1) {
      out += '.';
      out.append(d.digits + 1, static_cast<size_t>(used - 1));
    }
    out += 'E';
    char eb[8];
    auto r = std::to_chars(eb, eb + sizeof eb, d.exp);
    out.append(eb, r.ptr);
    return;
  }
  if (d.exp < 0) {
    out += "0.";
    out.append(static_cast<size_t>(-d.exp - 1), '0');
    out.append(d.digits, static_cast<size_t>(used));
    return;
  }
  const int intDigits = d.exp + 1;
  for (int k = 0; k < intDigits; ++k) out += k < used ? d.digits[k] : '0';
  if (used > intDigits) {
    out += '.';
    out.append(d.digits + intDigits, static_cast<size_t>(used - intDigits));
  }
}

std::string FormatFixedGrouped(int decimals, double value, std::string_view decimalSep,
                               std::string_view thousandsSep) {
  std::string out;
  if (AppendNonFinite(out, value)) return out;
  if (decimals < 0) decimals = 0;
  if (decimals > 18) decimals = 18;
  // The exact expansion: a double has at most 309 integer and 1074 fraction digits.
  char buf[1500];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed, 1074);
  const char* point = static_cast<const char*>(std::memchr(buf, '.', static_cast<size_t>(res.ptr - buf)));
  std::string digits(static_cast<const char*>(buf), point);  // integer digits, then the kept decimals
  digits.append(point + 1, static_cast<size_t>(decimals));
  if (point[1 + decimals] >= '5') {
    int k = static_cast<int>(digits.size()) - 1;
    while (k >= 0 && digits[static_cast<size_t>(k)] == '9') digits[static_cast<size_t>(k--)] = '0';
    if (k >= 0)
      ++digits[static_cast<size_t>(k)];
    else
      digits.insert(digits.begin(), '1');
  }
  const size_t intDigits = digits.size() - static_cast<size_t>(decimals);
  if (value < 0 && digits.find_first_not_of('0') != std::string::npos) out += '-';
  for (size_t k = 0; k < intDigits; ++k) {
    if (k > 0 && (intDigits - k) % 3 == 0) out += thousandsSep;
    out += digits[k];
  }
  if (decimals > 0) {
    out += decimalSep;
    out.append(digits, intDigits, std::string::npos);
  }
  return out;
}

void AppendDecimalInt(std::string& out, int32_t value) {
  char b[16];
  auto r = std::to_chars(b, b + sizeof b, value);
  out.append(b, r.ptr);
}

void AppendHexInt(std::string& out, int32_t value) {
  char b[16];
  auto r = std::to_chars(b, b + sizeof b, static_cast<uint32_t>(value), 16);
  for (char* p = b; p < r.ptr; ++p)
    if (*p >= 'a') *p = static_cast<char>(*p - 'a' + 'A');
  out.append(b, r.ptr);
}
