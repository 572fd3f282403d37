// Pixels per inch, for a window or a point of the screen. The per-monitor
// functions of newer Windows are looked up when the program runs, so that it
// still starts on older ones, where the whole screen has the system's DPI.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// The layout is drawn at 96 pixels per inch and scaled from there.
inline constexpr UINT kDesignDpi = 96;

inline int Scaled(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), kDesignDpi); }

UINT WindowDpi(HWND window);
UINT DpiAtPoint(POINT p);
// The whole size of a window of `style` whose client area is `client` at `dpi`.
SIZE OuterSize(SIZE client, DWORD style, UINT dpi);
