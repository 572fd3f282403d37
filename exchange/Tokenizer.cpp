// The tokenizer: one line of the exchange file into its tokens.
#include "exchange/Tokenizer.h"

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// What the tokenizer does with each byte value.
enum TByteClass : uint8_t { kKeep, kDrop, kLead, kQuote, kEquals, kBlank };

constexpr auto kByteClasses = [] {
  std::array<TByteClass, 256> t{};
  for (size_t c = 0; c < 256; ++c) {
    if (IsLeadByte(static_cast<unsigned char>(c))) t[c] = kLead;
    else if (c == '"') t[c] = kQuote;
    else if (c == '=') t[c] = kEquals;
    else if (c == ' ' || c == '\t') t[c] = kBlank;
    else if (c >= 0x20 && c <= 0xFD) t[c] = kKeep;
    else t[c] = kDrop;
  }
  return t;
}();

// Most lines are printable ASCII words between blanks; their tokens are
// slices of the line itself. False, with nothing decided, for any other line.
bool SplitPlainLine(std::string_view line, TTokens& out) {
  const char* const begin = line.data();
  const char* const end = begin + line.size();
  const char* start = begin;  // where the current token begins
  size_t cur = 0;
  auto blankAt = [&](const char* p) {
    if (p > start) {
      if (cur < TTokens::kTable) out.Tok[cur] = std::string_view(start, static_cast<size_t>(p - start));
      ++cur;
    }
    start = p + 1;
  };
  const char* p = begin;
#if defined(__SSE2__)
  // Sixteen bytes at a time while they are blanks, or printable ASCII other
  // than the quote and "="; the byte-by-byte walk takes any other block.
  const __m128i blank = _mm_set1_epi8(' '), del = _mm_set1_epi8(0x7F);
  const __m128i quote = _mm_set1_epi8('"'), equals = _mm_set1_epi8('=');
  for (; end - p >= 16; p += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i blanks = _mm_cmpeq_epi8(v, blank);
    const __m128i printable = _mm_and_si128(_mm_cmpgt_epi8(v, blank), _mm_cmplt_epi8(v, del));
    const __m128i special = _mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, equals));
    const __m128i plain = _mm_or_si128(_mm_andnot_si128(special, printable), blanks);
    if (_mm_movemask_epi8(plain) != 0xFFFF) break;
    for (auto m = static_cast<unsigned>(_mm_movemask_epi8(blanks)); m != 0; m &= m - 1)
      blankAt(p + __builtin_ctz(m));
  }
#endif
  for (; p < end; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (kByteClasses[c] == kKeep) continue;
    if (c != ' ') return false;
    blankAt(p);
  }
  if (cur < TTokens::kTable) out.Tok[cur] = std::string_view(start, static_cast<size_t>(end - start));
  out.Count = cur + 1;
  return true;
}

}  // namespace

// Every kept byte goes to the scratch buffer, tokens past the table too (the
// buffer is as long as the line); only the first 32 tokens are recorded.
void Tokenize(std::string_view line, std::string& scratch, TTokens& out) {
  if (SplitPlainLine(line, out)) return;
  if (scratch.size() < line.size()) scratch.resize(line.size());
  char* const buf = scratch.data();
  const char* p = line.data();
  const char* const end = p + line.size();
  char* w = buf;
  char* start = buf;  // where the current token begins
  size_t cur = 0;     // its index
  while (p < end) {
    const auto c = static_cast<unsigned char>(*p);
    const TByteClass k = kByteClasses[c];
    if (k == kKeep) {  // most bytes
      *w++ = static_cast<char>(c);
      ++p;
      continue;
    }
    if (k == kDrop) {
      ++p;
      continue;
    }
    if (k == kLead) {
      if (p + 1 == end) break;  // a lead byte without its second byte is dropped
      *w++ = p[0];
      *w++ = p[1];
      p += 2;
      continue;
    }
    // A quote, "=", a blank or a tab: special while splitting is on.
    if (c == '"') {
      ++p;
    } else if (c == '=') {
      *w++ = '=';
      ++p;
    } else {
      ++p;
      if (w > start) {  // an empty current token stays current
        if (cur < TTokens::kTable) out.Tok[cur] = std::string_view(start, static_cast<size_t>(w - start));
        ++cur;
        start = w;
      }
      continue;
    }
    // Splitting is off: the rest of the line belongs to this token; tabs and
    // other control bytes are still dropped, double-byte characters kept whole.
    while (p < end) {
      const auto d = static_cast<unsigned char>(*p);
      if (IsLeadByte(d)) {
        if (p + 1 == end) break;
        *w++ = p[0];
        *w++ = p[1];
        p += 2;
      } else {
        if (d >= 0x20 && d <= 0xFD) *w++ = static_cast<char>(d);
        ++p;
      }
    }
  }
  if (cur < TTokens::kTable) out.Tok[cur] = std::string_view(start, static_cast<size_t>(w - start));
  out.Count = cur + 1;
}

size_t FindChar(std::string_view text, std::string_view needle) {
  // A byte search first: only a find needs the walk over the characters,
  // which goes on from where the last find left it, so that a line of finds
  // on second bytes costs no more than one walk over the line.
  size_t i = 0;  // a character start
  for (size_t p = text.find(needle); p != std::string_view::npos; p = text.find(needle, p + 1)) {
    while (i < p) i += IsLeadByte(static_cast<unsigned char>(text[i])) ? size_t{2} : size_t{1};
    if (i == p) return p;
  }
  return std::string_view::npos;
}
