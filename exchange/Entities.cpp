// Entity records into their tables: circles, arcs and ellipses, texts, points,
// blocks and solids, and the plain line of four numbers, each with the
// attributes current at its line and an entry in EntityOrder.
#include "exchange/Entities.h"

#include "geometry/Plane.h"

void CopyCurAttrs(TEntAttr& attr) {
  attr = TEntAttr{CurHhp, CurLayerGroup, CurLayer, CurLineColor, CurLineType, CurLineWidth,
                  CurZFlags};
}

void AppendEntityOrder(int32_t kind, int32_t index) {
  EntityOrder.Append() = TEntOrder{kind, index};
}

namespace {

std::string ShortText(std::string_view s) { return std::string(s.substr(0, kShortTextMax)); }

// Every record but the plain line ends what was in force before it.
void EndRecord() {
  CurZFlags = 0;
  PolylineOpen = false;
  MsgPending = false;
}

// Solid corners coincide on the finer grid.
bool SameXY(TPointD p, TPointD q) { return Coincide(p, q, kFineTolerance); }

TPointD Corner(const TTokens& t, size_t k) { return {NumberAt(t, 2 * k - 1), NumberAt(t, 2 * k)}; }

// The text type of "ch", "cv", "cs", "cr", "co", "cp", "ct", "ck", "cz", "c2"
// (0 to 9), from the letter after the "c"; -1 for any other.
int32_t TextTypeOf(char second) {
  static constexpr std::string_view kSeconds = "hvsroptkz2";
  const size_t i = kSeconds.find(second);
  return i == std::string_view::npos ? -1 : static_cast<int32_t>(i);
}

// Steps shared by texts and the text part of a line with text.
void FillText(TTextRec& rec, int32_t textType, const TTokens& t) {
  rec.TextType = textType;
  rec.Cc = CurTextCc;
  rec.TextKind = CurTextKind;
  if (CurTextKind >= 1 && CurTextKind <= 10) {
    const TTextKind& k = TextKinds[static_cast<size_t>(CurTextKind)];
    rec.Width = k.Width;
    rec.Height = k.Height;
    rec.Spacing = k.Spacing;
    rec.Attr.Color = k.Color;
  } else {
    rec.Width = CurTextWidth;
    rec.Height = CurTextHeight;
    rec.Spacing = CurTextSpacing;
    rec.Attr.Color = CurTextColor;
  }
  for (size_t k = 0; k < 4; ++k) rec.Values[k] = NumberAt(t, k + 1);
  rec.FontName = ShortText(CurFontName);
  rec.Text = ShortText(t[5]);
}

void AddText(int32_t textType, const TTokens& t) {
  if (MsgPending && textType == 2) {  // "cs" while a "msg" is in force
    TLineTextRec& rec = AppendEntity(kKindLineText, LineTexts);
    CopyCurAttrs(rec.Attr);
    rec.Line = PendingLine;
    rec.Line.PolylineNo = 0;
    CopyCurAttrs(rec.Text.Attr);
    FillText(rec.Text, 2, t);
    return;
  }
  TTextRec& rec = AppendEntity(kKindText, Texts);
  CopyCurAttrs(rec.Attr);
  FillText(rec, textType, t);
}

void AddSolid2(TPointD a, TPointD b) {
  TSolid2Rec& r = AppendEntity(kKindSolid2, Solids2);
  CopyCurAttrs(r.Attr);
  r.ExtColor = CurLineColorExt;
  r.X1 = a.X, r.Y1 = a.Y, r.X2 = b.X, r.Y2 = b.Y;
}

void AddSolid3(TPointD a, TPointD b, TPointD c) {
  TSolid3Rec& r = AppendEntity(kKindSolid3, Solids3);
  CopyCurAttrs(r.Attr);
  r.ExtColor = CurLineColorExt;
  r.X1 = a.X, r.Y1 = a.Y, r.X2 = b.X, r.Y2 = b.Y, r.X3 = c.X, r.Y3 = c.Y;
}

void AddSolid(const TTokens& t) {
  const size_t n = t.Count;
  if (n == 5) {
    AddSolid2(Corner(t, 1), Corner(t, 2));
    return;
  }
  if (n == 7) {
    const TPointD p1 = Corner(t, 1), p2 = Corner(t, 2), p3 = Corner(t, 3);
    if (SameXY(p1, p2))
      AddSolid2(p1, p3);
    else if (SameXY(p2, p3))
      AddSolid2(p1, p2);
    else
      AddSolid3(p1, p2, p3);
    return;
  }
  const TPointD p1 = Corner(t, 1), p2 = Corner(t, 2), p3 = Corner(t, 3), p4 = Corner(t, 4);
  if (SameXY(p1, p2) && SameXY(p1, p3))
    AddSolid2(p1, p4);
  else if (SameXY(p2, p3) && SameXY(p2, p4))
    AddSolid2(p1, p2);
  else if (SameXY(p1, p2) && SameXY(p3, p4))
    AddSolid2(p1, p3);
  else if (SameXY(p4, p1) || SameXY(p4, p2) || SameXY(p4, p3))
    AddSolid3(p1, p2, p3);
  else if (SameXY(p3, p1) || SameXY(p3, p2))
    AddSolid3(p1, p2, p4);
  else if (SameXY(p2, p1))
    AddSolid3(p1, p3, p4);
  else {
    TSolid4Rec& r = AppendEntity(kKindSolid4, Solids4);
    CopyCurAttrs(r.Attr);
    r.ExtColor = CurLineColorExt;
    r.X1 = p1.X, r.Y1 = p1.Y, r.X2 = p2.X, r.Y2 = p2.Y;
    r.X3 = p3.X, r.Y3 = p3.Y, r.X4 = p4.X, r.Y4 = p4.Y;
  }
}

template <class T>
void AddNumericSolid(int32_t kind, TGrowTable<T>& table, const TTokens& t) {
  T& r = AppendEntity(kind, table);
  CopyCurAttrs(r.Attr);
  r.ExtColor = CurLineColorExt;
  constexpr size_t kValues = sizeof(r.Values) / sizeof(r.Values[0]);
  for (size_t k = 0; k < kValues; ++k) r.Values[k] = NumberAt(t, k + 1);
  if constexpr (requires { r.IntValue; }) r.IntValue = IntegerAt(t, 8);
}

}  // namespace

void ParsePlainLine(const TTokens& t) { AddPlainLine(NumberAt(t, 0), NumberAt(t, 1), NumberAt(t, 2), NumberAt(t, 3)); }

void AddPlainLine(double x1, double y1, double x2, double y2) {
  if (MsgPending) {
    CopyCurAttrs(PendingLine.Attr);
    PendingLine.PolylineNo = 0;
    PendingLine.X1 = x1, PendingLine.Y1 = y1, PendingLine.X2 = x2, PendingLine.Y2 = y2;
  } else {
    TLineRec& r = AppendEntity(kKindLine, Lines);
    CopyCurAttrs(r.Attr);
    r.PolylineNo = PolylineOpen ? PolylineGroupCount : 0;
    r.X1 = x1, r.Y1 = y1, r.X2 = x2, r.Y2 = y2;
  }
  CurZFlags = 0;
}

namespace {

// "ci": circles and arcs; "c" and another letter: texts.
bool ParseCircleOrText(const TTokens& t) {
  const std::string_view key = t[0];
  const size_t n = t.Count;
  if (key == "ci" && n == 4) {
    TCircleRec& r = AppendEntity(kKindCircle, Circles);
    CopyCurAttrs(r.Attr);
    r.CX = NumberAt(t, 1), r.CY = NumberAt(t, 2), r.R = NumberAt(t, 3);
    return true;
  }
  if (key == "ci" && n >= 8) {
    TArcRec& r = AppendEntity(kKindArc, Arcs);
    CopyCurAttrs(r.Attr);
    r.CX = NumberAt(t, 1), r.CY = NumberAt(t, 2), r.R = NumberAt(t, 3);
    r.StartAngle = NumberAt(t, 4), r.EndAngle = NumberAt(t, 5), r.Flatness = NumberAt(t, 6), r.Tilt = NumberAt(t, 7);
    return true;
  }
  const int32_t textType = TextTypeOf(key[1]);
  if (n >= 6 && textType >= 0) {
    AddText(textType, t);
    return true;
  }
  return false;
}

// True when one of the entity forms (not the plain line) took the line.
// Every keyword here has two letters; the first tells the family apart.
bool ParseEntityForm(const TTokens& t) {
  const std::string_view key = t[0];
  const size_t n = t.Count;
  if (key.size() != 2) return false;
  if (key[0] == 'c') return ParseCircleOrText(t);
  if (key == "pt" && n == 3) {
    TPointRec& r = AppendEntity(kKindPoint, Points);
    CopyCurAttrs(r.Attr);
    r.X = NumberAt(t, 1), r.Y = NumberAt(t, 2);
    r.Attr.Color = CurPen;
    return true;
  }
  if (key == "pt" && n >= 6) {
    TPointExRec& r = AppendEntity(kKindPointEx, PointsEx);
    CopyCurAttrs(r.Attr);
    r.X = NumberAt(t, 1), r.Y = NumberAt(t, 2);
    r.Attr.Color = CurPen;
    r.Value1 = NumberAt(t, 3), r.Value2 = NumberAt(t, 4);
    r.Value3 = IntegerAt(t, 5);
    return true;
  }
  if (key == "BL" && n >= 4) {
    TKdxEntBlk& r = AppendEntity(kKindBlock, Blocks);
    CopyCurAttrs(r.Attr);
    r.X = NumberAt(t, 1), r.Y = NumberAt(t, 2);
    r.BlockName = std::string(t[3]);
    return true;
  }
  if (key == "sl" && (n == 5 || n == 7 || n >= 9)) {
    AddSolid(t);
    return true;
  }
  if (n >= 9) {
    if (key == "sc") AddNumericSolid(kKindSolidSc, SolidsSc, t);
    else if (key == "se") AddNumericSolid(kKindSolidSe, SolidsSe, t);
    else if (key == "so") AddNumericSolid(kKindSolidSo, SolidsSo, t);
    else if (key == "sg") AddNumericSolid(kKindSolidSg, SolidsSg, t);
    else return false;
    return true;
  }
  return false;
}

}  // namespace

void ParseEntityRecord(const TTokens& t) {
  if (ParseEntityForm(t)) {
    EndRecord();
    return;
  }
  if (t.Count == 4) ParsePlainLine(t);
}
