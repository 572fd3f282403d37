// The reply: attribute suppression, pen mapping, record forms, the file
// written from them, and what the reader makes of it again.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TempDir.h"
#include "exchange/KdxGaibu.h"
#include "geometry/MyFunc.h"
#include "geometry/Separators.h"

namespace {

std::vector<std::string> Records() {
  std::vector<std::string> out;
  for (int32_t i = 0; i < OutLineCount; ++i) out.emplace_back(OutLines[i]);
  return out;
}

using V = std::vector<std::string>;

class Writer : public ::testing::Test {
 protected:
  void SetUp() override {
    GaibuInit();
    ResetOutAttrs();
  }
};

}  // namespace

TEST_F(Writer, AttributesAreWrittenOnceAfterReset) {
  OutLayerGroup(0);
  OutLayer(0);
  OutPen(1, 0);
  OutLayerGroup(0);
  OutLayer(0);
  OutPen(1, 0);
  EXPECT_EQ(Records(), (V{"lg0", "ly0", "pn1"}));
  // A new group makes the unchanged layer count again.
  OutLayerGroup(11);
  OutLayer(0);
  OutLayer(15);
  OutPen(12, 0);
  EXPECT_EQ(Records(), (V{"lg0", "ly0", "pn1", "lgB", "ly0", "lyF", "pn12"}));
}

TEST_F(Writer, PensAreMappedToTheHostsNumbers) {
  FirstLineColor = 5;
  EXPECT_EQ(PenToHost(0), 5);
  EXPECT_EQ(PenToHost(-2), 5);
  EXPECT_EQ(PenToHost(1), 1);
  EXPECT_EQ(PenToHost(9), 9);
  EXPECT_EQ(PenToHost(10), 101);
  EXPECT_EQ(PenToHost(15), 106);
  OutPen(10, 1);
  OutPen(101, 0);
  OutPen(0, 1);
  EXPECT_EQ(Records(), (V{"pn101", "pn5"}));
}

TEST_F(Writer, PointAndCommentRecords) {
  SetUserSeparators({",", "."});  // a comma locale changes no coordinate
  OutPoint(12.5, -3);
  OutPoint(1e15, 0.00001);
  OutComment("abc");
  OutComment(std::string(300, 'x'));
  SetUserSeparators({".", ","});
  const V r = Records();
  EXPECT_EQ(r[0], "pt 12.5 -3");
  EXPECT_EQ(r[1], "pt 1E15 1E-5");
  EXPECT_EQ(r[2], "h#abc");
  EXPECT_EQ(r[3], "h#" + std::string(253, 'x'));
}

TEST_F(Writer, RecordListGrowsByAThousand) {
  for (int i = 1; i <= 1000; ++i) AddOutLine('r' + std::to_string(i));
  EXPECT_EQ(OutLines.Length(), 1000);
  AddOutLine("r1001");
  EXPECT_EQ(OutLines.Length(), 2000);
  EXPECT_EQ(OutLineCount, 1001);
  EXPECT_EQ(OutLines[0], "r1");
  EXPECT_EQ(OutLines[999], "r1000");
  EXPECT_EQ(OutLines[1000], "r1001");
}

TEST_F(Writer, EmptyReplyIsHq) {
  TTempDir dir;
  WriteBytes(dir / "QZT_TEMP.TXT", "hp1 0 0\r\n0 0 10 0\r\n");
  EXPECT_TRUE(SaveExchangeFile(dir / "QZT_TEMP.TXT"));
  EXPECT_EQ(ReadBytes(dir / "QZT_TEMP.TXT"), "hq\r\n");
  EXPECT_TRUE(SaveExchangeFile(dir / "new.txt"));  // created when absent
  EXPECT_EQ(ReadBytes(dir / "new.txt"), "hq\r\n");
}

TEST_F(Writer, RecordsBecomeCrLfLinesAndAQuoteJoinsTwo) {
  TTempDir dir;
  for (const char* r : {"lg0", "", "ch 0 0 1 1 \"", "text after the quote", "pt 1 2", "x\"", "y",
                        "z", "h#end\""})
    AddOutLine(r);
  EXPECT_TRUE(SaveExchangeFile(dir / "QZT_TEMP.TXT"));
  EXPECT_EQ(ReadBytes(dir / "QZT_TEMP.TXT"),
            "lg0\r\n\r\nch 0 0 1 1 \"text after the quote\r\npt 1 2\r\nx\"y\r\nz\r\nh#end\"");
  // No temporary file is left beside the reply.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST_F(Writer, AFailedWriteLeavesNoFileBehind) {
  TTempDir dir;
  AddOutLine("pt 1 2");
  std::filesystem::create_directory(dir / "QZT_TEMP.TXT");
  EXPECT_FALSE(SaveExchangeFile(dir / "QZT_TEMP.TXT"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "QZT_TEMP.TXT"));  // never deleted
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
  EXPECT_FALSE(SaveExchangeFile(dir / "no such folder" / "QZT_TEMP.TXT"));
  EXPECT_FALSE(std::filesystem::exists(dir / "no such folder"));
}

// What the writer writes, the reader reads back to the same values.
TEST_F(Writer, RoundTrip) {
  TTempDir dir;
  std::mt19937_64 rng(3);
  std::vector<double> xs;
  for (int i = 0; i < 3000; ++i) {
    // Values with at most 15 significant digits, as a drawing holds them.
    const double mant = static_cast<double>(rng() % 1000000000000000ULL) * (rng() % 2 ? 1 : -1);
    const int exp = static_cast<int>(rng() % 30) - 20;
    xs.push_back(StrToFloatZ(std::to_string(static_cast<long long>(mant)) + "e" + std::to_string(exp)));
  }
  OutLayerGroup(12);
  OutLayer(7);
  OutPen(3, 0);
  for (size_t i = 0; i + 1 < xs.size(); i += 2) OutPoint(xs[i], xs[i + 1]);
  SetUserSeparators({".", ","});
  OutComment("\x91S\x92\xB7\x81" "F" + FormatFixedN(3, 1234.5) + "mm");
  ASSERT_TRUE(SaveExchangeFile(dir / "QZT_TEMP.TXT"));

  GaibuInit();
  ASSERT_TRUE(LoadExchangeFile(dir / "QZT_TEMP.TXT"));
  EXPECT_EQ(FirstLayerGroup, 12);
  EXPECT_EQ(FirstLayer, 7);
  EXPECT_EQ(CurPen, 3);
  ASSERT_EQ(PointCount, static_cast<int32_t>(xs.size() / 2));
  for (int32_t i = 0; i < PointCount; ++i) {
    ASSERT_EQ(Points[i].X, xs[2 * static_cast<size_t>(i)]) << i;
    ASSERT_EQ(Points[i].Y, xs[2 * static_cast<size_t>(i) + 1]) << i;
  }
  EXPECT_EQ(LineCount, 0);  // the comment is no record the reader keeps
}
