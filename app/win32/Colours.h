// The dialog's colours on Win32: the system's as they are now, chosen between
// the design's and the system's own by ChooseColours, and brushes of them.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "app/DialogColours.h"

class TFormColours {
 public:
  TFormColours() = default;
  TFormColours(const TFormColours&) = delete;
  TFormColours& operator=(const TFormColours&) = delete;
  ~TFormColours() { Release(); }

  // Asks the system again: at the start, and whenever the theme or the
  // colours change.
  void Take();
  HBRUSH FormBrush() const { return form_; }
  // For WM_CTLCOLORSTATIC: a label's colours, or with `status` the status
  // line's, set in `dc`; the brush of its background.
  HBRUSH ColourStatic(HDC dc, bool status) const;
  // WM_PAINT of the form: in the system's colours the status line may have
  // the form's own colour, and a line in the text colour along its top keeps
  // it a band of its own.
  void PaintForm(HWND form, HWND status) const;

 private:
  void Release();

  TDialogColours colours_{};
  HBRUSH form_ = nullptr, status_ = nullptr;
};
