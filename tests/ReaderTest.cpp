// Reading the exchange file: the tokenizer, the record dispatch, the header
// and attribute records, and the file itself.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include "ExchangeTest.h"
#include "TempDir.h"
#include "WorkerThreads.h"
#include "exchange/KdxGaibu.h"
#include "exchange/SjisText.h"
#include "exchange/Tokenizer.h"

namespace {

struct TSplit {
  std::vector<std::string> Tokens;
  size_t Count;
};

TSplit Split(std::string_view line) {
  std::string scratch;
  TTokens t;
  Tokenize(line, scratch, t);
  TSplit s{{}, t.Count};
  for (size_t i = 0; i < t.Count && i < TTokens::kTable; ++i) s.Tokens.emplace_back(t.Tok[i]);
  return s;
}

using V = std::vector<std::string>;

class Reader : public TExchangeTest {};

}  // namespace

TEST(Tokenizer, BlanksAndTabsSplitWhileSplittingIsOn) {
  EXPECT_EQ(Split("  pt 1\t\t2").Tokens, (V{"pt", "1", "2"}));
  EXPECT_EQ(Split("").Count, 1u);
  EXPECT_EQ(Split(" \t ").Tokens, (V{""}));
  // A blank after the last word makes an empty token current, which counts.
  EXPECT_EQ(Split("pt 1 2 ").Tokens, (V{"pt", "1", "2", ""}));
}

TEST(Tokenizer, QuoteAndEqualsStopSplitting) {
  EXPECT_EQ(Split("lgn\"A B C").Tokens, (V{"lgnA B C"}));
  EXPECT_EQ(Split("ch 1 2 3 4 \"two words\" \"x").Tokens,
            (V{"ch", "1", "2", "3", "4", "two words\" \"x"}));
  // After "=", blanks stay, tabs are dropped, quotes are ordinary.
  EXPECT_EQ(Split("file=C:\\My Dir\\a\tb.dat \"q\"").Tokens, (V{"file=C:\\My Dir\\ab.dat \"q\""}));
  EXPECT_EQ(Split("a b=c d").Tokens, (V{"a", "b=c d"}));
}

TEST(Tokenizer, DoubleByteCharactersStayWhole) {
  // Second bytes that look like a quote, a blank or "=" neither stop nor split.
  EXPECT_EQ(Split("ab\x81\x22" "cd ef").Tokens, (V{"ab\x81\x22" "cd", "ef"}));
  EXPECT_EQ(Split("\x82 x y").Tokens, (V{"\x82 x", "y"}));
  EXPECT_EQ(Split("\x83= z").Tokens, (V{"\x83=", "z"}));
  EXPECT_EQ(Split("\xE0\x09q r").Tokens, (V{"\xE0\x09q", "r"}));
  // Half-width katakana are single bytes.
  EXPECT_EQ(Split("\xB1\xB2 x").Tokens, (V{"\xB1\xB2", "x"}));
  // A lead byte without its second byte is dropped.
  EXPECT_EQ(Split("abc\x82").Tokens, (V{"abc"}));
  EXPECT_EQ(Split("\x9F").Tokens, (V{""}));
}

TEST(Tokenizer, ControlBytesAreDropped) {
  EXPECT_EQ(Split(std::string("a\x01" "b\0c\r d\xFE\xFF", 10)).Tokens, (V{"abc", "d"}));
  EXPECT_EQ(Split("x\x1Ay").Tokens, (V{"xy"}));
}

// Lines of plain words are split as slices of the line, sixteen bytes at a
// time where they are ASCII; the same lines with a tab somewhere go the long
// way. Both must give the same tokens.
TEST(Tokenizer, PlainLinesSplitAsAnyOther) {
  std::mt19937 rng(11);
  const std::string alphabet = "ab01.-+e   ab01.-+e   \x7F\xB1";  // DEL and a half-width kana: kept
  for (int i = 0; i < 40000; ++i) {
    std::string line;
    const int n = static_cast<int>(rng() % 90);
    for (int k = 0; k < n; ++k) line += alphabet[rng() % alphabet.size()];
    // A tab splits as a blank does; the blank version is a plain line.
    std::string tabbed = line + " ";
    tabbed[rng() % tabbed.size()] = '\t';
    std::string spaced = tabbed;
    for (char& c : spaced)
      if (c == '\t') c = ' ';
    const TSplit slow = Split(tabbed), plain = Split(spaced);
    ASSERT_EQ(plain.Tokens, slow.Tokens) << line;
    ASSERT_EQ(plain.Count, slow.Count) << line;
  }
}

TEST(Tokenizer, TokensPastTheTableAreCountedNotKept) {
  std::string line;
  for (int i = 1; i <= 40; ++i) line += std::to_string(i) + " ";
  const TSplit s = Split(line);
  EXPECT_EQ(s.Count, 41u);  // the trailing blank makes one more
  ASSERT_EQ(s.Tokens.size(), 32u);
  EXPECT_EQ(s.Tokens[31], "32");
  std::string million(2000000, ' ');
  for (size_t i = 0; i < million.size(); i += 2) million[i] = 'a';
  EXPECT_EQ(Split(million).Count, 1000001u);
}

TEST_F(Reader, DefaultsAfterInit) {
  Parse({"hk 5", "lc3", "ci 0 0 1"});
  GaibuInit();
  GaibuInit();
  EXPECT_EQ(SheetWidth, 1189.0);
  EXPECT_EQ(SheetHeight, 841.0);
  for (double s : GroupScales) EXPECT_EQ(s, 1.0);
  for (size_t k = 1; k <= 10; ++k) {
    EXPECT_EQ(TextKinds[k].Width, 3.0);
    EXPECT_EQ(TextKinds[k].Height, 3.0);
    EXPECT_EQ(TextKinds[k].Spacing, 0.0);
    EXPECT_EQ(TextKinds[k].Color, 2);
  }
  EXPECT_EQ(CurFontName, kDefaultFontName);
  EXPECT_EQ(CurPen, 1);
  EXPECT_EQ(FirstLineColor, 1);
  EXPECT_EQ(CurLineColor, 1);
  EXPECT_EQ(HkValue, 0.0);
  EXPECT_EQ(DesignatedPointCount, 0);
  EXPECT_EQ(CircleCount, 0);
  EXPECT_EQ(EntityOrderCount, 0);
  EXPECT_EQ(Circles.Length(), 0);
  EXPECT_EQ(DesignatedPoints.size(), 100u);
  EXPECT_EQ(LayerNames.size(), 256u);
  EXPECT_EQ(PendingLine.Attr.Color, 1);
  EXPECT_EQ(PendingLine.X2, 1.0);
}

TEST_F(Reader, HeaderRecords) {
  Parse({"file=C:\\drawings\\plan 1.dat", "hk 2.5", "hzs 420 297", "bz", "hn 1 2 3 4",
         "hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16",
         "hcw 1 2 3 4 5 6 7 8 9 10", "hcc 1 2 3 4 5 6 7 8 9 10"});
  EXPECT_EQ(DrawingFileName, "C:\\drawings\\plan 1.dat");
  EXPECT_EQ(HkValue, 2.5);
  EXPECT_EQ(SheetWidth, 420.0);
  EXPECT_EQ(SheetHeight, 297.0);
  EXPECT_TRUE(BzSeen);
  EXPECT_EQ(HnValues[3], 4.0);
  EXPECT_EQ(GroupScales[15], 16.0);
  EXPECT_EQ(TextKinds[10].Width, 10.0);
  EXPECT_EQ(TextKinds[1].Height, 3.0);
  EXPECT_EQ(TextKinds[7].Color, 7);
  EXPECT_EQ(LineCount, 0);
}

TEST_F(Reader, RecordsWithTooFewTokensFallThrough) {
  // "hs" with three operands is four tokens: a plain line whose keyword reads 0.
  Parse({"hs 1 2 3", "hk", "hcw 1 2 3 4 5 6 7 8 9"});
  ASSERT_EQ(LineCount, 1);
  EXPECT_EQ(Lines[0].X1, 0.0);
  EXPECT_EQ(Lines[0].Y1, 1.0);
  EXPECT_EQ(Lines[0].X2, 2.0);
  EXPECT_EQ(Lines[0].Y2, 3.0);
  EXPECT_EQ(GroupScales[0], 1.0);
  EXPECT_EQ(HkValue, 0.0);
  // "pt" with two operands and a trailing blank is four tokens too.
  Parse({"pt 5 6 "});
  ASSERT_EQ(LineCount, 2);
  EXPECT_EQ(Lines[1].Y1, 5.0);
  EXPECT_EQ(Lines[1].X2, 6.0);
  EXPECT_EQ(Lines[1].Y2, 0.0);
  EXPECT_EQ(PointCount, 0);
}

TEST_F(Reader, FileRecordMatchesOnlyAtCharacterStarts) {
  // "\x82" "f" is one character; "file=" does not begin inside it.
  Parse({"\x82" "file=x"});
  EXPECT_EQ(DrawingFileName, "");
  Parse({"ab\x82\x82" "file=y"});
  EXPECT_EQ(DrawingFileName, "ile=y");  // found, and taken from the sixth byte on
  // Finds inside characters, then one at a character start.
  Parse({"\x82" "file=" "\x82" "file=" "file=z"});
  EXPECT_EQ(DrawingFileName, "=\x82" "file=file=z");
}

TEST_F(Reader, FirstSeenAndCurrentAttributes) {
  Parse({"lg3", "ly5", "lc5", "lt2", "lw4", "cn0 2.5 3.5 0.5 4", "lg4", "lyA", "lc7", "lt3",
         "lw1", "cn3"});
  EXPECT_EQ(FirstLayerGroup, 3);
  EXPECT_EQ(FirstLayer, 5);
  EXPECT_EQ(FirstLineColor, 5);
  EXPECT_EQ(FirstLineType, 2);
  EXPECT_EQ(FirstLineWidth, 4);
  EXPECT_EQ(FirstTextKind, 0);
  EXPECT_EQ(FirstTextSize.Width, 2.5);
  EXPECT_EQ(FirstTextSize.Color, 4);
  EXPECT_EQ(CurLayerGroup, 4);
  EXPECT_EQ(CurLayer, 10);
  EXPECT_EQ(CurLineColor, 7);
  EXPECT_EQ(CurLineType, 3);
  EXPECT_EQ(CurLineWidth, 1);
  EXPECT_EQ(CurTextKind, 3);
  EXPECT_EQ(CurTextHeight, 3.5);  // kept from the explicit size
}

TEST_F(Reader, LayerNumbersAreOneHexDigit) {
  Parse({"lga"});
  EXPECT_EQ(CurLayerGroup, 10);
  Parse({"lgx"});
  EXPECT_EQ(CurLayerGroup, 0);
  Parse({"lgF 7", "ly"});
  EXPECT_EQ(CurLayerGroup, 15);
  EXPECT_EQ(LayerGroupValues[15], 7);
  EXPECT_EQ(CurLayer, 0);
  Parse({"ly2 9", "lgn\"Site plan", "lyn\x8C\x9A\x95\xA8"});
  EXPECT_EQ(LayerValues[15 * 16 + 2], 9);
  EXPECT_EQ(LayerGroupNames[15], "Site plan");
  EXPECT_EQ(LayerNames[15 * 16 + 2], "\x8C\x9A\x95\xA8");
  Parse({"lg\x82\xA0"});  // a double-byte character where the digit belongs
  EXPECT_EQ(CurLayerGroup, 0);
}

TEST_F(Reader, ColourTextAndPenRecords) {
  Parse({"lc10 3", "lc5 9"});
  EXPECT_EQ(CurLineColorExt, 3);
  Parse({"cn$", "cn$\x82l\x82r\x96\xBE\x92\xA9", "cn$Arial"});
  EXPECT_EQ(FirstFontName, "\x82l\x82r\x96\xBE\x92\xA9");
  EXPECT_EQ(CurFontName, "Arial");
  Parse({"cc5"});
  EXPECT_EQ(CurTextCc, 5);
  Parse({"cc9"});
  EXPECT_EQ(CurTextCc, 0);
  Parse({"pn12", "z1", "z3", "z3"});
  EXPECT_EQ(CurPen, 12);
  EXPECT_EQ(CurZFlags, 5);
  Parse({"z6"});  // no such record, and one token: ignored
  EXPECT_EQ(CurZFlags, 5);
}

TEST_F(Reader, PolylineAndMessageSequencing) {
  Parse({"0 0 1 0", "pl", "1 0 2 0", "hk 1", "z2", "hp1 0 0", "2 0 3 0", "lc2", "3 0 4 0", "pl",
         "4 0 5 0", "#", "5 0 6 0"});
  ASSERT_EQ(LineCount, 6);
  EXPECT_EQ(Lines[0].PolylineNo, 0);
  EXPECT_EQ(Lines[1].PolylineNo, 1);
  EXPECT_EQ(Lines[2].PolylineNo, 1);  // header, "hp" and z records keep the run
  EXPECT_EQ(Lines[2].Attr.ZFlags, 2);
  EXPECT_EQ(Lines[3].PolylineNo, 0);  // an attribute record ends it
  EXPECT_EQ(Lines[4].PolylineNo, 2);
  EXPECT_EQ(Lines[5].PolylineNo, 0);
  Parse({"msg", "7 7 8 8", "9 9 10 10"});
  EXPECT_EQ(LineCount, 6);
  EXPECT_EQ(PendingLine.X1, 9.0);
  EXPECT_TRUE(MsgPending);
  Parse({"pl"});
  EXPECT_FALSE(MsgPending);
  Parse({"msg", "ci 0 0 1"});
  EXPECT_FALSE(MsgPending);
  EXPECT_FALSE(PolylineOpen);
}

TEST_F(Reader, DesignatedPoints) {
  Parse({"hp1ln 10 20", "hp2- 3 4", "hp3ci 5 6", "hp4ch 7 8", "hp100 1 2", "hp5 9", "hp1 11 12"});
  EXPECT_EQ(DesignatedPointCount, 5);  // a repeated number counts again
  EXPECT_TRUE(DesignatedPoints[1].Present);
  EXPECT_EQ(DesignatedPoints[1].X, 11.0);
  EXPECT_EQ(DesignatedPoints[1].Kind, 0);
  EXPECT_EQ(DesignatedPoints[2].Kind, 1);
  EXPECT_EQ(DesignatedPoints[2].Y, 4.0);
  EXPECT_EQ(DesignatedPoints[3].Kind, 3);
  EXPECT_EQ(DesignatedPoints[4].Kind, 4);
  EXPECT_FALSE(DesignatedPoints[5].Present);  // one operand: not a point record
  Parse({"hp6ln 1 2"});
  EXPECT_EQ(DesignatedPoints[6].Kind, 2);
  EXPECT_EQ(LineCount, 0);
}

TEST_F(Reader, EntityGroupNumber) {
  Parse({"hhp12ln"});
  EXPECT_EQ(CurHhp, 12);
  Parse({"hhp7"});
  EXPECT_EQ(CurHhp, 7);
  Parse({"hhp34ci", "0 0 1 1"});
  EXPECT_EQ(Lines[0].Attr.Hhp, 34);
  Parse({"hhpch"});
  EXPECT_EQ(CurHhp, 0);
}

TEST_F(Reader, LoadsLinesEndedByLfOrCrLf) {
  TTempDir dir;
  WriteBytes(dir / "x.txt", "hk 1\r\nhzs 2 3\n\n   \t\r\nlc4\r\nci 0 0 5");
  EXPECT_TRUE(LoadExchangeFile(dir / "x.txt"));
  EXPECT_EQ(HkValue, 1.0);
  EXPECT_EQ(SheetHeight, 3.0);
  EXPECT_EQ(CurLineColor, 4);
  ASSERT_EQ(CircleCount, 1);  // the last line needs no line end
  EXPECT_EQ(Circles[0].R, 5.0);
}

TEST_F(Reader, LoneCrIsDroppedBeforeSplitting) {
  TTempDir dir;
  // The CR goes first, so the lead byte pairs with "a", not with the CR.
  WriteBytes(dir / "x.txt", "hk 1\r2\r\nlgn\x82\ra b\r\n");
  EXPECT_TRUE(LoadExchangeFile(dir / "x.txt"));
  EXPECT_EQ(HkValue, 12.0);
  EXPECT_EQ(LayerGroupNames[0], "\x82" "a");
}

TEST_F(Reader, CtrlZAtALineStartEndsTheInput) {
  TTempDir dir;
  WriteBytes(dir / "x.txt", "hk 4\x1A" "5\r\n\x1Ahk 2\r\nhk 3\r\n");
  EXPECT_TRUE(LoadExchangeFile(dir / "x.txt"));
  EXPECT_EQ(HkValue, 45.0);
}

TEST_F(Reader, LongLinesAcrossReadBlocks) {
  TTempDir dir;
  std::string big = "hk 7\n" + std::string("file=") + std::string(3 << 20, 'x') + "\nhzs 1 2\n";
  WriteBytes(dir / "x.txt", big);
  EXPECT_TRUE(LoadExchangeFile(dir / "x.txt"));
  EXPECT_EQ(HkValue, 7.0);
  EXPECT_EQ(DrawingFileName.size(), size_t{3 << 20});
  EXPECT_EQ(SheetWidth, 1.0);
}

// A large file is read on two threads, one taking the lines apart and one
// taking them into the state: the state is the one thread's, every value.
TEST_F(Reader, LargeFilesReadTheSameOnOneThreadOrTwo) {
  static const char* const kLines[] = {
      "12.5 -3 1e3 0.001", "lg3", "ly2 7", "lc10 4", "lt2", "lw1", "cn0 2 3 0.5 6", "cn$\x82l\x82r font",
      "z1", "z3", "pl", "msg", "#", "hp1 1 2", "hp2ln 3 4", "hhp5ci", "ci 1 2 3", "ci 1 2 3 0 90 0.5 10",
      "ch 1 2 3 4 \"\x95\xB6\x8E\x9A and words", "cs 0 0 1 0 x", "pt 5 6", "pt 1 2 3 4 5", "BL 1 2 door",
      "sl 0 0 1 0 1 1 0 1", "lgn\"site plan", "file=C:\\drawings\\a b.dat", "1\t2 3 4", "x y z w",
      "a\rb c d e", "  7 8 9 10  ", "hs 1 2 3", "-0 +1 .5 5.", "", "\x82 a b c"};
  std::mt19937 rng(7);
  std::string input;
  for (int i = 0; i < 200000; ++i) {
    input += kLines[rng() % std::size(kLines)];
    input += rng() % 2 ? "\r\n" : "\n";
    if (i % 70000 == 0) input += "file=" + std::string(1500000, 'y') + "\r\n";  // across read blocks
  }
  input += "hk 9\r\n\x1Ahk 10\r\n";
  TTempDir dir;
  WriteBytes(dir / "x.txt", input);
  std::string dumps[2];
  for (unsigned threads : {1u, 2u}) {
    TWorkerThreads set(threads);
    GaibuInit();
    EXPECT_TRUE(LoadExchangeFile(dir / "x.txt"));
    EXPECT_EQ(HkValue, 9.0);
    dumps[threads - 1] = StateDump();
  }
  EXPECT_GT(EntityOrderCount, 50000);
  EXPECT_GT(LineCount, 1000);
  EXPECT_TRUE(dumps[0] == dumps[1]);
}

TEST_F(Reader, WhatIsNotARegularFileIsNotRead) {
  TTempDir dir;
  HkValue = 3;
  EXPECT_FALSE(LoadExchangeFile(dir / "missing.txt"));
  EXPECT_EQ(HkValue, 3.0);
  std::filesystem::create_directory(dir / "QZT_TEMP.TXT");
  EXPECT_FALSE(LoadExchangeFile(dir / "QZT_TEMP.TXT"));
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_FALSE(LoadExchangeFile(dir / "fifo"));  // returns at once, no writer needed
  WriteBytes(dir / "empty.txt", "");
  EXPECT_TRUE(LoadExchangeFile(dir / "empty.txt"));
  EXPECT_EQ(EntityOrderCount, 0);
}
