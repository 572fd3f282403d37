#include "app/RunForm.h"

int ExitCodeOf(const TForm1& form, bool leftOpen) {
  if (form.AnotherInstance()) return kExitAnotherInstance;
  if (form.HostFileLeft()) return kExitReplyNotPlaced;
  if (!form.ReplySaved()) return kExitReplyRemoved;
  if (form.Failed()) return kExitFailed;
  return leftOpen ? kExitLeftOpen : kExitDone;
}

int RunForm(TForm1& form, TFrontEnd& front) {
  try {
    if (front.MakeWindow()) {
      form.FormShow();  // closed already when it failed, or another program holds the file
      if (form.Closed()) return ExitCodeOf(form);
      front.ShowWindow();
      const bool leftOpen = front.RunLoop();
      if (form.Closed()) return ExitCodeOf(form, leftOpen);
    }
  } catch (...) {
  }
  // Anything but a close ended it: the host is answered as Cancel answers.
  form.CloseOnFailure();
  return ExitCodeOf(form);
}
