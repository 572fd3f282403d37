// A test that starts from a fresh exchange state and feeds it lines.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>

#include "exchange/KdxGaibu.h"

class TExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override { GaibuInit(); }
  static void Parse(std::initializer_list<std::string_view> lines) {
    for (auto l : lines) ParseLine(l);
  }
};

// The exchange state as text, every value exact: two reads of the same file
// must give the same.
inline std::string StateDump() {
  std::ostringstream s;
  s << std::hexfloat;
  auto attr = [&](const TEntAttr& a) {
    s << a.Hhp << ' ' << a.LayerGroup << ' ' << a.Layer << ' ' << a.Color << ' ' << a.LineType << ' '
      << a.LineWidth << ' ' << a.ZFlags << ' ';
  };
  auto line = [&](const TLineRec& l) {
    attr(l.Attr);
    s << l.PolylineNo << ' ' << l.X1 << ' ' << l.Y1 << ' ' << l.X2 << ' ' << l.Y2 << '\n';
  };
  auto text = [&](const TTextRec& t) {
    attr(t.Attr);
    s << t.TextType << ' ' << t.Cc << ' ' << t.TextKind << ' ' << t.Width << ' ' << t.Height << ' '
      << t.Spacing << ' ' << t.Values[0] << ' ' << t.Values[3] << ' ' << t.FontName << '|' << t.Text << '\n';
  };
  for (int32_t i = 0; i < EntityOrderCount; ++i) {
    const TEntOrder e = EntityOrder[i];
    s << e.Kind << ':';
    if (e.Kind == kKindLine) line(Lines[e.Index]);
    if (e.Kind == kKindCircle) {
      attr(Circles[e.Index].Attr);
      s << Circles[e.Index].CX << ' ' << Circles[e.Index].CY << ' ' << Circles[e.Index].R << '\n';
    }
    if (e.Kind == kKindArc) {
      const TArcRec& a = Arcs[e.Index];
      attr(a.Attr);
      s << a.CX << ' ' << a.CY << ' ' << a.R << ' ' << a.StartAngle << ' ' << a.EndAngle << ' '
        << a.Flatness << ' ' << a.Tilt << '\n';
    }
    if (e.Kind == kKindText) text(Texts[e.Index]);
    if (e.Kind == kKindLineText) {
      line(LineTexts[e.Index].Line);
      text(LineTexts[e.Index].Text);
    }
    if (e.Kind == kKindPoint) s << Points[e.Index].X << ' ' << Points[e.Index].Y << '\n';
    if (e.Kind == kKindBlock) s << Blocks[e.Index].X << ' ' << Blocks[e.Index].BlockName << '\n';
    if (e.Kind == kKindSolid4) s << Solids4[e.Index].X4 << ' ' << Solids4[e.Index].ExtColor << '\n';
    s << '\n';
  }
  line(PendingLine);
  for (size_t i = 0; i < DesignatedPoints.size(); ++i)
    if (DesignatedPoints[i].Present) s << "hp" << i << ' ' << DesignatedPoints[i].X << ' ' << DesignatedPoints[i].Y << '\n';
  for (const std::string& n : LayerGroupNames) s << n << '|';
  s << DrawingFileName << '|' << HkValue << ' ' << SheetWidth << ' ' << FirstLayerGroup << ' ' << FirstLineColor
    << ' ' << FirstFontName << ' ' << CurLayer << ' ' << CurPen << ' ' << CurZFlags << ' ' << PolylineGroupCount
    << ' ' << PolylineOpen << MsgPending << '\n';
  return s.str();
}
