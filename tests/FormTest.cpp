// The dialog's behaviour through a fake window system: showing and closing,
// what OK does with each distance, the walk's outcomes, ESC, late input.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>

#include "FakeHost.h"
#include "WorkerThreads.h"
#include "app/Captions.h"
#include "exchange/KdxGaibu.h"
#include "geometry/MyFunc.h"
#include "geometry/Separators.h"

namespace {

const std::string kTotal = "h#\x91S\x92\xB7\x81" "F";  // "h#全長："

class Form : public ::testing::Test {
 protected:
  TTempDir dir;
  TFakeHost host;
  TForm1 form{host};

  void SetUp() override {
    host.Folder = dir.Path();
    SetUserSeparators({".", ","});
  }
  // Shows the dialog on this exchange file, types the distance and presses OK.
  void Show(const std::string& input) {
    WriteBytes(dir / kExchangeFileName, input);
    form.FormShow();
  }
  std::string Run(const std::string& input, const std::string& distance) {
    Show(input);
    host.Edit = distance;
    form.Button1Click();
    return Reply();
  }
  std::string Reply() const { return ReadBytes(dir / kExchangeFileName); }
};

struct TPt {
  double X, Y;
};

std::vector<TPt> PointsOf(const std::string& reply) {
  std::vector<TPt> out;
  std::istringstream in(reply);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("pt ", 0) == 0) {
      TPt p{};
      std::istringstream(line.substr(3)) >> p.X >> p.Y;
      out.push_back(p);
    }
  return out;
}

// A circle so large that the grid of the cut angle moves the cut end more
// than 1e-8 away from H on it.
constexpr double kLargeR = 50000, kLargeA = 33.33333333333 / 180 * std::numbers::pi;
std::string LargeCircle() {
  std::ostringstream in;
  in.precision(17);
  in << "hp1 " << kLargeR * std::cos(kLargeA) << ' ' << kLargeR * std::sin(kLargeA) << "\r\nci 0 0 50000\r\n";
  return in.str();
}

}  // namespace

TEST_F(Form, ShowCentresOnTheCursorAndReadsTheFile) {
  Show("lg5\r\nlc3\r\nhp1 1 2\r\n0 0 1 1\r\n");
  ASSERT_GE(host.Log.size(), 2u);
  EXPECT_EQ(host.Log[0], "move 350 340");  // 500 - 301 / 2, 400 - 120 / 2
  EXPECT_EQ(host.Log[1], "status ");
  EXPECT_EQ(form.ExeFolder, dir.Path());
  EXPECT_EQ(LineCount, 1);
  EXPECT_EQ(FirstLayerGroup, 5);
  EXPECT_EQ(FirstLineColor, 3);
  EXPECT_EQ(DesignatedPoints[1].Y, 2.0);
  // The writer's memory was reset after reading.
  EXPECT_TRUE(OutAttrs.LgPending && OutAttrs.LyPending && OutAttrs.PnPending);
}

TEST_F(Form, PlacementHalvesTheOuterSizeTowardsZero) {
  host.Cursor = {-3, 7};
  host.Outer = {301, 89};
  Show("");
  EXPECT_EQ(host.Log[0], "move -153 -37");
}

TEST_F(Form, CancelRepliesHqAndCloseWritesBeforeTheWindowGoes) {
  Show("hp1 0 0\r\n0 0 10 0\r\n");
  form.Button2Click();
  EXPECT_TRUE(form.Closed());
  EXPECT_EQ(Reply(), "hq\r\n");
  ASSERT_EQ(host.RepliesAtClose.size(), 1u);
  EXPECT_EQ(host.RepliesAtClose[0], "hq\r\n");
}

TEST_F(Form, MissingExchangeFileStillOpensAndCancelCreatesIt) {
  form.FormShow();
  EXPECT_EQ(LineCount, 0);
  host.Edit = "5";
  form.Button1Click();
  EXPECT_EQ(host.Status, status::kNoEnds);
  form.Close();
  EXPECT_EQ(Reply(), "hq\r\n");
}

// Nothing but the focus, back in the edit box for the next try.
TEST_F(Form, UnusableDistancesDoNothing) {
  Show("hp1 0 0\r\nci 0 0 10\r\n0 0 10 0\r\n");
  host.Status = "as before";
  host.Log.clear();
  for (const char* d : {"0", "-5", "abc", "1e-9", "", "1,5", "0.00000001", "1e999"}) {
    host.Edit = d;
    form.Button1Click();
    EXPECT_FALSE(form.Closed()) << d;
  }
  EXPECT_EQ(host.Log, std::vector<std::string>(8, "focus edit"));
  EXPECT_EQ(host.Status, "as before");
  EXPECT_EQ(ArcCount, 0);  // no table touched
  EXPECT_EQ(OutLineCount, 0);
}

TEST_F(Form, TheSmallestUsableDistance) {
  Run("hp1 0 0\r\n0 0 1e-7 0\r\n", "0.00000002");
  EXPECT_TRUE(form.Closed());
}

TEST_F(Form, FailuresLeaveTheDialogOpenAndCancelRepliesHq) {
  Show("hp1 5 0\r\n0 0 10 0\r\n");  // H inside the line, not at an end
  host.Edit = "2";
  form.Button1Click();
  EXPECT_FALSE(form.Closed());
  EXPECT_EQ(host.Status, status::kNoStart);
  EXPECT_EQ(host.Log, (std::vector<std::string>{"move 350 340", "status ",
                                                std::string("status ") + status::kSearchingEnds,
                                                "repaint",
                                                std::string("status ") + status::kSearchingStart,
                                                "repaint",
                                                std::string("status ") + status::kNoStart,
                                                "focus edit"}));
  form.Button1Click();  // the same again
  EXPECT_EQ(host.Status, status::kNoStart);
  form.Button2Click();
  EXPECT_EQ(Reply(), "hq\r\n");
}

// A failure that is not memory's, half-way through the points: the dialog
// stays open and says so, nothing is replied, and the next OK replies in full.
TEST_F(Form, AFailureMidWalkTakesItsPointsBack) {
  const std::string input = "hp1 0 0\r\n0 0 10 0\r\n10 0 10 5\r\n";
  const std::string want = OneOkReply(dir.Path(), input, "4");
  Show(input);
  host.Edit = "4";
  host.ThrowAtPoint = 2;
  form.Button1Click();
  EXPECT_FALSE(form.Closed());
  EXPECT_EQ(host.Status, status::kWalkFailed);
  EXPECT_EQ(OutLineCount, 0);
  form.Button1Click();
  EXPECT_TRUE(form.Closed());
  EXPECT_EQ(Reply(), want);
}

TEST_F(Form, OverviewExample) {
  const std::string reply = Run("lg3\r\nly5\r\nlc2\r\nhp1 0 0\r\n0 0 10 0\r\n10 0 10 5\r\n", "4");
  EXPECT_TRUE(form.Closed());
  EXPECT_EQ(reply, "lg3\r\nly5\r\npn2\r\npt 4 0\r\npt 8 0\r\npt 10 2\r\n" + kTotal + "15.000mm\r\n");
  EXPECT_EQ(host.Status, status::kWalking);
}

TEST_F(Form, EscAlreadyDownWalksNothing) {
  host.EscSegmentFrom = 0;
  EXPECT_EQ(Run("hp1 0 0\r\n0 0 10 0\r\n", "1"), "lg0\r\nly0\r\npn1\r\n" + kTotal + "0.000mm\r\n");
  EXPECT_TRUE(form.Closed());
}

TEST_F(Form, EscBeforeTheSecondSegmentKeepsTheFirst) {
  host.EscSegmentFrom = 1;
  EXPECT_EQ(Run("hp1 0 0\r\n0 0 10 0\r\n10 0 20 0\r\n", "4"),
            "lg0\r\nly0\r\npn1\r\npt 4 0\r\npt 8 0\r\n" + kTotal + "10.000mm\r\n");
}

TEST_F(Form, EscBetweenPointsStopsMidSegment) {
  host.EscPoints = "UUUD";
  const std::string reply = Run("hp1 0 0\r\n0 0 100 0\r\n100 0 200 0\r\n", "1");
  EXPECT_EQ(PointsOf(reply).size(), 3u);
  EXPECT_NE(reply.find(kTotal + "100.000mm"), std::string::npos);  // the segment begun counts
}

// The key that stopped the trace, still held, lets the segments begun finish,
// as the walk without questions between points would; a new press stops them.
TEST_F(Form, EscHeldAfterTheTraceFinishesTheSegmentsBegun) {
  host.EscSegmentFrom = 1;
  host.EscPoints = "D";
  EXPECT_EQ(Run("hp1 0 0\r\n0 0 10 0\r\n10 0 20 0\r\n", "4"),
            "lg0\r\nly0\r\npn1\r\npt 4 0\r\npt 8 0\r\n" + kTotal + "10.000mm\r\n");
}

TEST_F(Form, EscPressedAgainAfterTheTraceStopsThePoints) {
  host.EscSegmentFrom = 1;
  host.EscPoints = "DDUD";
  const std::string reply = Run("hp1 0 0\r\n0 0 100 0\r\n100 0 200 0\r\n", "1");
  EXPECT_EQ(PointsOf(reply).size(), 3u);
}

TEST_F(Form, LateInputIsIgnored) {
  Run("hp1 0 0\r\n0 0 10 0\r\n", "5");
  const std::string reply = Reply();
  form.Button2Click();  // the ESC that stopped a walk, arriving as Cancel
  form.Button1Click();  // a second Enter
  form.Close();
  EXPECT_EQ(Reply(), reply);
  EXPECT_EQ(host.RepliesAtClose.size(), 1u);
  EXPECT_NE(reply, "hq\r\n");
}

// What a window system sends while the walk holds the thread (Win32 delivers
// sent messages when the walk looks at its queue) must not free the tables
// under it: a close waits for the run, another OK is ignored.
TEST_F(Form, InputDuringTheRunWaitsForItsEnd) {
  struct TSendingHost : TFakeHost {
    TForm1* Form = nullptr;
    bool EscBeforeSegment() override {
      Form->Button1Click();
      Form->Close();
      return TFakeHost::EscBeforeSegment();
    }
  } sending;
  sending.Folder = dir.Path();
  TForm1 f(sending);
  sending.Form = &f;
  WriteBytes(dir / kExchangeFileName, "hp1 0 0\r\n0 0 10 0\r\n10 0 20 0\r\n");
  f.FormShow();
  sending.Edit = "4";
  f.Button1Click();
  EXPECT_TRUE(f.Closed());
  EXPECT_EQ(sending.RepliesAtClose.size(), 1u);
  EXPECT_EQ(PointsOf(Reply()).size(), 5u);
  // After a failure, the close sent during the run still closes.
  TSendingHost s2;
  s2.Folder = dir.Path();
  TForm1 f2(s2);
  s2.Form = &f2;
  WriteBytes(dir / kExchangeFileName, "hp1 0 0\r\n0 0 0.1 0\r\n");
  f2.FormShow();
  s2.Edit = "0.00000002";  // five million points
  f2.Button1Click();
  EXPECT_EQ(s2.Status, status::kTooManyPoints);
  EXPECT_TRUE(f2.Closed());
  EXPECT_EQ(Reply(), "hq\r\n");
}

TEST_F(Form, TooManyPointsAreRefusedBeforeAnythingIsWritten) {
  Show("hp1 0 0\r\n0 0 976.5625 0\r\n");
  // Lengths in binary fractions, so that every subtraction is exact.
  host.Edit = "0.00048828125";  // 2^-11: two million points
  form.Button1Click();
  EXPECT_FALSE(form.Closed());
  EXPECT_EQ(host.Status, status::kTooManyPoints);
  EXPECT_EQ(OutLineCount, 0);
  host.Edit = "0.0009765625";  // 2^-10: exactly a million, allowed
  form.Button1Click();
  EXPECT_TRUE(form.Closed());
  EXPECT_EQ(PointsOf(Reply()).size(), 1000000u);
}

TEST_F(Form, TooManyPointsThenCancelRepliesHq) {
  Show("hp1 0 0\r\n0 0 1e300 0\r\n");
  host.Edit = "1";  // 1 - 1e300 == 1e300: counting alone would never end
  form.Button1Click();
  EXPECT_EQ(host.Status, status::kTooManyPoints);
  form.Button2Click();
  EXPECT_EQ(Reply(), "hq\r\n");
}

TEST_F(Form, WalkOutcomes) {
  // D beyond the chain: no points, the total.
  EXPECT_EQ(Run("hp1 0 0\r\n0 0 10 0\r\n", "20"), "lg0\r\nly0\r\npn1\r\n" + kTotal + "10.000mm\r\n");
}

TEST_F(Form, ExactMultipleEndsOnTheFarEnd) {
  EXPECT_EQ(Run("hp1 0 0\r\n0 0 12 0\r\n", "4"),
            "lg0\r\nly0\r\npn1\r\npt 4 0\r\npt 8 0\r\npt 12 0\r\n" + kTotal + "12.000mm\r\n");
}

TEST_F(Form, ZeroLengthLineIsPassedThrough) {
  EXPECT_EQ(Run("hp1 0 0\r\n0 0 5 0\r\n5 0 5 0\r\n5 0 10 0\r\n", "4"),
            "lg0\r\nly0\r\npn1\r\npt 4 0\r\npt 8 0\r\n" + kTotal + "10.000mm\r\n");
}

TEST_F(Form, LineBeforeArcWhereBothMeetTheStart) {
  EXPECT_EQ(Run("hp1 10 0\r\nci 0 0 10 0 90 1 0\r\n10 0 20 0\r\n", "5"),
            "lg0\r\nly0\r\npn1\r\npt 15 0\r\npt 20 0\r\n" + kTotal + "10.000mm\r\n");
}

TEST_F(Form, ArcEnteredAtItsEndRunsClockwise) {
  const double d = 5 * std::numbers::pi / 2;
  std::ostringstream ds;
  ds.precision(17);
  ds << d;
  const std::string reply = Run("hp1 0 10\r\nci 0 0 10 0 90 1 0\r\n", ds.str());
  const auto pts = PointsOf(reply);
  ASSERT_EQ(pts.size(), 2u);
  EXPECT_NEAR(pts[0].X, 10 / std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(pts[0].Y, 10 / std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(pts[1].X, 10, 1e-12);
  EXPECT_NEAR(pts[1].Y, 0, 1e-12);
}

TEST_F(Form, LoneCircleGivesSixPoints) {
  const std::string reply = Run("hp1 10 0\r\nci 0 0 10\r\n", "10");
  const auto pts = PointsOf(reply);
  ASSERT_EQ(pts.size(), 6u);
  for (size_t i = 0; i < pts.size(); ++i) {
    const double a = 1.0 * static_cast<double>(i + 1);  // path 10 per point on radius 10
    EXPECT_NEAR(pts[i].X, 10 * std::cos(a), 1e-12);
    EXPECT_NEAR(pts[i].Y, 10 * std::sin(a), 1e-12);
  }
  EXPECT_NE(reply.find(kTotal + "62.832mm"), std::string::npos);
}

TEST_F(Form, ClosedPolygonStartsAlongTheFirstListedLineAndEndsOnTheStart) {
  const std::string reply =
      Run("hp1 0 0\r\n0 10 0 0\r\n0 0 10 0\r\n10 0 10 10\r\n10 10 0 10\r\n", "10");
  const auto pts = PointsOf(reply);
  const TPt want[] = {{0, 10}, {10, 10}, {10, 0}, {0, 0}};
  ASSERT_EQ(pts.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    // Stepped by the cosine and sine of the direction: 6e-16 where 0 is meant.
    EXPECT_NEAR(pts[i].X, want[i].X, 1e-14);
    EXPECT_NEAR(pts[i].Y, want[i].Y, 1e-14);
  }
  EXPECT_NE(reply.find(kTotal + "40.000mm\r\n"), std::string::npos);
}

TEST_F(Form, TotalIsGroupedInTheUsersSeparators) {
  EXPECT_NE(Run("hp1 0 0\r\n0 0 1234.5 0\r\n", "2000").find(kTotal + "1,234.500mm\r\n"),
            std::string::npos);
}

TEST_F(Form, LargeCircleStartsAtTheDesignatedPoint) {
  const auto pts = PointsOf(Run(LargeCircle(), "100000"));
  EXPECT_TRUE(form.Closed()) << host.Status;
  ASSERT_EQ(pts.size(), 3u);  // 314,159 mm round
  EXPECT_NEAR(pts[0].X, kLargeR * std::cos(kLargeA + 2), 1e-6);
  EXPECT_NEAR(pts[0].Y, kLargeR * std::sin(kLargeA + 2), 1e-6);
}

namespace {

// A chain of every kind of segment, joined end to end from H = (0, 0): a
// line, an arc, a circle cut at its nearest point to H, and a full ellipse
// cut there too, whose first half is listed before the circle's second.
const std::string kMixedChain =
    "hp1 0 0\r\n0 0 10 0\r\nci 20 0 10 180 360 1 0\r\nci 40 0 10\r\nci 60 0 10 0 0 0.5 0\r\n";

struct TArcsAsRead {
  int32_t ArcN, OrderN, OutN;
  std::vector<double> Angles;
  static TArcsAsRead Now() {
    TArcsAsRead t{ArcCount, EntityOrderCount, OutLineCount, {}};
    for (int32_t k = 0; k < ArcCount; ++k) {
      t.Angles.push_back(Arcs[k].StartAngle);
      t.Angles.push_back(Arcs[k].EndAngle);
    }
    return t;
  }
  bool operator==(const TArcsAsRead&) const = default;
};

}  // namespace

// After OK presses that leave the dialog open (the refusal of too many
// points, an unusable distance, the refusal again), an OK with a distance
// that works replies what one OK with it replies on a fresh start: the
// presses before left the tables, the reply and the writer as they were.
TEST_F(Form, RefusedThenAcceptedRepliesAsOneOk) {
  const std::pair<const char*, std::string> inputs[] = {
      {"circle", "hp1 0 10\r\nci 0 0 10\r\n"},
      {"full ellipse", "hp1 10 0\r\nci 0 0 10 0 0 0.5 0\r\n"},
      {"large circle", LargeCircle()},
      {"mixed chain", kMixedChain},
  };
  for (const auto& [name, input] : inputs) {
    const std::string want = OneOkReply(dir.Path(), input, "7");
    TFakeHost h;
    h.Folder = dir.Path();
    TForm1 f(h);
    WriteBytes(dir / kExchangeFileName, input);
    f.FormShow();
    const TArcsAsRead asRead = TArcsAsRead::Now();
    for (const char* d : {"0.0000001", "abc", "0.0000001"}) {
      h.Edit = d;
      f.Button1Click();
      ASSERT_FALSE(f.Closed()) << name;
      EXPECT_EQ(h.Status, status::kTooManyPoints) << name;
      EXPECT_TRUE(TArcsAsRead::Now() == asRead) << name << " after " << d;
    }
    h.Edit = "7";
    f.Button1Click();
    ASSERT_TRUE(f.Closed()) << name << ": " << h.Status;
    EXPECT_EQ(ReadBytes(dir / kExchangeFileName), want) << name;
    EXPECT_GT(PointsOf(want).size(), 4u) << name;
  }
}

// The mixed chain takes the ellipse at the circle's far cut, goes round it
// and comes back along the circle's second half.
TEST_F(Form, MixedChainWalksEveryKindOfSegment) {
  const std::string reply = Run(kMixedChain, "1000");
  const double ellipse = EllipseArcLength(60, 0, 10, 0.5, 0, 360, 0);
  EXPECT_NE(reply.find(kTotal + FormatFixedN(3, 10 + 30 * std::numbers::pi + ellipse) + "mm"),
            std::string::npos) << reply;
}

// A failure that repeats itself reports the same message each time, and
// leaves nothing behind either.
TEST_F(Form, RepeatedFailureReportsTheSameAndChangesNothing) {
  Show("hp1 100 100\r\nci 0 0 10\r\nci 0 0 10 0 0 0.5 0\r\n");
  const TArcsAsRead asRead = TArcsAsRead::Now();
  for (int i = 0; i < 3; ++i) {
    host.Edit = "1";
    form.Button1Click();
    EXPECT_EQ(host.Status, status::kNoStart);
    EXPECT_TRUE(TArcsAsRead::Now() == asRead);
  }
  form.Button2Click();
  EXPECT_EQ(Reply(), "hq\r\n");
}

namespace {

// Joined half ellipses along the x axis from H = (0, 0), each of flatness
// 0.5 and radius 25: arcs whose points the walk places on every core.
std::string HalfEllipses(int n) {
  std::string in = "hp1 0 0\r\n";
  for (int i = 0; i < n; ++i) in += "ci " + std::to_string(50 * i + 25) + " 0 25 180 0 0.5 0\r\n";
  return in;
}

}  // namespace

// Arcs are measured and stepped along on several threads, more of them than
// the ring of placed points has slots; the reply is the one thread's, byte
// for byte, with ESC before a segment or between points at the same
// questions.
TEST_F(Form, RepliesDoNotDependOnTheNumberOfThreads) {
  const std::string inputs[] = {HalfEllipses(70), kMixedChain + "70 0 80 0\r\n"};
  for (const std::string& input : inputs) {
    for (const char* distance : {"3.7", "100", "0.05"}) {
      for (const std::pair<long, std::string>& esc :
           {std::pair<long, std::string>{-1, ""}, {7, ""}, {-1, "UUUUUUUUUUUUUUUUUUUUUUUUUD"}, {3, "DUUD"}}) {
        std::vector<std::string> replies;
        for (unsigned threads : {1u, 2u, 3u, 8u}) {
          TWorkerThreads walk(threads);
          TFakeHost h;
          h.Folder = dir.Path();
          h.EscSegmentFrom = esc.first;
          h.EscPoints = esc.second;
          TForm1 f(h);
          WriteBytes(dir / kExchangeFileName, input);
          f.FormShow();
          h.Edit = distance;
          f.Button1Click();
          ASSERT_TRUE(f.Closed()) << h.Status;
          replies.push_back(ReadBytes(dir / kExchangeFileName));
          EXPECT_EQ(replies.back(), replies.front()) << distance << " with " << threads << " threads";
        }
        if (esc.first == -1 && esc.second.empty()) {
          EXPECT_FALSE(PointsOf(replies.front()).empty());
        }
      }
    }
  }
}
