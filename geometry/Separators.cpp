#include "geometry/Separators.h"

#include <optional>
#include <string_view>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#endif

namespace {

// A separator the Shift-JIS exchange file can carry: printable ASCII as it is,
// the Unicode spaces some locales group with as a blank, anything else not.
std::optional<std::string> Representable(std::u32string_view sep) {
  if (sep.empty()) return std::nullopt;
  std::string out;
  for (char32_t c : sep) {
    if (c >= 0x20 && c < 0x7F)
      out += static_cast<char>(c);
    else if (c == 0x00A0 || c == 0x2009 || c == 0x202F)
      out += ' ';
    else
      return std::nullopt;
  }
  return out;
}

#ifdef _WIN32
std::u32string LocaleText(LCTYPE type) {
  wchar_t buf[8] = {};
  std::u32string out;
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buf, 8) > 0)
    for (const wchar_t* p = buf; *p; ++p) out += static_cast<char32_t>(*p);
  return out;
}

TSeparators ReadLocale() {
  TSeparators s;
  if (auto d = Representable(LocaleText(LOCALE_SDECIMAL))) s.Decimal = *d;
  if (auto t = Representable(LocaleText(LOCALE_STHOUSAND))) s.Thousands = *t;
  return s;
}
#else
// Locale strings are ASCII or UTF-8; decode the latter one code point at a time.
std::u32string Decode(const char* text) {
  std::u32string out;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (p && *p) {
    char32_t c = *p;
    int more = c < 0x80 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (more < 0) return U"\uFFFD";
    c &= more ? (0x3Fu >> more) : 0x7Fu;
    for (++p; more > 0; --more, ++p) {
      if ((*p & 0xC0) != 0x80) return U"\uFFFD";
      c = (c << 6) | (*p & 0x3Fu);
    }
    out += c;
  }
  return out;
}

TSeparators ReadLocale() {
  TSeparators s;
  locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (!loc) return s;
  if (auto d = Representable(Decode(nl_langinfo_l(RADIXCHAR, loc)))) s.Decimal = *d;
  if (auto t = Representable(Decode(nl_langinfo_l(THOUSEP, loc)))) s.Thousands = *t;
  freelocale(loc);
  return s;
}
#endif

std::optional<TSeparators>& Current() {
  static std::optional<TSeparators> seps;
  return seps;
}

}  // namespace

const TSeparators& UserSeparators() {
  auto& seps = Current();
  if (!seps) seps = ReadLocale();
  return *seps;
}

void SetUserSeparators(const TSeparators& seps) { Current() = seps; }
