// equidist: the dialog with FLTK, for Linux and other X11 desktops. Same
// layout, texts and keys as the Windows program, in a Japanese gothic font
// found through fontconfig.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <fontconfig/fontconfig.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Captions.h"
#include "app/EscPoll.h"
#include "app/Layout.h"
#include "app/ProgramPath.h"
#include "app/Unit1.h"
#include "app/icon/icon.xpm"

namespace {

const Fl_Font kFont = FL_FREE_FONT;
const int kFontSize = layout::kFontHeight;
Fl_Color Colour(layout::TColour c) { return fl_rgb_color(c.R, c.G, c.B); }
const Fl_Color kFormColour = Colour(layout::kFormColour);
const Fl_Color kStatusColour = Colour(layout::kStatusColour);

// A fixed-pitch Japanese gothic, as close to the layout's face as the system
// has.
std::string JapaneseGothic() {
  std::string family = "monospace";
  if (!FcInit()) return family;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("monospace:lang=ja"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* name = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch) family = reinterpret_cast<char*>(name);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return family;
}

// The default button: Enter presses it wherever the focus is, and it wears
// the dark frame of a dialog's default button.
class TDefaultButton : public Fl_Button {
 public:
  using Fl_Button::Fl_Button;
  int handle(int event) override {
    if (event == FL_SHORTCUT && (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
      simulate_key_action();
      do_callback();
      return 1;
    }
    return Fl_Button::handle(event);
  }
  void draw() override {
    Fl_Button::draw();
    fl_color(FL_BLACK);
    fl_rect(x(), y(), w(), h());
  }
};

// The session ends (SIGTERM at logout, SIGHUP when the terminal goes, SIGINT
// for Ctrl+C): the host is answered as Windows answers it at the session's
// end, "hq" and exit code 1. The handler only notes the signal, in a flag
// and down a pipe the event loop watches; a walk, which holds the loop,
// finds the flag as it asks for ESC.
volatile std::sig_atomic_t EndSignalled = 0;
int EndPipe[2] = {-1, -1};

extern "C" void OnEndSignal(int) {
  EndSignalled = 1;
  const int saved = errno;
  if (::write(EndPipe[1], "", 1) < 0) {
    // the flag is enough for the walk; the loop hears of a full pipe already
  }
  errno = saved;
}

void EndForSignal();

bool EscapeDown() {
  if (EndSignalled) EndForSignal();
  return Fl::get_key(FL_Escape) != 0;
}

class TFltkHost : public TFormHost {
 public:
  // The window and the controls the form works through, once they are made.
  void Attach(Fl_Window& window, Fl_Input& edit, Fl_Box& status) {
    window_ = &window;
    edit_ = &edit;
    status_ = &status;
  }

  TScreenPoint CursorPos() override {
    TScreenPoint p;
    Fl::get_mouse(p.X, p.Y);
    return p;
  }
  TScreenSize OuterSize() override { return {window_->decorated_w(), window_->decorated_h()}; }
  // FLTK places the client area; the frame, once a window manager has made
  // one, lies around it. FLTK pulls new windows onto the screen and does not
  // move a window to the position it asked for last: a step aside makes it.
  void MoveTo(int left, int top) override {
    const int border = (window_->decorated_w() - window_->w()) / 2;
    const int title = window_->decorated_h() - window_->h() - border;
    window_->position(left + border + 1, top + title);
    window_->position(left + border, top + title);
  }
  std::string EditText() override { return edit_->value(); }
  void SetStatus(std::string_view utf8) override { status_->copy_label(std::string(utf8).c_str()); }
  void RepaintStatus() override {
    status_->redraw();
    Fl::flush();
  }
  bool EscBeforeSegment() override { return escape_(); }
  bool EscBetweenPoints() override { return escape_(); }
  void CloseWindow() override { window_->hide(); }
  // A click or Alt+Y leaves the focus on the OK button.
  void FocusEdit() override {
    edit_->take_focus();
    edit_->position(edit_->size(), 0);  // the cursor at the end, the whole text selected
  }
  std::filesystem::path ProgramFolder() override { return ::ProgramFolder(); }
  void ReplyNotPlaced() override { Alert(message::kReplyNotPlaced); }
  void AnotherInstance() override { Alert(message::kAnotherInstance); }

  void DisplayLost() { displayLost_ = true; }

 private:
  void Alert(const char* text) {
    if (displayLost_) {  // no window can say it any more
      std::fprintf(stderr, "%s\n", text);
      return;
    }
    fl_message_title(caption::kForm);
    fl_message_font(kFont, kFontSize);
    fl_close = caption::kCloseMessage;
    fl_alert("%s", text);
  }

  bool displayLost_ = false;
  Fl_Window* window_ = nullptr;
  Fl_Input* edit_ = nullptr;
  Fl_Box* status_ = nullptr;
  TEscPoll<bool (*)()> escape_{&EscapeDown};
};

// FLTK keeps a left-aligned label 3 pixels inside its box: the box is widened
// by as much, so that the text starts where the layout puts it.
Fl_Box* Label(layout::TRect r, const char* text) {
  auto* b = new Fl_Box(r.X - 3, r.Y, r.W + 6, r.H, text);
  b->labelfont(kFont);
  b->labelsize(kFontSize);
  b->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
  return b;
}

template <class Button>
Button* MakeButton(layout::TRect r, const char* text) {
  auto* b = new Button(r.X, r.Y, r.W, r.H, text);
  b->labelfont(kFont);
  b->labelsize(kFontSize);
  return b;
}

// FLTK ends the program through Fl::fatal when it cannot open the display or
// loses it: the host is answered first, as Cancel answers it.
TFltkHost* FatalHost;
TForm1* FatalForm;

[[noreturn]] void Fatal(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  if (FatalForm && FatalForm->AnotherInstance()) {  // lost while the message box was to say so
    std::fprintf(stderr, "%s\n", message::kAnotherInstance);
    std::_Exit(5);
  }
  if (FatalForm) {
    FatalHost->DisplayLost();
    FatalForm->CloseOnFailure();
  }
  std::_Exit(1);  // a walk cut short may still have workers running
}

void EndForSignal() {
  const bool answered = FatalForm->Closed();  // by a close a moment before
  FatalHost->DisplayLost();                   // nobody is there to read a message box
  FatalForm->CloseOnFailure();
  std::_Exit(answered ? 0 : 1);
}

// The pipe is non-blocking, so that the handler never waits on a full one.
void CatchEndSignals() {
  if (::pipe2(EndPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;  // then the default: the process ends
  Fl::add_fd(EndPipe[0], FL_READ, [](int, void*) { EndForSignal(); });
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
}

}  // namespace

int main() {  // the program reads no command line
  TFltkHost host;
  TForm1 form(host);
  FatalHost = &host;
  FatalForm = &form;
  Fl::fatal = Fatal;
  CatchEndSignals();
  try {
    static const std::string family = " " + JapaneseGothic();  // " ": regular style
    Fl::set_font(kFont, family.c_str());
    Fl::disable_im();  // digits are typed as plain single-byte characters
    Fl::visible_focus(1);

    Fl_Window window(layout::kInitialLeft, layout::kInitialTop, layout::kClientWidth, layout::kClientHeight,
                     caption::kForm);
    window.color(kFormColour);
    window.iconlabel(caption::kAppTitle);
    window.xclass("equidist");
    Label(layout::kLabel1, caption::kDistance);
    Label(layout::kLabel2, caption::kUnit);
    constexpr layout::TRect s = layout::kLabel3;  // centred: the box is the layout's own
    auto* status = new Fl_Box(s.X, s.Y, s.W, s.H, caption::kStatusAtDesign);
    status->labelfont(kFont);
    status->labelsize(kFontSize);
    status->box(FL_FLAT_BOX);
    status->color(kStatusColour);
    status->align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    // In tab order: Edit1, Button1, Button2.
    constexpr layout::TRect e = layout::kEdit1;
    auto* edit = new Fl_Input(e.X, e.Y, e.W, e.H);
    edit->textfont(kFont);
    edit->textsize(kFontSize);
    auto* ok = MakeButton<TDefaultButton>(layout::kButton1, caption::kOk);
    auto* cancel = MakeButton<Fl_Button>(layout::kButton2, caption::kCancel);
    window.end();
    host.Attach(window, *edit, *status);

    static const Fl_Pixmap iconPixmap(equidist_icon_xpm);
    static const Fl_RGB_Image icon(&iconPixmap, kFormColour);
    window.icon(&icon);

    ok->callback([](Fl_Widget*, void* f) { static_cast<TForm1*>(f)->Button1Click(); }, &form);
    cancel->callback([](Fl_Widget*, void* f) { static_cast<TForm1*>(f)->Button2Click(); }, &form);
    // The close button and Esc.
    window.callback([](Fl_Widget*, void* f) { static_cast<TForm1*>(f)->Close(); }, &form);

    form.FormShow();
    if (form.Closed()) return form.AnotherInstance() ? 5 : 1;
    window.show();
    while (!window.visible() && window.shown()) Fl::wait();
    form.PlaceAtCursor();  // now with the frame's size
    edit->take_focus();
    Fl::run();
    if (form.Closed()) return 0;
  } catch (...) {
  }
  // Anything but a close ended it: the host is answered as Cancel answers.
  form.CloseOnFailure();
  return 1;
}
