// e2e-win.exe: what the end-to-end script needs to see and do on the Windows
// side, under Wine.
//   hold FILE none|read MAX_MS RELEASE   holds FILE open for reading, sharing
//       nothing or reading only, until the file RELEASE exists or MAX_MS have
//       passed; prints "held" once it holds the file, then "released MS"
//   resources EXE   prints the version resource's strings and the manifest
//   layout TITLE    prints the DPI of the top-level window TITLE, its outer
//       and client rectangles on the screen (left top width height), and
//       each control's rectangle in the client area, in window order
//   dpichanged TITLE DPI LEFT TOP   tells the window TITLE what Windows tells
//       a window dragged onto a monitor of DPI: WM_DPICHANGED, with the
//       suggested rectangle at LEFT, TOP written into the window's process
//   syscolors TITLE dark|light   sets the text, window and button face
//       colours of a dark contrast scheme, or the usual light ones, in the
//       process of the window TITLE (through e2e-hook.dll: Wine keeps them
//       per process), as the user's colour settings do: every top-level
//       window there is told
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "base/Utf16.h"

namespace {

void Print(std::wstring_view text) {
  const std::string out = Narrow(text);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
}

int Hold(const wchar_t* file, std::wstring_view share, DWORD maxMs, const wchar_t* release) {
  const DWORD mode = share == L"read" ? FILE_SHARE_READ : 0;
  const ULONGLONG start = GetTickCount64();
  HANDLE h = INVALID_HANDLE_VALUE;
  for (;;) {
    h = CreateFileW(file, GENERIC_READ, mode, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) break;
    if (GetTickCount64() - start > maxMs) {
      Print(L"cannot open the file\n");
      return 1;
    }
    Sleep(10);
  }
  const ULONGLONG held = GetTickCount64();
  Print(L"held\n");
  while (GetTickCount64() - held < maxMs && GetFileAttributesW(release) == INVALID_FILE_ATTRIBUTES) Sleep(10);
  CloseHandle(h);
  Print(L"released " + std::to_wstring(GetTickCount64() - held) + L"\n");
  return 0;
}

int Resources(const wchar_t* exe) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe, &ignored);
  std::string info(size, '\0');
  if (size == 0 || !GetFileVersionInfoW(exe, 0, size, info.data())) {
    Print(L"no version resource\n");
    return 1;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  if (VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) && fixed)
    Print(L"FixedFileVersion " + std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
          std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
          std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
          std::to_wstring(LOWORD(fixed->dwFileVersionLS)) + L"\n");
  for (const wchar_t* name : {L"ProductName", L"ProductVersion", L"FileDescription", L"FileVersion",
                              L"OriginalFilename"}) {
    wchar_t* value = nullptr;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
    if (VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &len) && value)
      Print(std::wstring(name) + L" " + value + L"\n");
  }
  const HMODULE m = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  const HRSRC manifest = m ? FindResourceW(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) : nullptr;
  if (!manifest) {
    Print(L"no manifest\n");
    return 0;
  }
  const char* text = static_cast<const char*>(LockResource(LoadResource(m, manifest)));
  std::fwrite(text, 1, SizeofResource(m, manifest), stdout);
  return 0;
}

struct TFound {
  const wchar_t* Title;
  HWND Window;
};

// The visible top-level window of this title: the dialog, not a message box.
BOOL CALLBACK FindTopLevel(HWND w, LPARAM lp) {
  auto* found = reinterpret_cast<TFound*>(lp);
  wchar_t title[256] = {}, cls[64] = {};
  GetWindowTextW(w, title, 256);
  GetClassNameW(w, cls, 64);
  if (IsWindowVisible(w) && std::wstring_view(title) == found->Title && std::wstring_view(cls) != L"#32770") {
    found->Window = w;
    return FALSE;
  }
  return TRUE;
}

void PrintRect(const wchar_t* what, const RECT& r) {
  Print(std::wstring(what) + L" " + std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
        std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top) + L"\n");
}

BOOL CALLBACK PrintControl(HWND c, LPARAM lp) {
  const HWND form = reinterpret_cast<HWND>(lp);
  wchar_t cls[64] = {};
  GetClassNameW(c, cls, 64);
  RECT r{};
  GetWindowRect(c, &r);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
  PrintRect((std::wstring(L"control ") + cls).c_str(), r);
  return TRUE;
}

// The dialog's window, seen in the dialog's own coordinates: it draws
// itself at each DPI.
HWND FindDialog(const wchar_t* title) {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  if (!setContext || !setContext(reinterpret_cast<HANDLE>(-4))) SetProcessDPIAware();
  TFound found{title, nullptr};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&found));
  if (!found.Window) Print(L"no window\n");
  return found.Window;
}

int DpiChanged(const wchar_t* title, UINT dpi, int left, int top) {
  const HWND w = FindDialog(title);
  if (!w) return 1;
  RECT r{};
  GetWindowRect(w, &r);
  using GetDpiFn = UINT(WINAPI*)(HWND);
  const auto getDpi = reinterpret_cast<GetDpiFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const int from = getDpi ? static_cast<int>(getDpi(w)) : 96;
  const RECT suggested{left, top, left + MulDiv(r.right - r.left, static_cast<int>(dpi), from),
                       top + MulDiv(r.bottom - r.top, static_cast<int>(dpi), from)};
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  void* remote =
      process ? VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT, PAGE_READWRITE) : nullptr;
  if (!remote || !WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr)) {
    Print(L"cannot write into the window's process\n");
    return 1;
  }
  constexpr UINT kDpiChanged = 0x02E0;
  SendMessageW(w, kDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return 0;
}

int Layout(const wchar_t* title) {
  TFound found{title, FindDialog(title)};
  if (!found.Window) return 1;
  using GetDpiFn = UINT(WINAPI*)(HWND);
  const auto getDpi = reinterpret_cast<GetDpiFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  Print(L"dpi " + std::to_wstring(getDpi ? getDpi(found.Window) : 0) + L"\n");
  RECT r{};
  GetWindowRect(found.Window, &r);
  PrintRect(L"outer", r);
  GetClientRect(found.Window, &r);
  MapWindowPoints(found.Window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  PrintRect(L"client", r);
  EnumChildWindows(found.Window, PrintControl, reinterpret_cast<LPARAM>(found.Window));
  return 0;
}

int SysColors(const wchar_t* title, std::wstring_view scheme) {
  const HWND w = FindDialog(title);
  if (!w) return 1;
  const HMODULE dll = LoadLibraryW(L"e2e-hook.dll");
  const auto hook =
      dll ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(dll, "ColoursHook"))) : nullptr;
  const HHOOK h = hook ? SetWindowsHookExW(WH_GETMESSAGE, hook, dll, GetWindowThreadProcessId(w, nullptr)) : nullptr;
  if (!h) {
    Print(L"cannot hook the window's thread\n");
    return 1;
  }
  const HANDLE set = CreateEventW(nullptr, TRUE, FALSE, L"equidist-e2e-colours-set");
  PostMessageW(w, RegisterWindowMessageW(L"equidist-e2e-colours"), scheme == L"dark", 0);
  const bool done = set && WaitForSingleObject(set, 10000) == WAIT_OBJECT_0;
  UnhookWindowsHookEx(h);
  if (set) CloseHandle(set);
  if (!done) Print(L"the colours were not set in the window's process\n");
  return done ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring_view command = argc > 1 ? argv[1] : L"";
  if (command == L"hold" && argc == 6)
    return Hold(argv[2], argv[3], static_cast<DWORD>(_wtoi(argv[4])), argv[5]);
  if (command == L"resources" && argc == 3) return Resources(argv[2]);
  if (command == L"layout" && argc == 3) return Layout(argv[2]);
  if (command == L"dpichanged" && argc == 6)
    return DpiChanged(argv[2], static_cast<UINT>(_wtoi(argv[3])), _wtoi(argv[4]), _wtoi(argv[5]));
  if (command == L"syscolors" && argc == 4) return SysColors(argv[2], argv[3]);
  std::fputs("usage: e2e-win.exe hold FILE none|read MAX_MS RELEASE | resources EXE | layout TITLE |\n"
             "       dpichanged TITLE DPI LEFT TOP | syscolors TITLE dark|light\n",
             stderr);
  return 64;
}
