#include "app/win32/Accessibility.h"

#include <objbase.h>
#include <oleacc.h>

namespace {

// UI Automation's LiveSetting property, and its value Polite.
constexpr GUID kLiveSetting{0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1;
// The property service of oleacc, and IAccPropServices' own interface id.
constexpr CLSID kAccPropServices{0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIAccPropServices{0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED, Windows 8 on

}  // namespace

// COM is loaded when a message first appears, not with the program: most
// exchanges never show one, and the dialog must open at once.
void MarkLiveRegion(HWND control) {
  const HMODULE ole = LoadLibraryW(L"ole32.dll");
  if (!ole) return;
  using InitFn = HRESULT(WINAPI*)(void*, DWORD);
  using CreateFn = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
  const auto init = reinterpret_cast<InitFn>(reinterpret_cast<void (*)()>(GetProcAddress(ole, "CoInitializeEx")));
  const auto create =
      reinterpret_cast<CreateFn>(reinterpret_cast<void (*)()>(GetProcAddress(ole, "CoCreateInstance")));
  if (!init || !create) return;
  // The apartment stays for the program's life: the property lives with it.
  const HRESULT apartment = init(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(apartment) && apartment != RPC_E_CHANGED_MODE) return;
  IAccPropServices* props = nullptr;
  if (FAILED(create(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                    reinterpret_cast<void**>(&props))))
    return;
  VARIANT polite{};
  polite.vt = VT_I4;
  polite.lVal = kPolite;
  props->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kLiveSetting, polite);
  props->Release();
}

void AnnounceChange(HWND control) { NotifyWinEvent(kLiveRegionChanged, control, OBJID_CLIENT, CHILDID_SELF); }
