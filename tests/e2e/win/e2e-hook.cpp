// e2e-hook.dll: loaded by e2e-win.exe into the dialog's process as a message
// hook, so that a change of the system's colours can be made where Wine
// keeps them: in each process. The registered message "equidist-e2e-colours"
// posted to the dialog sets a dark contrast scheme (wParam 1) or the usual
// light colours (0) there, as the user's colour settings would, and then the
// event "equidist-e2e-colours-set".
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK ColoursHook(int code, WPARAM wp, LPARAM lp) {
  static const UINT kColours = RegisterWindowMessageW(L"equidist-e2e-colours");
  const auto* m = reinterpret_cast<const MSG*>(lp);
  if (code == HC_ACTION && wp == PM_REMOVE && m->message == kColours) {
    const int which[] = {COLOR_WINDOWTEXT, COLOR_BTNTEXT, COLOR_WINDOW, COLOR_BTNFACE};
    const COLORREF dark[] = {RGB(255, 255, 255), RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 0, 0)};
    const COLORREF light[] = {RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255), RGB(240, 240, 240)};
    SetSysColors(4, which, m->wParam ? dark : light);
    if (const HANDLE done = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"equidist-e2e-colours-set")) {
      SetEvent(done);
      CloseHandle(done);
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
