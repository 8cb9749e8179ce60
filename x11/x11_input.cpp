#include "x11/x11_input.h"

namespace roamlets::saver {
namespace {

// Focus that goes to another window, not to a child of ours or back and forth
// with a keyboard grab.
bool focus_lost(const XFocusChangeEvent& focus) {
  const bool real_change = focus.mode == NotifyNormal || focus.mode == NotifyWhileGrabbed;
  return real_change && focus.detail != NotifyInferior && focus.detail != NotifyPointer;
}

}  // namespace

std::optional<InputEvent> input_of(const XEvent& event) {
  using Kind = InputEvent::Kind;
  switch (event.type) {
    case KeyPress:
      return InputEvent{Kind::KeyDown, {}};
    case ButtonPress:
      if (event.xbutton.button >= Button1 && event.xbutton.button <= Button3)
        return InputEvent{Kind::ButtonDown, {}};
      return std::nullopt;
    case MotionNotify:
      return InputEvent{Kind::PointerMoved, {event.xmotion.x_root, event.xmotion.y_root}};
    case MapNotify:
      return InputEvent{Kind::WindowShown, {}};
    case FocusOut:
      if (focus_lost(event.xfocus)) return InputEvent{Kind::Deactivated, {}};
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

X11Pointer::~X11Pointer() {
  if (blank_ != None) XFreeCursor(display_, blank_);
}

std::optional<Point> X11Pointer::position() const {
  ::Window root = None;
  ::Window child = None;
  int root_x = 0;
  int root_y = 0;
  int x = 0;
  int y = 0;
  unsigned int mask = 0;
  if (!XQueryPointer(display_, window_, &root, &child, &root_x, &root_y, &x, &y, &mask)) return std::nullopt;
  return Point{root_x, root_y};
}

void X11Pointer::hide() {
  if (blank_ == None) {
    static const char kNoBits[1] = {0};
    const Pixmap empty = XCreateBitmapFromData(display_, window_, kNoBits, 1, 1);
    XColor black{};
    blank_ = XCreatePixmapCursor(display_, empty, empty, &black, &black, 0, 0);
    XFreePixmap(display_, empty);
  }
  XDefineCursor(display_, window_, blank_);
}

}  // namespace roamlets::saver
