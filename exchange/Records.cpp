// The record dispatch: each line of the exchange file goes to the header and
// attribute records here, or on to the entity stage.
#include "exchange/Records.h"

#include <string>

#include "exchange/Entities.h"
#include "exchange/State.h"
#include "geometry/NumConv.h"

namespace {

// Token 0 from its `pos`-th byte on (counting from 1), like the host's own
// string positions.
std::string_view From(std::string_view s, size_t pos) {
  return pos - 1 < s.size() ? s.substr(pos - 1) : std::string_view();
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// ---- "h": header values, designated points, the entity group ----------------

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
  DesignatedPoints[static_cast<size_t>(n)] = TDesignatedPoint{true, NumberAt(t, 1), NumberAt(t, 2), kind};
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

bool HeaderRecord(const TTokens& t) {
  const std::string_view key = t[0];
  const size_t n = t.Count;
  if (key == "hk" && n >= 2) {
    HkValue = NumberAt(t, 1);
    return true;
  }
  if (key == "hs" && n >= 17) {
    for (size_t g = 0; g < 16; ++g) GroupScales[g] = NumberAt(t, g + 1);
    return true;
  }
  if (key == "hzs" && n >= 3) {
    SheetWidth = NumberAt(t, 1);
    SheetHeight = NumberAt(t, 2);
    return true;
  }
  if (n >= 11 && (key == "hcw" || key == "hch" || key == "hcd" || key == "hcc")) {
    for (size_t k = 1; k <= 10; ++k) {
      TTextKind& kind = TextKinds[k];
      if (key == "hcw") kind.Width = NumberAt(t, k);
      if (key == "hch") kind.Height = NumberAt(t, k);
      if (key == "hcd") kind.Spacing = NumberAt(t, k);
      if (key == "hcc") kind.Color = IntegerAt(t, k);
    }
    return true;
  }
  if (key == "hn" && n >= 5) {
    for (size_t k = 0; k < 4; ++k) HnValues[k] = NumberAt(t, k + 1);
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
}

// ---- "l": layer names, layer group, layer, line colour, type and width -------

// "lg" and "ly" carry their number as one hex digit at the third position.
int32_t HexDigitAt3(std::string_view key) {
  if (key.size() < 3) return 0;
  const char text[2] = {'$', key[2]};
  return StrToIntZ(std::string_view(text, 2));
}

// The first record of its kind also sets the first-seen attribute.
void TakeAttr(int32_t value, bool& pending, int32_t& first, int32_t& current) {
  if (pending) {
    first = value;
    pending = false;
  }
  current = value;
  PolylineOpen = false;
}

bool LayerRecord(const TTokens& t) {
  const std::string_view key = t[0];
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
    const int32_t value = HexDigitAt3(key);
    TakeAttr(value, AttrPending.Lg, FirstLayerGroup, CurLayerGroup);
    if (t.Count >= 2 && static_cast<size_t>(value) < LayerGroupValues.size())
      LayerGroupValues[static_cast<size_t>(value)] = IntegerAt(t, 1);
    return true;
  }
  if (StartsWith(key, "ly")) {
    const int32_t value = HexDigitAt3(key);
    TakeAttr(value, AttrPending.Ly, FirstLayer, CurLayer);
    const size_t index = static_cast<size_t>(CurLayerGroup) * 16 + static_cast<size_t>(value);
    if (t.Count >= 2 && index < LayerValues.size()) LayerValues[index] = IntegerAt(t, 1);
    return true;
  }
  // "lc", "lt", "lw": a decimal number from the third position on.
  if (StartsWith(key, "lc")) {
    TakeAttr(StrToIntZ(From(key, 3)), AttrPending.Lc, FirstLineColor, CurLineColor);
    if (CurLineColor == 10 && t.Count >= 2) CurLineColorExt = IntegerAt(t, 1);
    return true;
  }
  if (StartsWith(key, "lt")) {
    TakeAttr(StrToIntZ(From(key, 3)), AttrPending.Lt, FirstLineType, CurLineType);
    return true;
  }
  if (StartsWith(key, "lw")) {
    TakeAttr(StrToIntZ(From(key, 3)), AttrPending.Lw, FirstLineWidth, CurLineWidth);
    return true;
  }
  return false;
}

// ---- "c": font, text kind and size, text placement ---------------------------

void TakeTextKind(const TTokens& t) {
  const int32_t value = StrToIntZ(From(t[0], 3));
  const bool sized = value == 0 && t.Count >= 5;
  if (AttrPending.Cn) {
    FirstTextKind = value;
    if (sized) FirstTextSize = TTextSize{NumberAt(t, 1), NumberAt(t, 2), NumberAt(t, 3), IntegerAt(t, 4)};
    AttrPending.Cn = false;
  }
  CurTextKind = value;
  if (sized) {
    CurTextWidth = NumberAt(t, 1);
    CurTextHeight = NumberAt(t, 2);
    CurTextSpacing = NumberAt(t, 3);
    CurTextColor = IntegerAt(t, 4);
  }
  PolylineOpen = false;
}

bool TextAttrRecord(const TTokens& t) {
  const std::string_view key = t[0];
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
}

// ---- "z", "p", "m", "#": entity flags, pen, polylines, messages, comments ------

bool SequenceRecord(std::string_view key) {
  if (key.size() == 2 && key[0] == 'z' && key[1] >= '1' && key[1] <= '5') {
    CurZFlags |= 1 << (key[1] - '1');
    return true;
  }
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
  if (key == "msg") {
    MsgPending = true;
    PolylineOpen = false;
    return true;
  }
  if (key == "#") {
    PolylineOpen = false;
    MsgPending = false;
    return true;
  }
  return false;
}

// The header and attribute records; true when one took the line. "file="
// anywhere in token 0 comes first. The other keywords are told apart by
// their first letter, and within a family a keyword is tried before any
// keyword it begins with: "lgn" before "lg", "lyn" before "ly", "cn$" before
// "cn". A keyword whose record has too few tokens takes nothing, and the
// line goes on to the entity stage, where four tokens make a plain line.
bool AttributeRecord(const TTokens& t) {
  const std::string_view key = t[0];
  if (FindChar(key, "file=") != std::string_view::npos) {
    DrawingFileName = std::string(From(key, 6));
    return true;
  }
  if (key.empty()) return false;
  switch (key[0]) {
    case 'h': return HeaderRecord(t);
    case 'b':
      if (key != "bz") return false;
      BzSeen = true;
      return true;
    case 'l': return LayerRecord(t);
    case 'c': return TextAttrRecord(t);
    case 'z':
    case 'p':
    case 'm':
    case '#': return SequenceRecord(key);
    default: return false;
  }
}

bool IsKeywordStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '#'; }

}  // namespace

// Every keyword begins with a letter or "#", and a token 0 with "file=" in
// it is the whole line: four tokens led by anything else, the most common
// line, can only be a plain line, whatever came before it.
bool IsPlainLine(const TTokens& t) { return t.Count == 4 && !IsKeywordStart(t.Tok[0][0]); }

void TRecordParser::Parse(std::string_view line) {
  Tokenize(line, scratch_, tokens_);
  if (tokens_.Count == 1 && tokens_.Tok[0].empty()) return;  // empty, or blanks only
  if (IsPlainLine(tokens_)) {
    ParsePlainLine(tokens_);
    return;
  }
  if (AttributeRecord(tokens_)) return;
  ParseEntityRecord(tokens_);
}

void ParseLine(std::string_view line) { TRecordParser().Parse(line); }
