#include "app/win32/Dpi.h"

namespace {

// A function of a system library, or null where this Windows lacks it. Only
// the system folder is searched: the program's own folder is the user's.
template <class F>
F SystemFunction(const wchar_t* library, const char* name) {
  HMODULE m = GetModuleHandleW(library);
  if (!m) m = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!m) return nullptr;
  // Through the generic function pointer type, which any function pointer converts to.
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(m, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

UINT SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

}  // namespace

UINT WindowDpi(HWND window) {
  static const auto getDpiForWindow = SystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
  return dpi ? dpi : SystemDpi();
}

UINT DpiAtPoint(POINT p) {
  static const auto getDpiForMonitor = SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  UINT x = 0, y = 0;
  if (getDpiForMonitor &&
      SUCCEEDED(getDpiForMonitor(MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)) && y)
    return y;
  return SystemDpi();
}

SIZE OuterSize(SIZE client, DWORD style, UINT dpi) {
  static const auto adjustForDpi =
      SystemFunction<AdjustWindowRectExForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
  RECT r{0, 0, client.cx, client.cy};
  if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, 0, dpi))
    AdjustWindowRectEx(&r, style, FALSE, 0);
  return {r.right - r.left, r.bottom - r.top};
}
