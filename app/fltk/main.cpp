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
#include <memory>
#include <string>

#include "app/Captions.h"
#include "app/DesktopHost.h"
#include "app/Layout.h"
#include "app/RunForm.h"
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

class TFltkHost : public TDesktopHost {
 public:
  TFltkHost() : TDesktopHost(&EscapeDown) {}

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
  void CloseWindow() override { window_->hide(); }
  // A click or Alt+Y leaves the focus on the OK button.
  void FocusEdit() override {
    edit_->take_focus();
    edit_->position(edit_->size(), 0);  // the cursor at the end, the whole text selected
  }

  void DisplayLost() { displayLost_ = true; }

 private:
  void Alert(const char* text) override {
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
  if (!FatalForm) std::_Exit(kExitFailed);
  if (FatalForm->AnotherInstance()) std::fprintf(stderr, "%s\n", message::kAnotherInstance);  // the box could not
  FatalHost->DisplayLost();
  FatalForm->CloseOnFailure();
  std::_Exit(ExitCodeOf(*FatalForm));  // a walk cut short may still have workers running
}

// A close a moment before may have answered the host already.
void EndForSignal() {
  FatalHost->DisplayLost();  // nobody is there to read a message box
  FatalForm->CloseOnFailure();
  std::_Exit(ExitCodeOf(*FatalForm));
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

// The window and its controls, made when the form asks for them.
class TFltkFrontEnd : public TFrontEnd {
 public:
  TFltkFrontEnd(TForm1& form, TFltkHost& host) : form_(form), host_(host) {}

  bool MakeWindow() override {
    static const std::string family = " " + JapaneseGothic();  // " ": regular style
    Fl::set_font(kFont, family.c_str());
    // The message boxes' buttons ("閉じる") take FLTK's default face, which
    // has no Japanese: it becomes the same gothic.
    Fl::set_font(FL_HELVETICA, kFont);
    Fl::disable_im();  // digits are typed as plain single-byte characters
    Fl::visible_focus(1);

    window_ = std::make_unique<Fl_Window>(layout::kInitialLeft, layout::kInitialTop, layout::kClientWidth,
                                          layout::kClientHeight, caption::kForm);
    window_->color(kFormColour);
    window_->iconlabel(caption::kAppTitle);
    window_->xclass("equidist");
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
    edit_ = new Fl_Input(e.X, e.Y, e.W, e.H);
    edit_->textfont(kFont);
    edit_->textsize(kFontSize);
    auto* ok = MakeButton<TDefaultButton>(layout::kButton1, caption::kOk);
    auto* cancel = MakeButton<Fl_Button>(layout::kButton2, caption::kCancel);
    window_->end();
    host_.Attach(*window_, *edit_, *status);

    static const Fl_Pixmap iconPixmap(equidist_icon_xpm);
    static const Fl_RGB_Image icon(&iconPixmap, kFormColour);
    window_->icon(&icon);

    ok->callback([](Fl_Widget*, void* f) { static_cast<TForm1*>(f)->Button1Click(); }, &form_);
    cancel->callback([](Fl_Widget*, void* f) { static_cast<TForm1*>(f)->Button2Click(); }, &form_);
    // The close button and Esc.
    window_->callback([](Fl_Widget*, void* f) { static_cast<TForm1*>(f)->Close(); }, &form_);
    return true;  // without a display, showing it ends the program through Fatal
  }

  void ShowWindow() override {
    window_->show();
    while (!window_->visible() && window_->shown()) Fl::wait();
    form_.PlaceAtCursor();  // now with the frame's size
    edit_->take_focus();
  }

  bool RunLoop() override {
    Fl::run();
    return false;
  }

 private:
  TForm1& form_;
  TFltkHost& host_;
  std::unique_ptr<Fl_Window> window_;
  Fl_Input* edit_ = nullptr;
};

}  // namespace

int main() {  // the program reads no command line
  TFltkHost host;
  TForm1 form(host);
  FatalHost = &host;
  FatalForm = &form;
  Fl::fatal = Fatal;
  CatchEndSignals();
  TFltkFrontEnd front(form, host);
  return RunForm(form, front);
}
