// X input as the close rules see it: which events close a full-screen run or
// hide its pointer, through the shared close rules.
// GoogleTest before Xlib, whose macros (None, Bool, ...) would break it.
#include <gtest/gtest.h>

#include "saver/close_rules.h"
#include "saver/host_state.h"
#include "x11/x11_input.h"

namespace roamlets::saver {
namespace {

XEvent key_press() {
  XEvent event{};
  event.xkey.type = KeyPress;
  return event;
}

XEvent button_press(unsigned int button) {
  XEvent event{};
  event.xbutton.type = ButtonPress;
  event.xbutton.button = button;
  return event;
}

XEvent motion(int root_x, int root_y) {
  XEvent event{};
  event.xmotion.type = MotionNotify;
  event.xmotion.x = root_x - 10;  // window coordinates, which the rules never read
  event.xmotion.y = root_y - 10;
  event.xmotion.x_root = root_x;
  event.xmotion.y_root = root_y;
  return event;
}

XEvent focus_out(int mode, int detail) {
  XEvent event{};
  event.xfocus.type = FocusOut;
  event.xfocus.mode = mode;
  event.xfocus.detail = detail;
  return event;
}

// What the close rules decide on the input an event stands for; nothing when
// it stands for none.
std::optional<CloseAction> judge(HostState& state, const XEvent& event) {
  const std::optional<InputEvent> input = input_of(event);
  if (!input) return std::nullopt;
  return judge_input(state, *input);
}

TEST(X11Input, KeysButtonsOneToThreeAndLostFocusCloseAndMappingHides) {
  struct Row {
    XEvent event;
    bool closes;
    bool hides;
  };
  XEvent mapped{};
  mapped.type = MapNotify;
  const Row rows[] = {
      {key_press(), true, false},
      {button_press(Button1), true, false},
      {button_press(Button2), true, false},
      {button_press(Button3), true, false},
      {focus_out(NotifyNormal, NotifyNonlinear), true, false},
      {focus_out(NotifyWhileGrabbed, NotifyAncestor), true, false},
      {mapped, false, true},
      {motion(500, 400), false, false},
  };
  for (const Row& row : rows) {
    HostState state;
    state.cursor_origin = {500, 400};
    const std::optional<CloseAction> action = judge(state, row.event);
    ASSERT_TRUE(action.has_value()) << "event type " << row.event.type;
    EXPECT_EQ(action->close, row.closes) << "event type " << row.event.type;
    EXPECT_EQ(action->hide_cursor, row.hides) << "event type " << row.event.type;
  }

  // The wheels and the extra buttons, focus moving within our window or with
  // a grab, and events that are no input are not judged.
  XEvent released{};
  released.type = KeyRelease;
  XEvent exposed{};
  exposed.type = Expose;
  for (const XEvent& event :
       {button_press(4), button_press(5), button_press(6), button_press(7), button_press(8), button_press(9),
        focus_out(NotifyGrab, NotifyNonlinear), focus_out(NotifyUngrab, NotifyNonlinear),
        focus_out(NotifyNormal, NotifyInferior), focus_out(NotifyNormal, NotifyPointer), released, exposed}) {
    HostState state;
    EXPECT_FALSE(judge(state, event).has_value())
        << "event type " << event.type << ", button " << event.xbutton.button;
  }
}

TEST(X11Input, PointerMovementClosesBeyondFourPixelsFromWhereItStarted) {
  struct Row {
    int dx;
    int dy;
    bool closes;
  };
  const Row rows[] = {{2, 2, false}, {4, 0, false}, {0, -4, false}, {-1, 3, false},
                      {3, 2, true},  {5, 0, true},  {-3, -2, true}, {0, 0, false}};
  for (const Row& row : rows) {
    HostState state;
    state.cursor_origin = {500, 400};
    EXPECT_EQ(judge(state, motion(500 + row.dx, 400 + row.dy)).value().close, row.closes)
        << "moved by " << row.dx << "," << row.dy;
  }

  // Small steps add up from the unchanged origin.
  HostState state;
  state.cursor_origin = {500, 400};
  EXPECT_FALSE(judge(state, motion(502, 400)).value().close);
  EXPECT_FALSE(judge(state, motion(504, 400)).value().close);
  EXPECT_TRUE(judge(state, motion(506, 400)).value().close);
}

}  // namespace
}  // namespace roamlets::saver
