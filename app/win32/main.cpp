// equidist.exe: the dialog as a native Win32 window. A hidden application
// window owns the form and carries the title on the task-bar button; the
// form's controls sit at the layout's pixel positions scaled to the screen's
// DPI, and the dialog keys (Enter, Esc, Tab, Alt+letter) go through
// IsDialogMessageW.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <commctrl.h>
#include <imm.h>

#include <string>
#include <string_view>

#include "app/Captions.h"
#include "app/DesktopHost.h"
#include "app/Layout.h"
#include "app/RunForm.h"
#include "app/Unit1.h"
#include "app/win32/Accessibility.h"
#include "app/win32/Colours.h"
#include "app/win32/Dpi.h"
#include "base/Utf16.h"

namespace {

#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif
#ifndef WM_GETDPISCALEDSIZE
constexpr UINT WM_GETDPISCALEDSIZE = 0x02E4;
#endif
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr wchar_t kFormClass[] = L"TForm1";
constexpr wchar_t kAppClass[] = L"TApplication";

// Peeking (nothing is removed or handled) keeps the input pipeline moving while
// the walk holds the thread: under Wine the key state is only brought up to
// date when the thread looks at its queue.
bool EscapeDown() {
  MSG m;
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD);
  return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0;
}

class TWin32Host : public TDesktopHost {
 public:
  TWin32Host() : TDesktopHost(&EscapeDown) {}

  HWND App = nullptr, Form = nullptr, Edit = nullptr, Status = nullptr;

  TScreenPoint CursorPos() override {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
  }
  TScreenSize OuterSize() override {
    RECT r{};
    GetWindowRect(Form, &r);
    return {r.right - r.left, r.bottom - r.top};
  }
  void MoveTo(int left, int top) override {
    SetWindowPos(Form, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  std::string EditText() override {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(Edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(Edit, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
  }
  // A message is read out by screen readers as it appears.
  void SetStatus(std::string_view utf8) override {
    SetWindowTextW(Status, Widen(utf8).c_str());
    if (utf8.empty()) return;
    if (!liveRegion_) MarkLiveRegion(Status);  // once, and only when there is something to read
    liveRegion_ = true;
    AnnounceChange(Status);
  }
  void RepaintStatus() override { UpdateWindow(Status); }
  void CloseWindow() override {
    DestroyWindow(Form);
    DestroyWindow(App);
  }
  // A click or Alt+Y leaves the focus on the OK button.
  void FocusEdit() override {
    SetFocus(Edit);
    SendMessageW(Edit, EM_SETSEL, 0, -1);
  }
 private:
  // In front even when the dialog is not, or not yet, shown: a second
  // program's box would otherwise wait behind the first program's dialog.
  void Alert(const char* text) override {
    MessageBoxW(Form, Widen(text).c_str(), Widen(caption::kForm).c_str(), MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
  }

  bool liveRegion_ = false;
};

TWin32Host Host;
TForm1 Form1(Host);
TFormColours Colours;
HWND LastFocus;  // the control that had the focus when the form was left

// The form's controls with their places at 96 dpi, and the font they share.
struct TControl {
  HWND Window;
  layout::TRect Place;
};
TControl Controls[6];
HFONT Font;

SIZE ClientSize(UINT dpi) { return {Scaled(layout::kClientWidth, dpi), Scaled(layout::kClientHeight, dpi)}; }

// Sizes the form, its controls and their font for `dpi`, with the form's top
// left corner at `at`, or where it is. The client area is the layout's, scaled.
void Layout(UINT dpi, const POINT* at = nullptr) {
  const HFONT font = CreateFontW(-Scaled(layout::kFontHeight, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 FIXED_PITCH | FF_MODERN, Widen(layout::kFontFace).c_str());
  const SIZE client = ClientSize(dpi);
  for (const TControl& c : Controls) {
    const layout::TRect& p = c.Place;
    const int height = Scaled(p.H, dpi);
    if (c.Window == Host.Status)  // docked to the bottom edge, whatever the rounding
      MoveWindow(c.Window, 0, client.cy - height, client.cx, height, FALSE);
    else
      MoveWindow(c.Window, Scaled(p.X, dpi), Scaled(p.Y, dpi), Scaled(p.W, dpi), height, FALSE);
    SendMessageW(c.Window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  if (Font) DeleteObject(Font);
  Font = font;

  RECT r{};
  GetWindowRect(Host.Form, &r);
  const POINT corner = at ? *at : POINT{r.left, r.top};
  SIZE outer = OuterSize(client, kFormStyle, dpi);
  constexpr UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(Host.Form, nullptr, corner.x, corner.y, outer.cx, outer.cy, kFlags);
  // Where the frame differs from what was reckoned, the client area decides.
  RECT inner{};
  GetClientRect(Host.Form, &inner);
  if (inner.right != client.cx || inner.bottom != client.cy) {
    outer.cx += client.cx - inner.right;
    outer.cy += client.cy - inner.bottom;
    SetWindowPos(Host.Form, nullptr, 0, 0, outer.cx, outer.cy, kFlags | SWP_NOMOVE);
  }
  RedrawWindow(Host.Form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED && LOWORD(wp) == IDOK) Form1.Button1Click();
      if (HIWORD(wp) == BN_CLICKED && LOWORD(wp) == IDCANCEL) Form1.Button2Click();
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_CTLCOLORBTN:  // the corners around the buttons
      return reinterpret_cast<LRESULT>(Colours.FormBrush());
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(
          Colours.ColourStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp) == Host.Status));
    case WM_ERASEBKGND: {
      RECT r{};
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, Colours.FormBrush());
      return 1;
    }
    case WM_PAINT:
      Colours.PaintForm(hwnd, Host.Status);
      return 0;
    case WM_SETTINGCHANGE:
      if (wp != SPI_SETHIGHCONTRAST) break;
      [[fallthrough]];
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
      // A contrast theme switched on or off, or new colours: drawn anew.
      Colours.Take();
      for (const TControl& c : Controls) SendMessageW(c.Window, msg, wp, lp);
      RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return 0;
    case WM_ACTIVATE:
      // As a dialog does: the focus comes back to the control that had it.
      if (LOWORD(wp) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) LastFocus = focus;
      } else {
        SetFocus(LastFocus ? LastFocus : Host.Edit);
      }
      return 0;
    case WM_SYSCOMMAND:
      // The application window carries the task-bar button: minimise that.
      if ((wp & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(Host.App, SW_MINIMIZE);
        return 0;
      }
      break;
    case WM_GETDPISCALEDSIZE: {  // about to move to a screen of another DPI: the size there
      const auto dpi = static_cast<UINT>(wp);
      *reinterpret_cast<SIZE*>(lp) = OuterSize(ClientSize(dpi), kFormStyle, dpi);
      return TRUE;
    }
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      const POINT corner{suggested->left, suggested->top};
      Layout(HIWORD(wp), &corner);
      return 0;
    }
    case WM_CLOSE:
      Form1.Close();
      return 0;
    case WM_ENDSESSION:  // the process may end at any moment after this: answer now
      if (wp) Form1.CloseOnFailure();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK AppProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && Host.Form && IsWindowVisible(Host.Form)) {
        SetActiveWindow(Host.Form);
        return 0;
      }
      break;
    case WM_CLOSE:  // "Close window" on the task-bar button
      Form1.Close();
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Creates a control of the form; Layout gives it its place and font.
HWND Control(int index, const wchar_t* cls, std::string_view text, DWORD style, DWORD exStyle,
             const layout::TRect& place, int id) {
  const HWND c = CreateWindowExW(exStyle, cls, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, place.X,
                                 place.Y, place.W, place.H, Host.Form,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                 nullptr);
  Controls[index] = {c, place};
  return c;
}

bool CreateWindows(HINSTANCE inst) {
  WNDCLASSEXW fc{};
  fc.cbSize = sizeof fc;
  fc.lpfnWndProc = FormProc;
  fc.hInstance = inst;
  fc.hIcon = LoadIconW(inst, L"MAINICON");
  fc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  fc.hbrBackground = nullptr;  // the form paints its own, in the colours of the moment
  fc.lpszClassName = kFormClass;
  WNDCLASSEXW ac = fc;
  ac.lpfnWndProc = AppProc;
  ac.lpszClassName = kAppClass;
  if (!RegisterClassExW(&fc) || !RegisterClassExW(&ac)) return false;

  // The application window: no size of its own, only a task-bar button.
  Host.App = CreateWindowExW(0, kAppClass, Widen(caption::kAppTitle).c_str(),
                             WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                             GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                             nullptr, nullptr, inst, nullptr);
  RECT outer{0, 0, layout::kClientWidth, layout::kClientHeight};
  AdjustWindowRectEx(&outer, kFormStyle, FALSE, 0);
  Host.Form = CreateWindowExW(0, kFormClass, Widen(caption::kForm).c_str(), kFormStyle, layout::kInitialLeft,
                              layout::kInitialTop, outer.right - outer.left, outer.bottom - outer.top, Host.App,
                              nullptr, inst, nullptr);
  if (!Host.App || !Host.Form) return false;

  Control(0, L"STATIC", caption::kDistance, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, layout::kLabel1, -1);
  Control(1, L"STATIC", caption::kUnit, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, layout::kLabel2, -1);
  Host.Status = Control(2, L"STATIC", caption::kStatusAtDesign, SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0,
                        layout::kLabel3, -1);
  Host.Edit = Control(3, L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, layout::kEdit1, -1);
  Control(4, L"BUTTON", caption::kOk, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, layout::kButton1, IDOK);
  Control(5, L"BUTTON", caption::kCancel, WS_TABSTOP | BS_PUSHBUTTON, 0, layout::kButton2, IDCANCEL);
  // A screen reader names the edit box by the text just before it in the
  // window order: "分割距離" goes there, which changes neither the layout
  // nor the tab order of Edit1, Button1, Button2.
  SetWindowPos(Controls[0].Window, Host.Status, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Digits are typed as plain single-byte characters: no input method here.
  ImmAssociateContext(Host.Edit, nullptr);
  return true;
}

// The windows and the message loop. Every way out answers the host
// (app/RunForm.h): a window that cannot be made (no desktop, its resources
// exhausted), a failure anywhere, or a loop ended by anything but a close.
class TWin32FrontEnd : public TFrontEnd {
 public:
  explicit TWin32FrontEnd(HINSTANCE inst) : inst_(inst) {}

  bool MakeWindow() override {
    const INITCOMMONCONTROLSEX styles{sizeof styles, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&styles);  // the controls in the system's visual style
    Colours.Take();
    if (!CreateWindows(inst_)) return false;
    // Sized for the screen under the cursor, where the form opens: its outer
    // size places it there.
    POINT cursor{};
    GetCursorPos(&cursor);
    Layout(DpiAtPoint(cursor));
    return true;
  }

  void ShowWindow() override {
    ::ShowWindow(Host.App, SW_SHOWNOACTIVATE);
    ::ShowWindow(Host.Form, SW_SHOW);
    SetForegroundWindow(Host.Form);
    SetFocus(Host.Edit);
  }

  bool RunLoop() override {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (IsWindow(Host.Form) && IsDialogMessageW(Host.Form, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    return false;
  }

 private:
  HINSTANCE inst_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int) {
  TWin32FrontEnd front(inst);
  return RunForm(Form1, front);
}
