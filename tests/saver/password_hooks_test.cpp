// The password hooks: provider loading and unloading with the saver-running
// state, the paths the system modules are loaded from, the close verification
// with its re-prompt guard, and the password change.
#include "saver/password_hooks.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "saver/close_rules.h"
#include "saver/messages.h"
#include "tests/saver/fake_platform.h"

namespace roamlets::saver::testing {
namespace {

constexpr Window kSaver = 7;
const std::string kProviderPath = "C:\\WINDOWS\\SYSTEM\\PASSWORD.CPL";
const std::string kChangePath = "C:\\WINDOWS\\SYSTEM\\MPR.DLL";

TEST(LoadPasswordProvider, LoadsOnlyOnWin9xWhenThePasswordIsOnAndTheEntryIsThere) {
  struct Row {
    const char* name;
    bool win9x;
    std::optional<std::uint32_t> use_password;
    bool library;
    bool entry;
    Log actions;
    Module module;
  };
  const Row rows[] = {
      {"elsewhere", false, 1, true, true, {}, 0},
      {"no value", true, std::nullopt, true, true, {}, 0},
      {"password off", true, 0, true, true, {}, 0},
      {"library missing", true, 1, false, true, {"load " + kProviderPath}, 0},
      {"entry missing", true, 1, true, false, {"load " + kProviderPath, "free 50"}, 0},
      {"loaded", true, 1, true, true, {"load " + kProviderPath, "saver_running 1"}, 50},
      {"high byte set", true, 0x01000000, true, true, {"load " + kProviderPath, "saver_running 1"}, 50},
  };
  for (const Row& row : rows) {
    FakeHost h;
    h.state.on_win9x = row.win9x ? 1 : 0;
    h.fake.desktop_value = row.use_password;
    if (row.library) h.fake.libraries = {{kProviderPath, 50}};
    if (row.entry) h.fake.entries = {{"VerifyScreenSavePwd", 51}};
    load_password_provider(h.host);
    EXPECT_EQ(h.fake.actions(), row.actions) << row.name;
    if (!row.win9x) {
      EXPECT_EQ(h.fake.log, Log{}) << "nothing is even read elsewhere";
    }
    EXPECT_EQ(h.state.password_module, row.module) << row.name;
    EXPECT_EQ(h.state.verify_password, row.module != 0 ? Entry{51} : Entry{0}) << row.name;
  }
}

TEST(LoadPasswordProvider, UnloadsAProviderAlreadyLoadedFirst) {
  for (const std::uint32_t use_password : {1u, 0u}) {
    FakeHost h;
    h.state.on_win9x = 1;
    h.state.password_module = 40;
    h.state.verify_password = 41;
    h.fake.desktop_value = use_password;
    h.fake.libraries = {{kProviderPath, 50}};
    h.fake.entries = {{"VerifyScreenSavePwd", 51}};
    load_password_provider(h.host);
    Log expected{"free 40", "saver_running 0"};
    if (use_password != 0) expected.insert(expected.end(), {"load " + kProviderPath, "saver_running 1"});
    EXPECT_EQ(h.fake.actions(), expected);
    EXPECT_EQ(h.state.password_module, use_password != 0 ? Module{50} : Module{0});
  }
}

TEST(SystemModules, AreLoadedByFullPathFromTheSystemDirectory) {
  struct Row {
    const char* directory;
    const char* provider;
    const char* change;
  };
  const Row rows[] = {
      {"C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\SYSTEM\\PASSWORD.CPL", "C:\\WINDOWS\\SYSTEM\\MPR.DLL"},
      {"C:\\WINDOWS\\SYSTEM\\", "C:\\WINDOWS\\SYSTEM\\PASSWORD.CPL", "C:\\WINDOWS\\SYSTEM\\MPR.DLL"},
      {"D:\\", "D:\\PASSWORD.CPL", "D:\\MPR.DLL"},
  };
  for (const Row& row : rows) {
    FakeHost h;
    h.state.on_win9x = 1;
    h.fake.system_dir = row.directory;
    h.fake.desktop_value = 1;
    load_password_provider(h.host);
    change_password(h.host, 0);
    EXPECT_EQ(h.fake.actions(),
              (Log{std::string("load ") + row.provider, std::string("load ") + row.change}));
  }
}

TEST(SystemModules, AreNeverLoadedByBareNameWhenTheSystemDirectoryIsUnknown) {
  FakeHost h;
  h.state.on_win9x = 1;
  h.fake.system_dir = "";
  h.fake.desktop_value = 1;
  load_password_provider(h.host);
  change_password(h.host, 0);
  for (const std::string& entry : h.fake.actions()) {
    if (entry.rfind("load ", 0) == 0) {
      EXPECT_NE(entry.find('\\'), std::string::npos) << entry;
    }
  }
}

TEST(UnloadPasswordProvider, FreesTheModuleAndClearsTheRunningStateWithTheEntry) {
  struct Row {
    bool win9x;
    Module module;
    Entry entry;
    Log actions;
  };
  const Row rows[] = {
      {false, 40, 41, {}},
      {true, 0, 0, {}},
      {true, 40, 0, {"free 40"}},
      {true, 40, 41, {"free 40", "saver_running 0"}},
  };
  for (const Row& row : rows) {
    FakeHost h;
    h.state.on_win9x = row.win9x ? 1 : 0;
    h.state.password_module = row.module;
    h.state.verify_password = row.entry;
    unload_password_provider(h.host);
    EXPECT_EQ(h.fake.actions(), row.actions);
    EXPECT_EQ(h.state.password_module, row.win9x ? Module{0} : row.module);
    EXPECT_EQ(h.state.verify_password, row.win9x ? Entry{0} : row.entry);
  }
}

// A win9x host whose verify request is answered by the close rules.
void verifying_host(FakeHost& h) {
  h.state.on_win9x = 1;
  h.state.saver_window = kSaver;
  h.state.verify_password = 51;
  h.fake.send_handler = [&h](const Message& message) { return default_saver_proc(h.host, message); };
}

TEST(VerifyClose, PromptsUnlessRefusedOrWithin200MsOfTheLastPrompt) {
  constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  const Log granted{"tick_count",        "remove_timer 7",       "remove_timer 7",
                    "send 7 WM_APP 0 0", "verify_password 51 7", "tick_count"};
  const Log refused{"tick_count",           "remove_timer 7", "remove_timer 7", "send 7 WM_APP 0 0",
                    "verify_password 51 7", "hide_cursor",    "tick_count"};
  const Log guarded{"tick_count"};
  struct Row {
    const char* name;
    std::uint32_t verifying;
    std::uint32_t closing;
    bool verifier;
    std::uint32_t last_prompt;
    std::deque<std::uint32_t> ticks;
    std::int32_t verdict;
    std::uint32_t result;
    Log log;
    std::uint32_t last_prompt_after;
  };
  const Row rows[] = {
      {"while verifying", 1, 0, true, kNone, {}, 1, 0, {}, kNone},
      {"while closing", 0, 1, true, kNone, {}, 1, 0, {}, kNone},
      {"no verifier", 0, 0, false, kNone, {}, 0, 1, {}, kNone},
      {"first prompt", 0, 0, true, kNone, {50, 60}, 1, 1, granted, 60},
      {"199 ms after", 0, 0, true, 1000, {1199}, 1, 0, guarded, 1000},
      {"200 ms after", 0, 0, true, 1000, {1200, 1300}, 1, 1, granted, 1300},
      {"across the wrap", 0, 0, true, 0xFFFFFF00u, {0x10, 0x20}, 1, 1, granted, 0x20},
      {"within 200 ms across the wrap", 0, 0, true, 0xFFFFFFF0u, {0x10}, 1, 0, guarded, 0xFFFFFFF0u},
      {"refused", 0, 0, true, kNone, {50, 4000}, 0, 0, refused, 4000},
      {"verdict 7", 0, 0, true, 1000, {5000, 6000}, 7, 7, granted, 6000},
      {"verdict -1", 0, 0, true, 1000, {5000, 6000}, -1, 0xFFFFFFFFu, granted, 6000},
  };
  for (const Row& row : rows) {
    FakeHost h;
    verifying_host(h);
    h.state.verifying = row.verifying;
    h.state.closing = row.closing;
    h.state.verify_password = row.verifier ? 51 : 0;
    h.state.last_prompt_tick = row.last_prompt;
    h.fake.ticks = row.ticks;
    h.fake.verdict = row.verdict;
    EXPECT_EQ(verify_close(h.host, kSaver), row.result) << row.name;
    EXPECT_EQ(h.fake.log, row.log) << row.name;
    EXPECT_EQ(h.state.closing != 0, row.closing != 0 || row.result != 0) << row.name;
    EXPECT_EQ(h.state.verifying, row.verifying) << row.name;
    EXPECT_EQ(h.state.last_prompt_tick, row.last_prompt_after) << row.name;
  }
}

TEST(VerifyClose, InputAndCloseRequestsDuringThePromptNeitherCloseNorPromptAgain) {
  FakeHost h;
  verifying_host(h);
  h.fake.ticks = {50, 60};
  h.fake.verdict = 0;
  std::uint32_t verifying_during_prompt = 0;
  LResult nested_close = -1;
  h.fake.send_handler = [&](const Message& message) {
    verifying_during_prompt = h.state.verifying;
    nested_close = default_saver_proc(h.host, {kSaver, kWmClose, 0, 0});
    default_saver_proc(h.host, {kSaver, kWmKeyDown, 0x41, 0});
    return default_saver_proc(h.host, message);
  };
  EXPECT_EQ(verify_close(h.host, kSaver), 0u);
  EXPECT_EQ(verifying_during_prompt, 1u);
  EXPECT_EQ(nested_close, 0);
  EXPECT_EQ(h.fake.actions(), (Log{"remove_timer 7", "remove_timer 7", "send 7 WM_APP 0 0",
                                   "default 7 WM_KEYDOWN 65 0", "verify_password 51 7", "hide_cursor"}));
}

TEST(ChangePassword, CallsTheChangeEntryWithTheOwnerAndFreesTheLibrary) {
  struct Row {
    bool library;
    bool entry;
    Window owner;
    Log actions;
  };
  const Row rows[] = {
      {true, true, 1234, {"load " + kChangePath, "change_password 31 SCRSAVE 1234", "free 30"}},
      {true, true, 0, {"load " + kChangePath, "change_password 31 SCRSAVE 0", "free 30"}},
      {true, false, 1234, {"load " + kChangePath, "free 30"}},
      {false, true, 1234, {"load " + kChangePath}},
  };
  for (const Row& row : rows) {
    FakeHost h;
    h.state.on_win9x = 1;
    if (row.library) h.fake.libraries = {{kChangePath, 30}};
    if (row.entry) h.fake.entries = {{"PwdChangePasswordA", 31}};
    change_password(h.host, row.owner);
    EXPECT_EQ(h.fake.actions(), row.actions);
  }
}

}  // namespace
}  // namespace roamlets::saver::testing
