// How every front end runs the dialog and ends: one sequence that answers the
// host whatever way out is taken, and the exit codes all three programs give.
#pragma once

#include "app/Unit1.h"

enum TExitCode : int {
  kExitDone = 0,             // the reply, "hq" included, is in the file
  kExitFailed = 1,           // the program could not go on (memory, no window, the session's end): "hq"
  kExitLeftOpen = 2,         // OK left the dialog open and it closed as Cancel does (equidist-run)
  kExitReplyNotPlaced = 3,   // the file was left as it was: the host's selection may be in it
  kExitReplyRemoved = 4,     // no exchange file, or an empty one: the host adds nothing
  kExitAnotherInstance = 5,  // another program holds the file: nothing was read or written
  kExitUsage = 64,           // a wrong command line (equidist-run)
};

// The exit code of a form that has closed. Where more than one applies: 5,
// then 3, then 4, then 1 or 2.
int ExitCodeOf(const TForm1& form, bool leftOpen = false);

// What a toolkit does around the form.
class TFrontEnd {
 public:
  virtual ~TFrontEnd() = default;
  virtual bool MakeWindow() = 0;  // false: none can be had (no display, no desktop)
  virtual void ShowWindow() = 0;  // once the form has read the file
  // Runs the event loop to its end. True when it ended with the dialog left
  // open by OK and then closed as Cancel (a front end without a user).
  virtual bool RunLoop() = 0;
};

// The form from the making of its window to its close. Whatever ends it (a
// close, a window that cannot be made, anything thrown, a loop that ends
// without a close), the host is answered: the reply, "hq", or nothing when
// another program holds the file. Returns the exit code.
int RunForm(TForm1& form, TFrontEnd& front);
