// The entity stage: which record form each line becomes, with which attributes.
#include <gtest/gtest.h>

#include <string>

#include "ExchangeTest.h"
#include "exchange/KdxGaibu.h"

namespace {

class Entities : public TExchangeTest {};

}  // namespace

TEST_F(Entities, CirclesAndArcs) {
  Parse({"ci 10 20 5", "ci 0 0 10 0 90 0.5 30", "ci 0 0 10 0 90", "ci 1 2 3 "});
  ASSERT_EQ(CircleCount, 1);
  EXPECT_EQ(Circles[0].CX, 10.0);
  EXPECT_EQ(Circles[0].CY, 20.0);
  EXPECT_EQ(Circles[0].R, 5.0);
  ASSERT_EQ(ArcCount, 1);
  const TArcRec& a = Arcs[0];
  EXPECT_EQ(a.StartAngle, 0.0);
  EXPECT_EQ(a.EndAngle, 90.0);
  EXPECT_EQ(a.Flatness, 0.5);
  EXPECT_EQ(a.Tilt, 30.0);
  ASSERT_EQ(EntityOrderCount, 2);
  EXPECT_EQ(EntityOrder[0].Kind, kKindCircle);
  EXPECT_EQ(EntityOrder[0].Index, 0);
  EXPECT_EQ(EntityOrder[1].Kind, kKindArc);
  EXPECT_EQ(LineCount, 0);  // five numbers, or three and a trailing blank: nothing
}

TEST_F(Entities, FourTokensOfAnyKeywordAreAPlainLine) {
  Parse({"pt 1 2 3", "ch 1 2 3", "sl 1 2 3", "ci 1 2"});
  ASSERT_EQ(LineCount, 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Lines[i].X1, 0.0);
    EXPECT_EQ(Lines[i].Y1, 1.0);
    EXPECT_EQ(Lines[i].X2, 2.0);
    EXPECT_EQ(Lines[i].Y2, 3.0);
  }
  EXPECT_EQ(EntityOrder[2].Kind, kKindLine);
  EXPECT_EQ(EntityOrder[2].Index, 2);
}

TEST_F(Entities, AttributesAreStampedAndZFlagsUsedOnce) {
  Parse({"lg2", "ly3", "lc4", "lt5", "lw6", "hhp9", "z1", "z3", "0 0 1 1", "1 1 2 2", "z2",
         "ci 0 0 1", "2 2 3 3"});
  const TEntAttr& a = Lines[0].Attr;
  EXPECT_EQ(a.Hhp, 9);
  EXPECT_EQ(a.LayerGroup, 2);
  EXPECT_EQ(a.Layer, 3);
  EXPECT_EQ(a.Color, 4);
  EXPECT_EQ(a.LineType, 5);
  EXPECT_EQ(a.LineWidth, 6);
  EXPECT_EQ(a.ZFlags, 5);
  EXPECT_EQ(Lines[1].Attr.ZFlags, 0);
  EXPECT_EQ(Circles[0].Attr.ZFlags, 2);
  EXPECT_EQ(Lines[2].Attr.ZFlags, 0);
}

TEST_F(Entities, TablesGrowByAThousandAtATime) {
  for (int i = 0; i < 1000; ++i) ParseLine("0 0 1 1");
  EXPECT_EQ(Lines.Length(), 1000);
  EXPECT_EQ(EntityOrder.Length(), 1000);
  ParseLine("5 6 7 8");
  EXPECT_EQ(LineCount, 1001);
  EXPECT_EQ(Lines.Length(), 2000);
  EXPECT_EQ(EntityOrder.Length(), 2000);
  EXPECT_EQ(Lines[999].X2, 1.0);
  EXPECT_EQ(Lines[1000].Y2, 8.0);
  EXPECT_EQ(Lines[1001].X1, 0.0);  // beyond the count: zero
}

TEST_F(Entities, TextsTakeTheSizeOfTheirKind) {
  Parse({"hcw 1 2 3 4 5 6 7 8 9 10", "hcc 11 12 13 14 15 16 17 18 19 20", "cn3", "cn$Gothic",
         "cc4", "ch 1 2 3 4 Hello", "cn0 2.5 3.5 0.5 6", "cv 5 6 7 8 \"two words\""});
  ASSERT_EQ(TextCount, 2);
  const TTextRec& t = Texts[0];
  EXPECT_EQ(t.TextType, 0);
  EXPECT_EQ(t.Cc, 4);
  EXPECT_EQ(t.TextKind, 3);
  EXPECT_EQ(t.Width, 3.0);
  EXPECT_EQ(t.Height, 3.0);
  EXPECT_EQ(t.Attr.Color, 13);
  EXPECT_EQ(t.Values[3], 4.0);
  EXPECT_EQ(t.FontName, "Gothic");
  EXPECT_EQ(t.Text, "Hello");
  const TTextRec& u = Texts[1];
  EXPECT_EQ(u.TextType, 1);
  EXPECT_EQ(u.TextKind, 0);
  EXPECT_EQ(u.Width, 2.5);
  EXPECT_EQ(u.Spacing, 0.5);
  EXPECT_EQ(u.Attr.Color, 6);
  EXPECT_EQ(u.Text, "two words\"");
  Parse({"ct 1 2 3 4 " + std::string(300, 'x')});
  EXPECT_EQ(Texts[2].Text.size(), 255u);
  Parse({"ck 1 2 3 4"});  // five tokens: no text, no line
  EXPECT_EQ(TextCount, 3);
  EXPECT_EQ(LineCount, 0);
}

TEST_F(Entities, LineWithTextAfterMsg) {
  Parse({"msg", "1 2 3 4", "cs 0 0 0 0 Label"});
  EXPECT_EQ(LineTextCount, 1);
  EXPECT_EQ(LineCount, 0);
  EXPECT_EQ(TextCount, 0);
  EXPECT_EQ(LineTexts[0].Line.X2, 3.0);
  EXPECT_EQ(LineTexts[0].Text.TextType, 2);
  EXPECT_EQ(LineTexts[0].Text.Text, "Label");
  EXPECT_EQ(EntityOrder[0].Kind, kKindLineText);
  EXPECT_FALSE(MsgPending);

  Parse({"msg", "5 6 7 8", "ch 0 0 0 0 T"});
  EXPECT_EQ(TextCount, 1);
  EXPECT_EQ(LineTextCount, 1);
  EXPECT_EQ(LineCount, 0);  // the held line is in no table
  EXPECT_FALSE(MsgPending);

  GaibuInit();
  Parse({"msg", "cs 0 0 0 0 Bare"});
  const TLineRec& l = LineTexts[0].Line;
  EXPECT_EQ(l.X1, 0.0);
  EXPECT_EQ(l.X2, 1.0);
  EXPECT_EQ(l.Attr.Color, 1);
  EXPECT_EQ(l.Attr.LineType, 1);
}

TEST_F(Entities, PointsAndBlocks) {
  Parse({"lt3", "pn7", "pt 1 2", "pt 1 2 3 4", "pt 1 2 3 4 5 6", "BL 9 8 door", "BL 9 8"});
  ASSERT_EQ(PointCount, 1);
  EXPECT_EQ(Points[0].Attr.Color, 7);
  EXPECT_EQ(Points[0].Attr.LineType, 3);
  EXPECT_EQ(Points[0].Y, 2.0);
  ASSERT_EQ(PointExCount, 1);  // four operands: no point at all
  EXPECT_EQ(PointsEx[0].Value2, 4.0);
  EXPECT_EQ(PointsEx[0].Value3, 5);
  EXPECT_EQ(PointsEx[0].Attr.Color, 7);
  ASSERT_EQ(BlockCount, 1);
  EXPECT_EQ(Blocks[0].BlockName, "door");
  EXPECT_EQ(Blocks[0].X, 9.0);
}

TEST_F(Entities, SolidsDropTheCornersTheyFindCoinciding) {
  Parse({"lc10 42",
         "sl 1 1 1 1 1 1 1 1",            // all one point: 2 corners, P1 and P4
         "sl 0 0 0 0 5 0 5 5",            // P1 = P2: P1 P3 P4
         "sl 0 0 5 0 0 0",                // three corners, P1 = P3 only: kept
         "sl 0 0 5 0 0 0 5 0",            // P1 = P3, P2 = P4: P1 P2 P3
         "sl 0 0 1e-11 0 5 5 6 6",        // 1e-11 apart counts as the same
         "sl 0 0 1e-9 0 5 5 6 6",         // 1e-9 apart does not
         "sl 1 2 3", "sl 1 2 3 4", "sl 1 2 3 4 5", "sl 1 2 3 4 5 6 7"});
  ASSERT_EQ(Solid2Count, 2);  // and one of two corners
  EXPECT_EQ(Solids2[0].ExtColor, 42);
  EXPECT_EQ(Solids2[0].X2, 1.0);
  ASSERT_EQ(Solid3Count, 4);
  EXPECT_EQ(Solids3[0].X2, 5.0);
  EXPECT_EQ(Solids3[0].Y3, 5.0);
  EXPECT_EQ(Solids3[1].X3, 0.0);
  EXPECT_EQ(Solids3[2].X2, 5.0);
  EXPECT_EQ(Solids3[2].X3, 0.0);
  EXPECT_EQ(Solids3[3].X2, 5.0);
  EXPECT_EQ(Solid4Count, 1);
  EXPECT_EQ(LineCount, 1);  // four tokens; six and eight are no form at all
  EXPECT_EQ(EntityOrder[1].Kind, kKindSolid3);
}

TEST_F(Entities, NumericSolids) {
  Parse({"lc10 3", "sc 1 2 3 4 5 6 7 8", "se 1 2 3 4 5 6 7 -2", "so 1 2 3 4 5 6 7 8",
         "sg 8 7 6 5 4 3 2 1 0", "sc 1 2 3 4 5 6 7"});
  ASSERT_EQ(SolidScCount, 1);
  EXPECT_EQ(SolidsSc[0].IntValue, 8);
  EXPECT_EQ(SolidsSc[0].Values[6], 7.0);
  EXPECT_EQ(SolidsSc[0].ExtColor, 3);
  EXPECT_EQ(SolidsSe[0].IntValue, -2);
  EXPECT_EQ(SolidsSo[0].Values[7], 8.0);
  EXPECT_EQ(SolidsSg[0].Values[0], 8.0);
  EXPECT_EQ(SolidSgCount, 1);
  EXPECT_EQ(EntityOrder[3].Kind, kKindSolidSg);
}
