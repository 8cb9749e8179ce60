// X input as the close rules see it: events translated into the window
// messages a full-screen saver run receives on Windows, and the rules'
// platform calls served on X. A full-screen run hands every translated
// message to apply_close_triggers and ends once it has posted WM_CLOSE.
#pragma once

#include <X11/Xlib.h>

#include <optional>

#include "saver/platform.h"

namespace roamlets::saver {

// The message an X event stands for, addressed to `target`: key press,
// mouse button (1, 2, 3 are the left, middle and right buttons; 4 to 7 the
// wheels; the others the extra buttons), pointer motion, the window being
// shown, or the loss of the keyboard focus to another window. Nothing for
// other events.
std::optional<Message> input_message(const XEvent& event, Window target);

// Where the pointer was, in root coordinates, when a key, button or motion
// event happened; nothing for other events.
std::optional<Point> pointer_of(const XEvent& event);

class X11InputPlatform final : public InputPlatform {
 public:
  X11InputPlatform(Display* display, ::Window window) : display_(display), window_(window) {}
  ~X11InputPlatform() override;
  X11InputPlatform(const X11InputPlatform&) = delete;
  X11InputPlatform& operator=(const X11InputPlatform&) = delete;

  // Keeps the pointer position an event carries (in root coordinates), which
  // cursor_pos then answers without asking the server.
  void observe(const XEvent& event);
  // Asks the server where the pointer is now, and keeps that.
  void query_pointer();

  bool close_requested() const { return close_requested_; }

  // The rules' default handling has nothing left to do on X.
  LResult default_window_proc(const Message&) override { return 0; }
  // WM_CLOSE asks the run to end; no other message is posted by the rules.
  bool post_message(const Message& message) override;
  Point cursor_pos() override { return pointer_; }
  // Gives the window an invisible cursor.
  void hide_cursor() override;

 private:
  Display* display_;
  ::Window window_;
  Point pointer_;
  Cursor blank_ = None;
  bool close_requested_ = false;
};

}  // namespace roamlets::saver
