// The dialog's layout, as both front ends draw it: the client area and the
// controls in pixels at 96 dpi (the Windows program scales them to its
// screen's DPI), where the window first stands, its colours and its font.
// Each front end only maps these onto its toolkit; the texts are in
// Captions.h.
#pragma once

namespace layout {

struct TRect {
  int X, Y, W, H;
};
struct TColour {
  unsigned char R, G, B;
};

inline constexpr int kClientWidth = 295, kClientHeight = 89;
// Where the window stands before it is centred on the cursor.
inline constexpr int kInitialLeft = 192, kInitialTop = 107;

// The controls in creation order, which is also the tab order of Edit1,
// Button1 and Button2. Label3 is docked to the bottom edge, the full width.
inline constexpr TRect kLabel1{8, 12, 52, 13};   // "分割距離"
inline constexpr TRect kLabel2{168, 16, 14, 13};  // "mm"
inline constexpr TRect kLabel3{0, kClientHeight - 13, kClientWidth, 13};  // the status line
inline constexpr TRect kEdit1{80, 8, 81, 21};
inline constexpr TRect kButton1{80, 40, 81, 25};   // OK
inline constexpr TRect kButton2{176, 40, 113, 25};  // Cancel

inline constexpr TColour kFormColour{166, 202, 240};    // sky blue
inline constexpr TColour kStatusColour{128, 179, 234};  // 15381376 as 0x00BBGGRR

// A fixed-pitch Japanese gothic 13 pixels high; where this face is missing
// (Linux), the nearest the system has.
inline constexpr int kFontHeight = 13;
inline constexpr char kFontFace[] = "ＭＳ ゴシック";

}  // namespace layout
