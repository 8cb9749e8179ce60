// The command line: the tail cut out of the raw line, the mode letter, the
// window handles, and the exit code of every mode.
#include "saver/run_modes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/saver/fake_platform.h"

namespace roamlets::saver::testing {
namespace {

TEST(CommandTail, SkipsTheProgramNameAndTheBlanksAfterIt) {
  struct Row {
    const char* line;
    const char* tail;
  };
  const Row rows[] = {
      {"saver.scr /s", "/s"},
      {"\"C:\\Program Files\\My Saver.scr\" /p 5", "/p 5"},
      {"\"C:\\a b\\saver.scr\"/s", "/s"},
      {"\"\" /c", "/c"},
      {"\"C:\\a b\\saver.scr /s", ""},    // an unterminated quote takes the whole line
      {" saver.scr /s", "saver.scr /s"},  // no name before a leading blank
      {"\tsaver.scr", "saver.scr"},
      {"saver.scr\t\x01\x1f /c", "/c"},
      {"saver.scr", ""},
      {"", ""},
      {"sav\xe9r.scr /s", "/s"},       // bytes from 0x80 up belong to the name
      {"saver.scr \xe9/s", "\xe9/s"},  // ... and are not blanks
  };
  for (const Row& row : rows) {
    FakePlatform fake;
    EXPECT_EQ(std::string(command_tail(fake, row.line)), row.tail) << "line: " << row.line;
  }
}

TEST(ParseWindowHandle, ReadsLeadingDigitsWrappingAt32Bits) {
  struct Row {
    const char* text;
    Window handle;
  };
  const Row rows[] = {
      {"1234", 1234},    {"00012abc", 12},   {"12:34", 12},
      {"", 0},           {"abc", 0},         {" 5", 0},
      {"-5", 0},         {"+5", 0},          {"4294967295", 4294967295u},
      {"4294967296", 0}, {"4294967306", 10}, {"99999999999999999999", 1661992959u},  // 10^20 mod 2^32 - 1
  };
  for (const Row& row : rows) EXPECT_EQ(parse_window_handle(row.text), row.handle) << "text: " << row.text;
}

// What a mode did, read from the fake's records: the saver window it created
// (with its parent), the configuration dialog (with its owner), the password
// change (with its owner), or nothing.
std::string what_ran(const FakePlatform& fake) {
  std::string ran;
  for (const std::string& entry : fake.actions()) {
    for (const char* kind : {"create_window", "configure", "change_password"}) {
      if (entry.rfind(kind, 0) == 0) ran += (ran.empty() ? "" : "; ") + entry;
    }
  }
  return ran.empty() ? "nothing" : ran;
}

TEST(SaverMain, RunsTheModeTheTailNamesAndReturnsItsExitCode) {
  constexpr int kLoopEnd = 42;
  constexpr int kDialogEnd = 5;
  struct Row {
    const char* tail;
    bool win9x;
    int exit_code;
    const char* ran;
  };
  const Row rows[] = {
      {"", false, kDialogEnd, "configure 1000 owner=0"},
      {"-", false, kDialogEnd, "configure 1000 owner=0"},
      {"/", false, kDialogEnd, "configure 1000 owner=0"},
      {"/s", false, kLoopEnd, "create_window 1000 parent=0"},
      {"-S", false, kLoopEnd, "create_window 1000 parent=0"},
      {"s", false, kLoopEnd, "create_window 1000 parent=0"},
      {"/ /s", false, kLoopEnd, "create_window 1000 parent=0"},
      {"//s", false, kLoopEnd, "create_window 1000 parent=0"},
      {"/sp", false, kLoopEnd, "create_window 1000 parent=0"},
      {"/s", true, kLoopEnd, "create_window 1000 parent=0"},
      {"/x", false, -1, "nothing"},
      {"/1", false, -1, "nothing"},
      {"\t/s", false, -1, "nothing"},
      {"\xe9/s", false, -1, "nothing"},
      {"/p 1234", false, kLoopEnd, "create_window 1000 parent=1234"},
      {"/l 1234", false, kLoopEnd, "create_window 1000 parent=1234"},
      {"/P1234 /s", false, kLoopEnd, "create_window 1000 parent=1234"},
      {"/L   1234", false, kLoopEnd, "create_window 1000 parent=1234"},
      {"/p 00012abc", false, kLoopEnd, "create_window 1000 parent=12"},
      {"/p 4294967306", false, kLoopEnd, "create_window 1000 parent=10"},
      {"/p:1234", false, -1, "nothing"},
      {"/p\t1234", false, -1, "nothing"},
      {"/p", false, -1, "nothing"},
      {"/p 0", false, -1, "nothing"},
      {"/p 99", false, -1, "nothing"},  // not a window
      {"/c:1234", false, kDialogEnd, "configure 1000 owner=1234"},
      {"C:1234", false, kDialogEnd, "configure 1000 owner=1234"},
      {"/c 1234", false, kDialogEnd, "configure 1000 owner=77"},
      {"/c", false, kDialogEnd, "configure 1000 owner=77"},
      {"/c:", false, kDialogEnd, "configure 1000 owner=77"},
      {"/c:0", false, kDialogEnd, "configure 1000 owner=77"},
      {"/c:99", false, kDialogEnd, "configure 1000 owner=77"},
      {"/c: 1234", false, kDialogEnd, "configure 1000 owner=77"},
      {"/a 1234", true, 0, "change_password 31 SCRSAVE 1234"},
      {"-A1234", true, 0, "change_password 31 SCRSAVE 1234"},
      {"/a 99", true, 0, "change_password 31 SCRSAVE 77"},
      {"/a", true, 0, "change_password 31 SCRSAVE 77"},
      {"/a 1234", false, -1, "nothing"},
  };
  for (const Row& row : rows) {
    FakeHost h;
    h.fake.win9x = row.win9x;
    h.fake.windows = {1234, 12, 10};
    h.fake.foreground = 77;
    h.fake.created_window = 7;
    h.fake.loop_result = kLoopEnd;
    h.fake.dialog_result = kDialogEnd;
    h.fake.libraries = {{"C:\\WINDOWS\\SYSTEM\\MPR.DLL", 30}};
    h.fake.entries = {{"PwdChangePasswordA", 31}};
    EXPECT_EQ(saver_main(h.host, 1000, row.tail), row.exit_code) << "tail: " << row.tail;
    EXPECT_EQ(what_ran(h.fake), row.ran) << "tail: " << row.tail;
  }
}

TEST(SaverMain, RecordsInstanceAndFamilyAndGuardsBeforeTheModeRuns) {
  for (const bool win9x : {false, true}) {
    FakeHost h;
    h.fake.win9x = win9x;
    h.fake.created_window = 7;
    HostState seen;
    bool guarded = false;
    h.fake.loop_script = [&] {
      seen = h.state;
      guarded = static_cast<bool>(h.fake.fault_guard);
    };
    std::optional<Host> run{h.host};
    saver_main(*run, 1000, "/s");
    EXPECT_EQ(seen.instance, 1000u);
    EXPECT_EQ(seen.on_win9x, win9x ? 1u : 0u);
    ASSERT_TRUE(guarded);
    // The Host the run was given goes once it returns (its storage now holds
    // another host's), and the guard stays: a fault the last-chance filter
    // handles, during the process's end, still clears the running state on win9x.
    FakeHost other;
    run.emplace(other.host);
    h.fake.log.clear();
    h.fake.fault_guard();
    EXPECT_EQ(h.fake.actions(), win9x ? Log{"saver_running 0"} : Log{}) << "win9x: " << win9x;
    EXPECT_EQ(other.fake.log, Log{});
  }
}

}  // namespace
}  // namespace roamlets::saver::testing
