// X input as the close rules see it, and the pointer of a full-screen run. A
// full-screen run judges the input of every event by the close rules, hides
// the pointer when they say so and ends when they close.
#pragma once

#include <X11/Xlib.h>

#include <optional>

#include "saver/close_rules.h"

namespace roamlets::saver {

// The input an X event stands for: a key press, a press of mouse button 1, 2
// or 3 (the others are the wheels and the extra buttons), pointer motion to
// the event's root coordinates, the window being mapped, or the loss of the
// keyboard focus to another window. Nothing for other events.
std::optional<InputEvent> input_of(const XEvent& event);

// The pointer over a window.
class X11Pointer {
 public:
  X11Pointer(Display* display, ::Window window) : display_(display), window_(window) {}
  ~X11Pointer();
  X11Pointer(const X11Pointer&) = delete;
  X11Pointer& operator=(const X11Pointer&) = delete;

  // Where the pointer is now, in root coordinates, as the server says;
  // nothing when it cannot say.
  std::optional<Point> position() const;
  // Gives the window an invisible cursor.
  void hide();

 private:
  Display* display_;
  ::Window window_;
  Cursor blank_ = None;
};

}  // namespace roamlets::saver
