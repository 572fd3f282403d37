// The colours the dialog draws its form, its labels and its status line in.
// The design's sky blue holds while the system's text colour reads well on
// it. With a contrast theme on, or a text colour that would stand out from
// the design's colours by less than 4.5:1 (the usual floor for text), the
// dialog takes the system's own colours instead: text on the button face
// for the form, text on the window colour for the status line.
#pragma once

#include "app/Layout.h"

struct TSystemColours {
  layout::TColour WindowText, Window, ButtonText, ButtonFace;
};

struct TDialogColours {
  bool System;                         // the system's colours, not the design's
  layout::TColour Form, Text;          // the form and its labels
  layout::TColour Status, StatusText;  // the status line
};

inline constexpr double kLeastTextContrast = 4.5;

// The contrast ratio of two colours as WCAG 2 defines it, from 1 to 21.
double ContrastRatio(layout::TColour a, layout::TColour b);

TDialogColours ChooseColours(bool highContrast, const TSystemColours& system);
