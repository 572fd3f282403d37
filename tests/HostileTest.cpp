// Whatever the exchange file holds, the exchange completes: no crash, no hang,
// and a reply that is "hq" or a complete answer with finite points.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <sstream>
#include <string>

#include "FakeHost.h"
#include "ReplyCheck.h"
#include "app/Captions.h"
#include "exchange/KdxGaibu.h"
#include "geometry/Separators.h"

namespace {

class Hostile : public ::testing::Test {
 protected:
  TTempDir dir;
  std::string status;  // what the last exchange showed

  void SetUp() override { SetUserSeparators({".", ","}); }

  // One exchange: shown on `input`, the distance typed, OK, then Cancel.
  std::string Exchange(const std::string& input, const std::string& distance) {
    TFakeHost host;
    TForm1 form(host);
    host.Folder = dir.Path();
    WriteBytes(dir / kExchangeFileName, input);
    form.FormShow();
    host.Edit = distance;
    form.Button1Click();
    status = host.Status;
    form.Button2Click();
    const std::string reply = ReadBytes(dir / kExchangeFileName);
    EXPECT_EQ(ReplyFault(reply, dir / kExchangeFileName), "");
    return reply;
  }

  static size_t Points(const std::string& reply) {
    size_t n = 0;
    for (size_t p = reply.find("\npt "); p != std::string::npos; p = reply.find("\npt ", p + 1)) ++n;
    return n;
  }
};

const std::string kChain = "hp1 0 0\r\n0 0 10 0\r\n";

}  // namespace

TEST_F(Hostile, HundredMegabyteLine) {
  std::string input = "file=" + std::string(100 << 20, 'x') + "\r\n" + kChain;
  EXPECT_EQ(Points(Exchange(input, "5")), 2u);
}

TEST_F(Hostile, MillionTokensOnALine) {
  std::string tokens;
  for (int i = 0; i < 1000000; ++i) tokens += "7 ";
  // A "ci" with a million operands is an arc; a line of them alone is nothing.
  EXPECT_EQ(Points(Exchange("ci " + tokens + "\r\n" + tokens + "\r\n" + kChain, "5")), 2u);
}

TEST_F(Hostile, ControlBytesAndLineEnds) {
  // NUL and Ctrl-Z inside a line are dropped; CR alone ends no line.
  EXPECT_EQ(Points(Exchange(std::string("hp1 0 0\r\n0 0\0 10\x1A 0\r\n", 21), "5")), 2u);
  EXPECT_EQ(Exchange("hp1 0 0\r0 0 10 0\r10 0 20 0\r", "5"), "hq\r\n");  // one line, no segment
  EXPECT_EQ(status, status::kNoEnds);
  // Ctrl-Z at a line start ends the input.
  EXPECT_EQ(Points(Exchange("hp1 0 0\r\n0 0 10 0\r\n\x1A" "10 0 20 0\r\n", "5")), 2u);
}

TEST_F(Hostile, Utf8WithByteOrderMark) {
  // The mark joins the first keyword, which is then no record: the designated
  // point stays at (0, 0).
  const std::string reply = Exchange("\xEF\xBB\xBFhp1 10 0\r\n0 0 10 0\r\n", "5");
  EXPECT_NE(reply.find("pt 5 0\r\npt 10 0\r\n"), std::string::npos) << reply;
}

TEST_F(Hostile, NumbersAtTheEdges) {
  // 1e999 and 1e-400 read as 0, -0 as zero, 20 digits as their value.
  EXPECT_EQ(Exchange("hp1 1e999 -0\r\n-0 1e-400 12345678901234567890 0\r\n", "1e19"),
            "lg0\r\nly0\r\npn1\r\npt 1E19 0\r\nh#\x91S\x92\xB7\x81" "F12,345,678,901,234,567,168.000mm\r\n");
}

TEST_F(Hostile, CoordinatesNearTheLargestDouble) {
  // A length that overflows (the distance squares its differences) is refused
  // as too many points; points stay finite.
  Exchange("hp1 -1e308 0\r\n-1e308 0 1e308 0\r\n", "1");
  EXPECT_EQ(status, status::kTooManyPoints);
  Exchange("hp1 0 0\r\n0 0 1.7e308 0\r\n", "1e307");
  EXPECT_EQ(status, status::kTooManyPoints);
  EXPECT_EQ(Points(Exchange("hp1 0 0\r\n0 0 1e150 1e150\r\n", "1e149")), 14u);
  Exchange("hp1 1e308 0\r\nci 0 0 1e308 0 90 0.5 0\r\nci 0 0 1e308 0 0 1 0\r\nci 1e308 1e308 1e308\r\n", "1e300");
}

TEST_F(Hostile, MillionZeroLengthLinesAtOnePoint) {
  std::string input = "hp1 5 5\r\n";
  for (int i = 0; i < 1000000; ++i) input += "5 5 5 5\r\n";
  input += "5 5 15 5\r\n";
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(Points(Exchange(input, "1")), 10u);
  // Not a timing test: a walk that scanned the table per step would take hours.
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::minutes(2));
}

TEST_F(Hostile, ChainThroughOnePointAThousandTimes) {
  std::ostringstream in;
  in.precision(17);
  in << "hp1 0 0\r\n";
  for (int i = 0; i < 1000; ++i) {
    const double a = i * 0.006, x = 10 * std::cos(a), y = 10 * std::sin(a);
    in << "0 0 " << x << ' ' << y << "\r\n" << x << ' ' << y << " 0 0\r\n";
  }
  const std::string reply = Exchange(in.str(), "3");
  EXPECT_NE(reply.find("F20,000.000mm"), std::string::npos);
  EXPECT_EQ(Points(reply), 6666u);
}
