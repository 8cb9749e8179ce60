#include "x11/x11_input.h"

#include "saver/messages.h"

namespace roamlets::saver {
namespace {

std::uint32_t button_message(unsigned int button) {
  switch (button) {
    case Button1:
      return kWmLButtonDown;
    case Button2:
      return kWmMButtonDown;
    case Button3:
      return kWmRButtonDown;
    case Button4:
    case Button5:
      return kWmMouseWheel;
    case 6:
    case 7:
      return kWmMouseHWheel;
    default:
      return kWmXButtonDown;
  }
}

LParam packed_point(int x, int y) {
  return static_cast<LParam>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) | static_cast<std::uint32_t>(x & 0xFFFF));
}

// Focus that goes to another window, not to a child of ours or back and forth
// with a keyboard grab.
bool focus_lost(const XFocusChangeEvent& focus) {
  const bool real_change = focus.mode == NotifyNormal || focus.mode == NotifyWhileGrabbed;
  return real_change && focus.detail != NotifyInferior && focus.detail != NotifyPointer;
}

}  // namespace

std::optional<Message> input_message(const XEvent& event, Window target) {
  switch (event.type) {
    case KeyPress:
      return Message{target, kWmKeyDown, event.xkey.keycode, 0};
    case ButtonPress:
      return Message{target, button_message(event.xbutton.button), 0, packed_point(event.xbutton.x, event.xbutton.y)};
    case MotionNotify:
      return Message{target, kWmMouseMove, 0, packed_point(event.xmotion.x, event.xmotion.y)};
    case MapNotify:
      return Message{target, kWmShowWindow, 1, 0};
    case FocusOut:
      if (focus_lost(event.xfocus)) return Message{target, kWmActivateApp, 0, 0};
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

X11InputPlatform::~X11InputPlatform() {
  if (blank_ != None) XFreeCursor(display_, blank_);
}

std::optional<Point> pointer_of(const XEvent& event) {
  switch (event.type) {
    case KeyPress:
      return Point{event.xkey.x_root, event.xkey.y_root};
    case ButtonPress:
      return Point{event.xbutton.x_root, event.xbutton.y_root};
    case MotionNotify:
      return Point{event.xmotion.x_root, event.xmotion.y_root};
    default:
      return std::nullopt;
  }
}

void X11InputPlatform::observe(const XEvent& event) {
  if (const std::optional<Point> pointer = pointer_of(event)) pointer_ = *pointer;
}

void X11InputPlatform::query_pointer() {
  ::Window root = None;
  ::Window child = None;
  int root_x = 0;
  int root_y = 0;
  int x = 0;
  int y = 0;
  unsigned int mask = 0;
  if (XQueryPointer(display_, window_, &root, &child, &root_x, &root_y, &x, &y, &mask)) pointer_ = {root_x, root_y};
}

bool X11InputPlatform::post_message(const Message& message) {
  if (message.id == kWmClose) close_requested_ = true;
  return true;
}

void X11InputPlatform::hide_cursor() {
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
