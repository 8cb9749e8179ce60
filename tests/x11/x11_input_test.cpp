// X input as the close rules see it: which events stand for which messages,
// and a full-screen run's closing through the shared close triggers.
// GoogleTest before Xlib, whose macros (None, Bool, ...) would break it.
#include <gtest/gtest.h>

#include "saver/close_rules.h"
#include "saver/host_state.h"
#include "saver/messages.h"
#include "x11/x11_input.h"

namespace roamlets::saver {
namespace {

constexpr Window kTarget = 0x400001;

XEvent key_press() {
  XEvent event{};
  event.xkey.type = KeyPress;
  event.xkey.keycode = 38;
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

TEST(X11Input, EventsStandForTheMessagesOfAWindowsRun) {
  struct Row {
    XEvent event;
    std::uint32_t id;
    WParam wparam;
  };
  XEvent mapped{};
  mapped.type = MapNotify;
  const Row rows[] = {
      {key_press(), kWmKeyDown, 38},
      {button_press(Button1), kWmLButtonDown, 0},
      {button_press(Button2), kWmMButtonDown, 0},
      {button_press(Button3), kWmRButtonDown, 0},
      {button_press(Button4), kWmMouseWheel, 0},
      {button_press(Button5), kWmMouseWheel, 0},
      {button_press(6), kWmMouseHWheel, 0},
      {button_press(7), kWmMouseHWheel, 0},
      {button_press(8), kWmXButtonDown, 0},
      {motion(100, 200), kWmMouseMove, 0},
      {mapped, kWmShowWindow, 1},
      {focus_out(NotifyNormal, NotifyNonlinear), kWmActivateApp, 0},
      {focus_out(NotifyWhileGrabbed, NotifyAncestor), kWmActivateApp, 0},
  };
  for (const Row& row : rows) {
    const std::optional<Message> message = input_message(row.event, kTarget);
    ASSERT_TRUE(message.has_value()) << "event type " << row.event.type;
    EXPECT_EQ(message->window, kTarget);
    EXPECT_EQ(message->id, row.id) << "event type " << row.event.type;
    EXPECT_EQ(message->wparam, row.wparam);
  }

  // Focus moving within our window, or with a grab, is no loss of activation.
  XEvent released{};
  released.type = KeyRelease;
  XEvent exposed{};
  exposed.type = Expose;
  for (const XEvent& event : {focus_out(NotifyGrab, NotifyNonlinear), focus_out(NotifyUngrab, NotifyNonlinear),
                              focus_out(NotifyNormal, NotifyInferior), focus_out(NotifyNormal, NotifyPointer),
                              released, exposed}) {
    EXPECT_FALSE(input_message(event, kTarget).has_value()) << "event type " << event.type;
  }
}

// Runs an event through the close triggers as a full-screen run does; true
// once the run has been asked to close.
bool judge(HostState& state, X11InputPlatform& platform, const XEvent& event) {
  platform.observe(event);
  if (const std::optional<Message> message = input_message(event, kTarget)) {
    LResult result = 0;
    apply_close_triggers(state, platform, kTarget, *message, result);
  }
  return platform.close_requested();
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
    X11InputPlatform platform(nullptr, 0);
    EXPECT_EQ(judge(state, platform, motion(500 + row.dx, 400 + row.dy)), row.closes)
        << "moved by " << row.dx << "," << row.dy;
  }

  // Small steps add up from the unchanged origin.
  HostState state;
  state.cursor_origin = {500, 400};
  X11InputPlatform platform(nullptr, 0);
  EXPECT_FALSE(judge(state, platform, motion(502, 400)));
  EXPECT_FALSE(judge(state, platform, motion(504, 400)));
  EXPECT_TRUE(judge(state, platform, motion(506, 400)));
}

TEST(X11Input, KeysButtonsAndLostFocusCloseWheelsDoNot) {
  const XEvent closing[] = {key_press(), button_press(Button1), button_press(Button2), button_press(Button3),
                            focus_out(NotifyNormal, NotifyNonlinear)};
  for (const XEvent& event : closing) {
    HostState state;
    X11InputPlatform platform(nullptr, 0);
    EXPECT_TRUE(judge(state, platform, event)) << "event type " << event.type;
  }
  for (const unsigned int button : {4u, 5u, 6u, 7u, 8u, 9u}) {
    HostState state;
    X11InputPlatform platform(nullptr, 0);
    EXPECT_FALSE(judge(state, platform, button_press(button))) << "button " << button;
  }
}

TEST(X11Input, ThePointerPositionComesFromTheLatestEventInRootCoordinates) {
  X11InputPlatform platform(nullptr, 0);
  platform.observe(motion(12, 34));
  EXPECT_EQ(platform.cursor_pos().x, 12);
  EXPECT_EQ(platform.cursor_pos().y, 34);
  XEvent press = button_press(Button1);
  press.xbutton.x_root = 56;
  press.xbutton.y_root = 78;
  platform.observe(press);
  EXPECT_EQ(platform.cursor_pos().x, 56);
  EXPECT_EQ(platform.cursor_pos().y, 78);
  // Only WM_CLOSE asks the run to end.
  EXPECT_TRUE(platform.post_message({kTarget, kWmKeyDown, 0, 0}));
  EXPECT_FALSE(platform.close_requested());
}

}  // namespace
}  // namespace roamlets::saver
