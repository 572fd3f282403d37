#include "app/win32/Colours.h"

#include <algorithm>

#include "app/win32/Dpi.h"

namespace {

COLORREF Rgb(layout::TColour c) { return RGB(c.R, c.G, c.B); }

layout::TColour SysColour(int index) {
  const COLORREF c = GetSysColor(index);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

}  // namespace

void TFormColours::Take() {
  HIGHCONTRASTW contrast{sizeof contrast, 0, nullptr};
  const bool high = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                    (contrast.dwFlags & HCF_HIGHCONTRASTON);
  colours_ = ChooseColours(high, {SysColour(COLOR_WINDOWTEXT), SysColour(COLOR_WINDOW), SysColour(COLOR_BTNTEXT),
                                  SysColour(COLOR_BTNFACE)});
  Release();
  form_ = CreateSolidBrush(Rgb(colours_.Form));
  status_ = CreateSolidBrush(Rgb(colours_.Status));
}

HBRUSH TFormColours::ColourStatic(HDC dc, bool status) const {
  SetTextColor(dc, Rgb(status ? colours_.StatusText : colours_.Text));
  SetBkColor(dc, Rgb(status ? colours_.Status : colours_.Form));
  return status ? status_ : form_;
}

void TFormColours::PaintForm(HWND form, HWND status) const {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(form, &ps);
  if (colours_.System && status) {
    RECT band{};
    GetWindowRect(status, &band);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&band), 2);
    const int thickness = std::max(1, Scaled(1, WindowDpi(form)));
    const RECT line{band.left, band.top - thickness, band.right, band.top};
    const HBRUSH pen = CreateSolidBrush(Rgb(colours_.Text));
    FillRect(dc, &line, pen);
    DeleteObject(pen);
  }
  EndPaint(form, &ps);
}

void TFormColours::Release() {
  for (HBRUSH* b : {&form_, &status_}) {
    if (*b) DeleteObject(*b);
    *b = nullptr;
  }
}
