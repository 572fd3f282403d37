// The dialog's colours: the design's while the system's text reads well on
// them, the system's own with a contrast theme or a text colour that would
// not; a change of theme changes them back and forth.
#include <gtest/gtest.h>

#include "app/DialogColours.h"

namespace {

constexpr layout::TColour kBlack{0, 0, 0}, kWhite{255, 255, 255}, kGrey{240, 240, 240}, kMid{128, 128, 128},
    kYellow{255, 255, 0}, kNavy{0, 0, 128};

bool Same(layout::TColour a, layout::TColour b) { return a.R == b.R && a.G == b.G && a.B == b.B; }

}  // namespace

// The ratios of the dialog's texts as a dark contrast scheme left them on
// the sky blue, which made them all but invisible.
TEST(DialogColours, ContrastRatios) {
  EXPECT_DOUBLE_EQ(ContrastRatio(kBlack, kWhite), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(kWhite, kBlack), 21.0);
  EXPECT_NEAR(ContrastRatio(kWhite, layout::kFormColour), 1.70, 0.01);
  EXPECT_NEAR(ContrastRatio(kWhite, layout::kStatusColour), 2.20, 0.01);
  EXPECT_GT(ContrastRatio(kBlack, layout::kStatusColour), 9.0);
}

// One theme after another, as a user switches them while the dialog is open.
TEST(DialogColours, FollowTheSystemWhereTheDesignWouldNotRead) {
  const struct {
    const char* Theme;
    bool HighContrast;
    TSystemColours System;
    bool Design;
  } themes[] = {
      {"the default colours", false, {kBlack, kWhite, kBlack, kGrey}, true},
      {"a dark contrast theme", true, {kWhite, kBlack, kWhite, kBlack}, false},
      {"back to the default", false, {kBlack, kWhite, kBlack, kGrey}, true},
      {"dark colours without the flag", false, {kWhite, kBlack, kWhite, kBlack}, false},
      {"a light contrast theme", true, {kBlack, kWhite, kBlack, kWhite}, false},
      {"grey text without the flag", false, {kMid, kWhite, kMid, kGrey}, false},
      {"yellow on navy without the flag", false, {kYellow, kNavy, kYellow, kNavy}, false},
  };
  for (const auto& t : themes) {
    const TDialogColours c = ChooseColours(t.HighContrast, t.System);
    EXPECT_EQ(c.System, !t.Design) << t.Theme;
    if (t.Design) {
      EXPECT_TRUE(Same(c.Form, layout::kFormColour) && Same(c.Status, layout::kStatusColour)) << t.Theme;
      EXPECT_TRUE(Same(c.Text, t.System.WindowText) && Same(c.StatusText, t.System.WindowText)) << t.Theme;
    } else {
      EXPECT_TRUE(Same(c.Form, t.System.ButtonFace) && Same(c.Text, t.System.ButtonText)) << t.Theme;
      EXPECT_TRUE(Same(c.Status, t.System.Window) && Same(c.StatusText, t.System.WindowText)) << t.Theme;
    }
  }
}
