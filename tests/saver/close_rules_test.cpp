// The close rules: the triggers, the mouse threshold, the close request and
// the verify request on each platform family, the AutoPlay query, and input
// judged on the saver window's behalf when it lands on the scene window.
#include "saver/close_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "saver/messages.h"
#include "tests/saver/fake_platform.h"

namespace roamlets::saver::testing {
namespace {

constexpr Window kSaver = 7;
constexpr Window kScene = 9;
constexpr LResult kDefault = 0xDEF;
constexpr Entry kVerifier = 51;

enum class State { Normal, Preview, Closing, Verifying, NoSaverWindow };

const char* state_name(State state) {
  static const char* const names[] = {"normal", "preview", "closing", "verifying", "no saver window"};
  return names[static_cast<int>(state)];
}

void enter(FakeHost& h, State state) {
  h.state.saver_window = state == State::NoSaverWindow ? 0 : kSaver;
  h.state.in_preview = state == State::Preview ? 1 : 0;
  h.state.closing = state == State::Closing ? 1 : 0;
  h.state.verifying = state == State::Verifying ? 1 : 0;
}

struct TriggerRow {
  std::uint32_t id;
  WParam wparam;
  bool hides;
  bool closes;
  bool consumed;  // answered 1 without the default handling
};

// Every trigger, and messages that look like triggers but are not. The mouse
// rows keep the cursor on the origin.
const std::vector<TriggerRow>& trigger_rows() {
  static const std::vector<TriggerRow> rows = {
      {kWmShowWindow, 1, true, false, false},
      {kWmShowWindow, 0, false, false, false},
      {kWmActivateApp, 0, false, true, false},
      {kWmActivateApp, 1, false, false, false},
      {kWmSetCursor, 0, true, false, true},
      {kWmPower, 1, false, false, false},
      {kWmPower, 2, false, false, false},
      {kWmPower, 3, false, true, false},
      {kWmPowerBroadcast, 0, false, true, false},
      {kWmPowerBroadcast, 4, false, true, false},
      {kWmPowerBroadcast, 0x8013, false, true, false},
      {kWmKeyDown, 0x41, false, true, false},
      {kWmSysKeyDown, 0x12, false, true, false},
      {kWmLButtonDown, 1, false, true, false},
      {kWmRButtonDown, 2, false, true, false},
      {kWmMButtonDown, 16, false, true, false},
      {kWmActivate, 0, false, false, false},
      {kWmNcActivate, 0, false, false, false},
      {kWmSysCommand, kScScreenSave, false, false, false},
      {kWmMouseMove, 0, false, false, false},
  };
  return rows;
}

// Runs one trigger row through `proc` for a message of `window`; close
// requests are expected at `close_target`, or nowhere when the state blocks
// the rules.
template <typename Proc>
void check_trigger(const TriggerRow& row, State state, Window window, Window close_target, Proc proc) {
  FakeHost h;
  enter(h, state);
  h.state.cursor_origin = {10, 10};
  h.fake.cursor = {10, 10};
  const Message message{window, row.id, row.wparam, 0x00050005};
  const bool rules_apply = state == State::Normal;
  Log expected;
  if (rules_apply && row.hides) expected.push_back("hide_cursor");
  if (rules_apply && row.closes) expected.push_back("post " + describe({close_target, kWmClose, 0, 0}));
  if (!rules_apply || !row.consumed) expected.push_back("default " + describe(message));
  const std::string context = std::string(state_name(state)) + ": " + describe(message);
  EXPECT_EQ(proc(h.host, message), rules_apply && row.consumed ? 1 : kDefault) << context;
  EXPECT_EQ(h.fake.actions(), expected) << context;
}

TEST(DefaultSaverProc, TriggersCloseOrHideOnlyOutsidePreviewClosingAndVerifying) {
  for (const State state : {State::Normal, State::Preview, State::Closing, State::Verifying}) {
    for (const TriggerRow& row : trigger_rows())
      check_trigger(row, state, kSaver, kSaver, default_saver_proc);
  }
}

TEST(DefaultSaverProc, PostsCloseRequestsToTheWindowItWasCalledWith) {
  for (const TriggerRow& row : trigger_rows()) check_trigger(row, State::Normal, 4, 4, default_saver_proc);
}

TEST(SceneInputProc, JudgesSceneInputOnTheSaverWindowsBehalf) {
  const std::vector<std::uint32_t> forwarded = {kWmActivate,    kWmActivateApp, kWmSetCursor,  kWmNcActivate,
                                                kWmKeyDown,     kWmSysKeyDown,  kWmSysCommand, kWmMouseMove,
                                                kWmLButtonDown, kWmRButtonDown, kWmMButtonDown};
  for (const State state :
       {State::Normal, State::Preview, State::Closing, State::Verifying, State::NoSaverWindow}) {
    for (const TriggerRow& row : trigger_rows()) {
      if (std::find(forwarded.begin(), forwarded.end(), row.id) == forwarded.end()) continue;
      check_trigger(row, state, kScene, kSaver, scene_input_proc);
    }
  }
}

TEST(CloseRules, MouseMovementClosesBeyondFourPixelsFromTheOrigin) {
  struct Row {
    Point origin;
    std::vector<Point> moves;
    const char* closes;  // per move: 'x' closes, '.' does not
    Point final_origin;
  };
  const Row rows[] = {
      {{100, 100}, {{103, 102}}, "x", {103, 102}},
      {{100, 100}, {{102, 102}}, ".", {100, 100}},
      {{100, 100}, {{104, 100}}, ".", {100, 100}},
      {{100, 100}, {{100, 96}}, ".", {100, 100}},
      {{100, 100}, {{97, 98}}, "x", {97, 98}},
      {{100, 100}, {{102, 100}, {104, 100}, {106, 100}}, "..x", {106, 100}},
      {{100, 100}, {{105, 100}, {106, 100}, {110, 100}}, "x.x", {110, 100}},
      {{INT_MIN, 0}, {{INT_MAX, 0}}, "x", {INT_MAX, 0}},
      {{INT_MAX, INT_MIN}, {{INT_MIN, INT_MIN}}, "x", {INT_MIN, INT_MIN}},
      {{INT_MAX, INT_MAX}, {{INT_MAX - 2, INT_MAX - 2}}, ".", {INT_MAX, INT_MAX}},
      {{INT_MIN, INT_MIN}, {{INT_MIN + 3, INT_MIN + 2}}, "x", {INT_MIN + 3, INT_MIN + 2}},
      // 2^32 + 2 pixels in all: the largest movement, not one wrapped to 2.
      {{INT_MIN, INT_MIN}, {{INT_MAX, INT_MIN + 3}}, "x", {INT_MAX, INT_MIN + 3}},
  };
  struct Via {
    const char* name;
    Window window;
    LResult (*proc)(Host&, const Message&);
  };
  for (const Via via : {Via{"saver", kSaver, default_saver_proc}, Via{"scene", kScene, scene_input_proc}}) {
    for (const Row& row : rows) {
      FakeHost h;
      enter(h, State::Normal);
      h.state.cursor_origin = row.origin;
      std::string closes;
      for (const Point& move : row.moves) {
        h.fake.log.clear();
        h.fake.cursor = move;
        // The message's own coordinates are not what is measured.
        const Message message{via.window, kWmMouseMove, 0, 0x7FFF7FFF};
        EXPECT_EQ(via.proc(h.host, message), kDefault);
        const Log post{"post 7 WM_CLOSE 0 0", "default " + describe(message)};
        const Log stay{"default " + describe(message)};
        const Log actions = h.fake.actions();
        closes += actions == post ? 'x' : actions == stay ? '.' : '?';
      }
      EXPECT_EQ(closes, row.closes) << via.name << " from " << row.origin.x << "," << row.origin.y;
      EXPECT_EQ(h.state.cursor_origin.x, row.final_origin.x) << via.name;
      EXPECT_EQ(h.state.cursor_origin.y, row.final_origin.y) << via.name;
    }
  }
}

TEST(ClosePending, SeesWhatTheRulesWouldCloseOnWithoutTakingItOrActing) {
  struct Row {
    State state;
    std::vector<std::uint32_t> waiting;
    Point cursor;  // the origin is (100, 100)
    bool pending;
  };
  const Row rows[] = {
      {State::Normal, {}, {100, 100}, false},
      {State::Normal, {kWmKeyDown}, {100, 100}, true},
      {State::Normal, {kWmSysKeyDown}, {100, 100}, true},
      {State::Normal, {kWmMButtonDown}, {100, 100}, true},
      {State::Normal, {kWmMouseMove}, {102, 102}, false},
      {State::Normal, {kWmMouseMove}, {103, 102}, true},
      {State::Normal, {kWmTimer, kWmPaint, kWmSetCursor}, {100, 100}, false},
      {State::Normal, {kWmClose}, {100, 100}, true},
      {State::Preview, {kWmKeyDown, kWmLButtonDown, kWmMouseMove}, {200, 200}, false},
      {State::Preview, {kWmClose}, {100, 100}, true},
      {State::Verifying, {kWmKeyDown, kWmMouseMove}, {200, 200}, false},
      {State::Closing, {}, {100, 100}, true},
  };
  for (const Row& row : rows) {
    FakeHost h;
    enter(h, row.state);
    h.state.cursor_origin = {100, 100};
    h.fake.cursor = row.cursor;
    for (const std::uint32_t id : row.waiting) h.fake.waiting[id] = {kScene, id, 0, 0};
    std::string waiting;
    for (const std::uint32_t id : row.waiting) waiting += describe({0, id, 0, 0}) + "; ";
    EXPECT_EQ(close_pending(h.host), row.pending) << state_name(row.state) << ": " << waiting;
    EXPECT_EQ(h.fake.actions(), Log{}) << waiting;
    EXPECT_EQ(h.state.cursor_origin.x, 100) << waiting;
  }
}

TEST(DefaultSaverProc, CloseAndVerifyRequestsGoThroughThePasswordOnlyOnWin9x) {
  const Log granted{"remove_timer 7", "remove_timer 7", "send 7 WM_APP 0 0", "verify_password 51 7",
                    "default 7 WM_CLOSE 0 0"};
  const Log refused{"remove_timer 7", "remove_timer 7", "send 7 WM_APP 0 0", "verify_password 51 7",
                    "hide_cursor"};
  const Log close{"default 7 WM_CLOSE 0 0"};
  const Log app{"default 7 WM_APP 0 0"};
  const Log verify{"verify_password 51 7"};
  using S = State;
  struct Row {
    const char* name;
    std::uint32_t id;
    bool win9x;
    State state;
    bool verifier;
    std::int32_t verdict;
    LResult result;
    Log actions;
    std::uint32_t closing;
    bool origin_moved;
  };
  const Row rows[] = {
      {"close elsewhere", kWmClose, false, S::Normal, true, 0, kDefault, close, 0, false},
      {"close without password", kWmClose, true, S::Normal, false, 0, kDefault, close, 1, false},
      {"close granted", kWmClose, true, S::Normal, true, 1, kDefault, granted, 1, false},
      {"close refused", kWmClose, true, S::Normal, true, 0, 0, refused, 0, true},
      {"close while verifying", kWmClose, true, S::Verifying, true, 1, 0, {}, 0, true},
      {"close in preview", kWmClose, true, S::Preview, true, 0, kDefault, close, 0, false},
      {"close while closing", kWmClose, true, S::Closing, true, 0, kDefault, close, 1, false},
      {"verify elsewhere", kWmApp, false, S::Normal, true, 1, kDefault, app, 0, false},
      {"verify without verifier", kWmApp, true, S::Normal, false, 0, 1, {}, 0, false},
      {"verify refused", kWmApp, true, S::Normal, true, 0, 0, verify, 0, false},
      {"verify any non-zero", kWmApp, true, S::Normal, true, 5, 5, verify, 0, false},
      {"verify while verifying", kWmApp, true, S::Verifying, true, 1, 1, verify, 0, false},
      {"verify in preview", kWmApp, true, S::Preview, true, 1, kDefault, app, 0, false},
      {"verify while closing", kWmApp, true, S::Closing, true, 1, kDefault, app, 1, false},
  };
  for (const Row& row : rows) {
    FakeHost h;
    enter(h, row.state);
    h.state.on_win9x = row.win9x ? 1 : 0;
    h.state.verify_password = row.verifier ? kVerifier : 0;
    h.state.cursor_origin = {1, 1};
    h.fake.cursor = {50, 60};
    h.fake.verdict = row.verdict;
    h.fake.ticks = {1000, 1500};
    h.fake.send_handler = [&h](const Message& message) { return default_saver_proc(h.host, message); };
    EXPECT_EQ(default_saver_proc(h.host, {kSaver, row.id, 0, 0}), row.result) << row.name;
    EXPECT_EQ(h.fake.actions(), row.actions) << row.name;
    EXPECT_EQ(h.state.closing, row.closing) << row.name;
    EXPECT_EQ(h.state.cursor_origin.x, row.origin_moved ? 50 : 1) << row.name;
    EXPECT_EQ(h.state.cursor_origin.y, row.origin_moved ? 60 : 1) << row.name;
  }
}

TEST(DefaultSaverProc, AutoPlayQueryClosesInEveryStateAndOnlyItsRegisteredIdCounts) {
  for (const State state : {State::Normal, State::Preview, State::Closing, State::Verifying}) {
    for (const bool verifier : {false, true}) {
      FakeHost h;
      enter(h, state);
      h.state.on_win9x = 1;
      h.state.autoplay_message = 0xC0DE;
      h.state.verify_password = verifier ? kVerifier : 0;
      const std::string context = std::string(state_name(state)) + (verifier ? " with verifier" : "");
      EXPECT_EQ(default_saver_proc(h.host, {kSaver, 0xC0DE, 0, 0}), verifier ? 1 : 0) << context;
      EXPECT_EQ(h.fake.actions(), Log{"post 7 WM_CLOSE 0 0"}) << context;
    }
  }
  for (const auto& [registered, id] : {std::pair{0u, 0u}, {0xC0DEu, 0xC0DFu}, {0xC0DEu, 0u}}) {
    FakeHost h;
    enter(h, State::Normal);
    h.state.autoplay_message = registered;
    h.state.verify_password = kVerifier;
    const Message message{kSaver, id, 0, 0};
    EXPECT_EQ(default_saver_proc(h.host, message), kDefault);
    EXPECT_EQ(h.fake.actions(), Log{"default " + describe(message)});
  }
}

}  // namespace
}  // namespace roamlets::saver::testing
