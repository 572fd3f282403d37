// The exchange file reader: lines, tokens, and the header and attribute records.
#include <array>
#include <cstring>
#include <new>

#include "FileIO.h"
#include "KdxGaibu.h"
#include "MyFunc.h"
#include "Tokens.h"

namespace {

// What the tokenizer does with each byte value.
enum TByteClass : uint8_t { kKeep, kDrop, kLead, kQuote, kEquals, kBlank };

constexpr auto kByteClasses = [] {
  std::array<TByteClass, 256> t{};
  for (int c = 0; c < 256; ++c) {
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
  for (const char* p = begin; p < end; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (kByteClasses[c] == kKeep) continue;
    if (c != ' ') return false;
    if (p > start) {
      if (cur < TTokens::kTable) out.Tok[cur] = std::string_view(start, static_cast<size_t>(p - start));
      ++cur;
    }
    start = p + 1;
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
  // A byte search first: only a find needs the walk over the characters.
  for (size_t p = text.find(needle); p != std::string_view::npos; p = text.find(needle, p + 1)) {
    size_t i = 0;
    while (i < p) i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i == p) return p;
  }
  return std::string_view::npos;
}

namespace {

// Token 0 from its `pos`-th byte on (counting from 1), like the host's own
// string positions.
std::string_view From(std::string_view s, size_t pos) {
  return pos - 1 < s.size() ? s.substr(pos - 1) : std::string_view();
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// "lg" and "ly" carry their number as one hex digit at the third position.
int32_t HexDigitAt3(std::string_view key) {
  if (key.size() < 3) return 0;
  const char text[2] = {'$', key[2]};
  return StrToIntZ(std::string_view(text, 2));
}

void TakeLayerGroup(const TTokens& t) {
  const int32_t value = HexDigitAt3(t[0]);
  if (AttrPending.Lg) {
    FirstLayerGroup = value;
    AttrPending.Lg = false;
  }
  CurLayerGroup = value;
  if (t.Count >= 2 && static_cast<size_t>(value) < LayerGroupValues.size())
    LayerGroupValues[static_cast<size_t>(value)] = OpInt(t, 1);
  PolylineOpen = false;
}

void TakeLayer(const TTokens& t) {
  const int32_t value = HexDigitAt3(t[0]);
  if (AttrPending.Ly) {
    FirstLayer = value;
    AttrPending.Ly = false;
  }
  CurLayer = value;
  const size_t index = static_cast<size_t>(CurLayerGroup) * 16 + static_cast<size_t>(value);
  if (t.Count >= 2 && index < LayerValues.size()) LayerValues[index] = OpInt(t, 1);
  PolylineOpen = false;
}

// "lc", "lt", "lw": a decimal number from the third position on.
void TakeLineAttr(std::string_view key, bool& pending, int32_t& first, int32_t& current) {
  const int32_t value = StrToIntZ(From(key, 3));
  if (pending) {
    first = value;
    pending = false;
  }
  current = value;
  PolylineOpen = false;
}

void TakeTextKind(const TTokens& t) {
  const int32_t value = StrToIntZ(From(t[0], 3));
  const bool sized = value == 0 && t.Count >= 5;
  if (AttrPending.Cn) {
    FirstTextKind = value;
    if (sized) FirstTextSize = TTextSize{Op(t, 1), Op(t, 2), Op(t, 3), OpInt(t, 4)};
    AttrPending.Cn = false;
  }
  CurTextKind = value;
  if (sized) {
    CurTextWidth = Op(t, 1);
    CurTextHeight = Op(t, 2);
    CurTextSpacing = Op(t, 3);
    CurTextColor = OpInt(t, 4);
  }
  PolylineOpen = false;
}

void TakeDesignatedPoint(const TTokens& t) {
  const std::string_view key = t[0];
  int32_t kind = 0;
  std::string_view number = From(key, 3);
  static constexpr std::string_view kSuffixes[] = {"-", "ln", "ci", "ch"};
  for (int32_t s = 0; s < 4; ++s) {
    const size_t p = FindChar(key, kSuffixes[s]);
    if (p != std::string_view::npos && p >= 2) {
      number = key.substr(2, p - 2);
      kind = s + 1;
    }
  }
  const int32_t n = StrToIntZ(number);
  if (n < 1 || n > 99 || static_cast<size_t>(n) >= DesignatedPoints.size()) return;
  DesignatedPoints[static_cast<size_t>(n)] = TDesignatedPoint{true, Op(t, 1), Op(t, 2), kind};
  ++DesignatedPointCount;
}

// "hhp": the number runs from the fourth position to a suffix "ln", "ci" or "ch".
void TakeEntityGroup(std::string_view key) {
  size_t length = key.size();
  for (std::string_view suffix : {"ln", "ci", "ch"}) {
    const size_t p = FindChar(key, suffix);
    if (p != std::string_view::npos && p > 3) length = p - 3;
  }
  CurHhp = StrToIntZ(From(key, 4).substr(0, length));
}

template <size_t N>
void TakeOperands(const TTokens& t, double (&out)[N]) {
  for (size_t k = 0; k < N; ++k) out[k] = Op(t, k + 1);
}

// Rows of the record table up to the entity stage; true when one took the line.
bool ParseHeaderRecord(const TTokens& t) {
  const std::string_view key = t[0];
  const size_t n = t.Count;
  if (FindChar(key, "file=") != std::string_view::npos) {
    DrawingFileName = std::string(From(key, 6));
    return true;
  }
  if (key.empty()) return false;
  switch (key[0]) {
    case 'h':
      if (key == "hk" && n >= 2) {
        HkValue = Op(t, 1);
        return true;
      }
      if (key == "hs" && n >= 17) {
        for (size_t g = 0; g < 16; ++g) GroupScales[g] = Op(t, g + 1);
        return true;
      }
      if (key == "hzs" && n >= 3) {
        SheetWidth = Op(t, 1);
        SheetHeight = Op(t, 2);
        return true;
      }
      if (n >= 11 && (key == "hcw" || key == "hch" || key == "hcd" || key == "hcc")) {
        for (size_t k = 1; k <= 10; ++k) {
          TTextKind& kind = TextKinds[k];
          if (key == "hcw") kind.Width = Op(t, k);
          if (key == "hch") kind.Height = Op(t, k);
          if (key == "hcd") kind.Spacing = Op(t, k);
          if (key == "hcc") kind.Color = OpInt(t, k);
        }
        return true;
      }
      if (key == "hn" && n >= 5) {
        for (size_t k = 0; k < 4; ++k) HnValues[k] = Op(t, k + 1);
        return true;
      }
      if (StartsWith(key, "hp") && n >= 3) {
        TakeDesignatedPoint(t);
        return true;
      }
      if (StartsWith(key, "hhp")) {
        TakeEntityGroup(key);
        return true;
      }
      return false;
    case 'b':
      if (key == "bz") {
        BzSeen = true;
        return true;
      }
      return false;
    case 'l':
      if (StartsWith(key, "lgn")) {
        if (static_cast<size_t>(CurLayerGroup) < LayerGroupNames.size())
          LayerGroupNames[static_cast<size_t>(CurLayerGroup)] = std::string(From(key, 4));
        return true;
      }
      if (StartsWith(key, "lyn")) {
        const size_t index = static_cast<size_t>(CurLayerGroup) * 16 + static_cast<size_t>(CurLayer);
        if (index < LayerNames.size()) LayerNames[index] = std::string(From(key, 4));
        return true;
      }
      if (StartsWith(key, "lg")) {
        TakeLayerGroup(t);
        return true;
      }
      if (StartsWith(key, "ly")) {
        TakeLayer(t);
        return true;
      }
      if (StartsWith(key, "lc")) {
        TakeLineAttr(key, AttrPending.Lc, FirstLineColor, CurLineColor);
        if (CurLineColor == 10 && n >= 2) CurLineColorExt = OpInt(t, 1);
        return true;
      }
      if (StartsWith(key, "lt")) {
        TakeLineAttr(key, AttrPending.Lt, FirstLineType, CurLineType);
        return true;
      }
      if (StartsWith(key, "lw")) {
        TakeLineAttr(key, AttrPending.Lw, FirstLineWidth, CurLineWidth);
        return true;
      }
      return false;
    case 'c':
      if (StartsWith(key, "cn$")) {
        const std::string_view name = From(key, 4);
        if (FirstFontName.empty()) FirstFontName = std::string(name);
        CurFontName = std::string(name);
        PolylineOpen = false;
        return true;
      }
      if (StartsWith(key, "cn")) {
        TakeTextKind(t);
        return true;
      }
      if (StartsWith(key, "cc")) {
        const int32_t cc = StrToIntZ(From(key, 3).substr(0, 1));
        CurTextCc = cc >= 0 && cc <= 8 ? cc : 0;
        PolylineOpen = false;
        return true;
      }
      return false;
    case 'z':
      if (key.size() == 2 && key[1] >= '1' && key[1] <= '5') {
        CurZFlags |= 1 << (key[1] - '1');
        return true;
      }
      return false;
    case 'p':
      if (StartsWith(key, "pn")) {
        CurPen = StrToIntZ(From(key, 3));
        PolylineOpen = false;
        return true;
      }
      if (key == "pl") {
        ++PolylineGroupCount;
        PolylineOpen = true;
        MsgPending = false;
        return true;
      }
      return false;
    case 'm':
      if (key == "msg") {
        MsgPending = true;
        PolylineOpen = false;
        return true;
      }
      return false;
    case '#':
      if (key == "#") {
        PolylineOpen = false;
        MsgPending = false;
        return true;
      }
      return false;
    default:
      return false;
  }
}

}  // namespace

void ParseLine(std::string_view line) {
  static std::string scratch;
  static TTokens t;  // kept: the tokens of the line before are overwritten, never read
  Tokenize(line, scratch, t);
  if (t.Count == 1 && t.Tok[0].empty()) return;
  if (ParseHeaderRecord(t)) return;
  ParseEntityRecord(t);
}

bool LoadExchangeFile(const std::filesystem::path& path) {
  TLockWait wait;  // for a program that still holds the fresh file
  TFileReader file(&wait);
  if (!file.Open(path)) return false;  // missing, unreadable, or not a regular file
  try {
    static constexpr size_t kChunk = 1 << 20;
    std::string buf(kChunk, '\0');
    std::string pending;  // a line that runs past the end of a chunk
    std::string noCr;
    // A CR that does not end the line is dropped from it, before the line is
    // split: a lead byte pairs with the byte after the CR.
    auto deliver = [&](std::string_view line) {
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (std::memchr(line.data(), '\r', line.size())) {
        noCr.clear();
        for (char c : line)
          if (c != '\r') noCr += c;
        line = noCr;
      }
      ParseLine(line);
    };
    for (;;) {
      const long long got = file.Read(buf.data(), kChunk);
      if (got < 0) return false;
      if (got == 0) break;
      const char* p = buf.data();
      const char* end = p + got;
      while (p < end) {
        // Ctrl-Z at the start of a line ends the input. Each turn begins a
        // line, except where a line runs on from the chunk before.
        if (pending.empty() && *p == '\x1A') return true;
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        if (!lf) {
          pending.append(p, end);
          break;
        }
        if (pending.empty()) {
          deliver(std::string_view(p, static_cast<size_t>(lf - p)));
        } else {
          pending.append(p, lf);
          deliver(pending);
          pending.clear();
        }
        p = lf + 1;
      }
    }
    if (!pending.empty()) deliver(pending);
    return file.Close();
  } catch (const std::bad_alloc&) {
    return false;
  }
}
