// The saver window: the routing table of its procedure, and the run that
// creates it and drives its message loop.
#include "saver/saver_window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "saver/messages.h"
#include "tests/saver/fake_platform.h"

namespace roamlets::saver::testing {
namespace {

constexpr Window kSaver = 7;
constexpr LResult kDefault = 0xDEF;

enum class Mode { FullScreen, Preview, Closing };

const char* mode_name(Mode mode) {
  static const char* const names[] = {"full screen", "preview", "closing"};
  return names[static_cast<int>(mode)];
}

struct RouteRow {
  Mode mode;
  std::uint32_t id;
  WParam wparam;
  LResult result;
  Log actions;
};

void check_routes(const RouteRow& row, FakeHost& h) {
  h.state.in_preview = row.mode == Mode::Preview ? 1 : 0;
  h.state.closing = row.mode == Mode::Closing ? 1 : 0;
  RecordingNext next(h.fake);
  const Message message{kSaver, row.id, row.wparam, 55};
  EXPECT_EQ(saver_window_proc(h.host, next, message), row.result)
      << mode_name(row.mode) << ": " << describe(message);
  EXPECT_EQ(h.fake.actions(), row.actions) << mode_name(row.mode) << ": " << describe(message);
}

TEST(SaverWindowProc, RoutesEachMessageAsTheRoutingTableSays) {
  using M = Mode;
  const RouteRow rows[] = {
      {M::FullScreen, kWmSetText, 0, 0, {}},
      {M::Preview, kWmSetText, 0, 0, {}},
      {M::Closing, kWmSetText, 0, 0, {}},
      {M::FullScreen, kWmPaint, 0, kNextResult, {"hide_cursor", "next 7 WM_PAINT 0 55"}},
      {M::Preview, kWmPaint, 0, kNextResult, {"next 7 WM_PAINT 0 55"}},
      {M::Closing, kWmPaint, 0, kDefault, {"default 7 WM_PAINT 0 55"}},
      {M::FullScreen, kWmHelp, 0, kNextResult, {"next 7 WM_HELP 0 55"}},
      {M::FullScreen, kWmContextMenu, 9, kNextResult, {"next 7 WM_CONTEXTMENU 9 55"}},
      {M::Preview, kWmHelp, 0, 1, {"post 3 WM_HELP 3 55"}},
      {M::Preview, kWmContextMenu, 9, 1, {"post 3 WM_CONTEXTMENU 3 55"}},
      {M::FullScreen, kWmSysCommand, kScNextWindow, 0, {}},
      {M::FullScreen, kWmSysCommand, kScPrevWindow, 0, {}},
      {M::FullScreen, kWmSysCommand, kScScreenSave, 0, {}},
      {M::FullScreen, kWmSysCommand, kScScreenSave + 2, kNextResult, {"next 7 WM_SYSCOMMAND 61762 55"}},
      {M::FullScreen, kWmSysCommand, 0xF060, kNextResult, {"next 7 WM_SYSCOMMAND 61536 55"}},
      {M::Preview, kWmSysCommand, kScScreenSave, kNextResult, {"next 7 WM_SYSCOMMAND 61760 55"}},
      {M::Preview, kWmSysCommand, kScNextWindow, kNextResult, {"next 7 WM_SYSCOMMAND 61504 55"}},
      {M::FullScreen, kWmTimer, 101, kNextResult, {"yield", "next 7 WM_TIMER 101 55"}},
      {M::Preview, kWmTimer, 101, kNextResult, {"yield", "next 7 WM_TIMER 101 55"}},
      {M::Closing, kWmTimer, 101, 0, {}},
      {M::FullScreen, kWmClose, 0, kNextResult, {"next 7 WM_CLOSE 0 55"}},
      {M::Closing, kWmSize, 0, kNextResult, {"next 7 WM_SIZE 0 55"}},
      {M::Closing, kWmApp, 0, kNextResult, {"next 7 WM_APP 0 55"}},
  };
  for (const RouteRow& row : rows) {
    FakeHost h;
    h.fake.parent = 3;
    h.fake.windows = {3};
    check_routes(row, h);
  }
}

TEST(SaverWindowProc, PreviewHelpIsNotPostedToAMissingParent) {
  for (const Window parent : {Window{0}, Window{4}}) {
    FakeHost h;
    h.fake.parent = parent;
    h.fake.windows = {3};
    check_routes({Mode::Preview, kWmHelp, 0, 1, {}}, h);
  }
}

TEST(SaverWindowProc, InputGoesStraightToDefaultWhileClosing) {
  for (const std::uint32_t id :
       {kWmKeyDown, kWmSysKeyDown, kWmMouseMove, kWmLButtonDown, kWmRButtonDown, kWmMButtonDown}) {
    for (const Mode mode : {Mode::FullScreen, Mode::Preview, Mode::Closing}) {
      FakeHost h;
      const std::string message = describe({kSaver, id, 0, 55});
      if (mode == Mode::Closing) {
        check_routes({mode, id, 0, kDefault, {"default " + message}}, h);
      } else {
        check_routes({mode, id, 0, kNextResult, {"next " + message}}, h);
      }
    }
  }
}

TEST(SaverWindowProc, CreateDetachesTheInputMethodRecordsTheOriginAndHidesTheCursor) {
  struct Row {
    bool ime_loaded;
    bool ime_entry;
    bool preview;
    Log actions;
    Handle saved_context;
  };
  const Row rows[] = {
      {true, true, false, {"ime_associate 61 7 0", "hide_cursor", "next 7 WM_CREATE 0 0"}, 62},
      {true, true, true, {"ime_associate 61 7 0", "next 7 WM_CREATE 0 0"}, 62},
      {true, false, false, {"hide_cursor", "next 7 WM_CREATE 0 0"}, 0},
      {false, true, false, {"hide_cursor", "next 7 WM_CREATE 0 0"}, 0},
  };
  for (const Row& row : rows) {
    FakeHost h;
    h.state.in_preview = row.preview ? 1 : 0;
    if (row.ime_loaded) h.fake.loaded = {{"IMM32.DLL", 60}};
    if (row.ime_entry) h.fake.entries = {{"ImmAssociateContext", 61}};
    h.fake.ime_previous = 62;
    h.fake.cursor = {300, -20};
    RecordingNext next(h.fake);
    EXPECT_EQ(saver_window_proc(h.host, next, {kSaver, kWmCreate, 0, 0}), kNextResult);
    EXPECT_EQ(h.fake.actions(), row.actions);  // a lookup only: nothing is loaded
    EXPECT_EQ(h.state.saved_ime_context, row.saved_context);
    EXPECT_EQ(h.state.cursor_origin.x, 300);
    EXPECT_EQ(h.state.cursor_origin.y, -20);
  }
}

TEST(SaverWindowProc, DestroyReattachesOnlyWithModuleEntryAndContextAndPostsQuit) {
  struct Row {
    Module module;
    Entry entry;
    Handle context;
    bool reattach;
  };
  const Row rows[] = {
      {60, 61, 62, true},
      {0, 61, 62, false},
      {60, 0, 62, false},
      {60, 61, 0, false},
  };
  for (const Row& row : rows) {
    FakeHost h;
    h.state.ime_module = row.module;
    h.state.ime_associate = row.entry;
    h.state.saved_ime_context = row.context;
    RecordingNext next(h.fake);
    EXPECT_EQ(saver_window_proc(h.host, next, {kSaver, kWmDestroy, 0, 0}), kNextResult);
    Log expected{"post_quit 0", "next 7 WM_DESTROY 0 0"};
    if (row.reattach) expected.insert(expected.begin(), "ime_associate 61 7 62");
    EXPECT_EQ(h.fake.actions(), expected);
  }
}

// A full-screen or preview run over a fake whose class registers, whose
// window is 7 and whose loop ends with 42; a provider is there to load.
void run_setup(FakeHost& h, bool win9x) {
  h.state.instance = 1000;
  h.state.on_win9x = win9x ? 1 : 0;
  h.fake.screen = {-10, -20, 1590, 880};
  h.fake.client = {5, 6, 320, 240};
  h.fake.created_window = kSaver;
  h.fake.loop_result = 42;
  h.fake.desktop_value = 1;
  h.fake.libraries = {{"C:\\WINDOWS\\SYSTEM\\PASSWORD.CPL", 50}};
  h.fake.entries = {{"VerifyScreenSavePwd", 51}};
}

std::string spec_text(const SaverWindowLayout& layout) {
  char text[160];
  std::snprintf(text, sizeof text, "%d,%d %dx%d style=%X ex=%X \"%s\" parent=%u", layout.bounds.left,
                layout.bounds.top, layout.bounds.right, layout.bounds.bottom, layout.style, layout.ex_style,
                layout.title, static_cast<unsigned>(layout.parent));
  return text;
}

TEST(RunSaver, CreatesTheWindowOfEachMode) {
  struct Row {
    Window parent;
    const char* layout;
    std::uint32_t in_preview;
  };
  const Row rows[] = {
      {0, "-10,-20 1600x900 style=96000000 ex=8 \"Screen Saver\" parent=0", 0},
      {3, "0,0 320x240 style=52000000 ex=0 \"Preview\" parent=3", 1},
  };
  for (const Row& row : rows) {
    FakeHost h;
    run_setup(h, false);
    h.fake.windows = {3};
    EXPECT_EQ(run_saver(h.host, row.parent), 42);
    ASSERT_EQ(h.fake.created.size(), 1u);
    EXPECT_EQ(spec_text(h.fake.created[0]), row.layout);
    EXPECT_EQ(h.state.in_preview, row.in_preview);
    EXPECT_EQ(h.state.saver_window, kSaver);
  }
}

TEST(RunSaver, LoadsRegistersCreatesLoopsAndUnloadsInOrder) {
  const Log provider_on{"load C:\\WINDOWS\\SYSTEM\\PASSWORD.CPL", "saver_running 1"};
  const Log provider_off{"free 50", "saver_running 0"};
  const Log autoplay{"register_message QueryCancelAutoPlay"};
  const Log full_screen{"register_class 1000", "create_window 1000 parent=0", "set_foreground 7",
                        "message_loop"};
  const Log preview{"register_class 1000", "create_window 1000 parent=3", "message_loop"};
  const Log no_class{"register_class 1000"};
  const Log no_window{"register_class 1000", "create_window 1000 parent=0"};
  const auto join = [](std::initializer_list<Log> parts) {
    Log all;
    for (const Log& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  struct Row {
    const char* name;
    Window parent;
    bool win9x;
    bool class_registers;
    Window created;
    Window found;
    Log actions;
    int result;  // -1: not fixed
    std::uint32_t autoplay;
  };
  const Row rows[] = {
      {"full screen on win9x", 0, true, true, kSaver, 0,
       join({provider_on, autoplay, full_screen, provider_off}), 42, 0xC0DE},
      {"full screen elsewhere", 0, false, true, kSaver, 0, join({full_screen}), 42, 0},
      {"preview on win9x", 3, true, true, kSaver, 88, join({autoplay, preview}), 42, 0xC0DE},
      {"another saver runs", 0, true, true, kSaver, 88, join({{"set_foreground 88"}}), 0, 0},
      {"a stale saver handle", 0, false, true, kSaver, 89, join({full_screen}), 42, 0},
      {"class not registered", 0, true, false, kSaver, 0,
       join({provider_on, autoplay, no_class, provider_off}), -1, 0xC0DE},
      {"window not created", 0, true, true, 0, 0, join({provider_on, autoplay, no_window, provider_off}), -1,
       0xC0DE},
  };
  for (const Row& row : rows) {
    FakeHost h;
    run_setup(h, row.win9x);
    h.fake.windows = {3, 88};
    h.fake.class_registers = row.class_registers;
    h.fake.created_window = row.created;
    h.fake.found = row.found;
    h.fake.loop_script = [&] {
      EXPECT_EQ(h.state.saver_window, kSaver) << "the handle is known before the loop";
    };
    const int result = run_saver(h.host, row.parent);
    if (row.result != -1) {
      EXPECT_EQ(result, row.result) << row.name;
    }
    EXPECT_EQ(h.fake.actions(), row.actions) << row.name;
    EXPECT_EQ(h.state.autoplay_message, row.autoplay) << row.name;
  }
}

}  // namespace
}  // namespace roamlets::saver::testing
