#include "app/DialogColours.h"

#include <cmath>

namespace {

// A channel of sRGB, linear.
double Linear(unsigned char c) {
  const double v = c / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double Luminance(layout::TColour c) {
  return 0.2126 * Linear(c.R) + 0.7152 * Linear(c.G) + 0.0722 * Linear(c.B);
}

}  // namespace

double ContrastRatio(layout::TColour a, layout::TColour b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::fmax(la, lb) + 0.05) / (std::fmin(la, lb) + 0.05);
}

TDialogColours ChooseColours(bool highContrast, const TSystemColours& system) {
  const bool readable = ContrastRatio(system.WindowText, layout::kFormColour) >= kLeastTextContrast &&
                        ContrastRatio(system.WindowText, layout::kStatusColour) >= kLeastTextContrast;
  if (!highContrast && readable)
    return {false, layout::kFormColour, system.WindowText, layout::kStatusColour, system.WindowText};
  return {true, system.ButtonFace, system.ButtonText, system.Window, system.WindowText};
}
